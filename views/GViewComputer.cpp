#include "views/GViewComputer.h"

#include <QHeaderView>
#include <QStorageInfo>
#include <QStyle>

#include "core/platform/Drives.h"
#include "core/platform/SizeText.h"
#include "ui/components/SelectionCoordinator.h"
#include "ui/components/SortKeyRow.h"

namespace tw::views {
GViewComputer::GViewComputer(QWidget* parent) : QTreeWidget(parent) {
    setHeaderLabels({"Name", "Type", "Total Size", "Free Space"});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    const int widths[] = {150, 100, 55, 55};
    for (int column = 0; column < kColumns; ++column)
        setColumnWidth(column, std::max(widths[column], header()->sectionSizeHint(column) + 8));
    connect(this, &QTreeWidget::itemActivated, this, [](QTreeWidgetItem* item) {
        ui::SelectionCoordinator::Instance().SelectDir(item->data(kName, kPathRole).toString());
    });
}

void GViewComputer::Fill() {
    clear();
    setSortingEnabled(false);
    for (const std::string& root : DriveRoots()) {
        const QString path = QString::fromStdString(root);
        const DriveDescriptionText text = DriveDescription(root);
        const QStorageInfo storage(path);
        const qint64 total = storage.bytesTotal() / 1024, free = storage.bytesAvailable() / 1024;
        auto* row = new ui::SortKeyRow(
            this, {QString::fromStdString(text.displayName), QString::fromStdString(text.typeName),
                   QString::fromStdString(SizeText(static_cast<std::uint64_t>(total) * 1024, 4)),
                   QString::fromStdString(SizeText(static_cast<std::uint64_t>(free) * 1024, 4))});
        row->setData(kName, kPathRole, path);
        row->setData(kTotal, Qt::UserRole, total);
        row->setData(kFree, Qt::UserRole, free);
        row->setIcon(kName, style()->standardIcon(QStyle::SP_DriveHDIcon));
        for (int column = kTotal; column < kColumns; ++column)
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    setSortingEnabled(true);
}

}  // namespace tw::views
