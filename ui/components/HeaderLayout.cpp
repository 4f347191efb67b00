#include "ui/components/HeaderLayout.h"

#include <algorithm>

#include "core/settings/SettingsStore.h"

namespace tw::ui {

void SaveHeaderLayout(const QHeaderView& header, std::string_view columnsKey,
                      std::string_view sortKey) {
    std::vector<ColumnLayout> columns;
    for (int column = 0; column < header.count(); ++column)
        columns.push_back({column, header.visualIndex(column), header.sectionSize(column)});
    SettingsStore& settings = SettingsStore::Instance();
    settings.SaveColumnLayout(columnsKey, columns, true);
    if (!sortKey.empty())
        settings.WriteSortIndex(sortKey, {header.sortIndicatorSection(),
                                          header.sortIndicatorOrder() == Qt::AscendingOrder});
}

void LoadHeaderLayout(QHeaderView& header, std::string_view columnsKey, std::string_view sortKey) {
    const SettingsStore& settings = SettingsStore::Instance();
    std::vector<ColumnLayout> columns = settings.LoadColumnLayout(columnsKey);
    std::sort(columns.begin(), columns.end(),
              [](const ColumnLayout& a, const ColumnLayout& b) { return a.order < b.order; });
    const int count = header.count();
    for (const ColumnLayout& column : columns) {
        if (column.id < 0 || column.id >= count) continue;
        if (column.width > 0) header.resizeSection(column.id, column.width);
        header.moveSection(header.visualIndex(column.id), std::clamp(column.order, 0, count - 1));
    }
    if (sortKey.empty()) return;
    const SortIndex sort = settings.ReadSortIndex(sortKey);
    if (sort.column >= 0 && sort.column < count)
        header.setSortIndicator(sort.column,
                                sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

}  // namespace tw::ui
