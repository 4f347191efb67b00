#pragma once
// A row of a sortable QTreeWidget that sorts a column by the key stored in the cell's
// Qt::UserRole (a number: a line, a size) when it has one, and by its text otherwise.

#include <QTreeWidget>

namespace tw::ui {

class SortKeyRow : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant key = data(column, Qt::UserRole);
        if (key.isValid()) return key.toLongLong() < other.data(column, Qt::UserRole).toLongLong();
        return QTreeWidgetItem::operator<(other);
    }
};

}  // namespace tw::ui
