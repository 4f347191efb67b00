#pragma once
// A list's column widths and order, and its sort, kept in the settings under the list's own
// keys ("FileViewColumns" with "1FileViewSorting", ...).

#include <QHeaderView>
#include <string_view>

namespace tw::ui {

void SaveHeaderLayout(const QHeaderView& header, std::string_view columnsKey,
                      std::string_view sortKey);
// Applies what was saved; columns the list does not have are left out. An empty sort key
// leaves the sort alone.
void LoadHeaderLayout(QHeaderView& header, std::string_view columnsKey, std::string_view sortKey);

}  // namespace tw::ui
