#include "views/GViewFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

#include "app/SelectionCoordinator.h"
#include "core/platform/SizeText.h"
#include "core/settings/SettingsStore.h"
#include "engine/model/SiteRegistry.h"

namespace tw::views {
namespace {

QString Bare(QString path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

QStandardItem* Cell(const QString& text, const QVariant& sortKey, bool right = false) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setData(sortKey, GViewFile::kSortRole);
    if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

GViewFile::GViewFile(QWidget* parent)
    : TFileDragDrop<QTreeView>(parent) {
    model_.setHorizontalHeaderLabels({"Name", "Bad links", "Size", "Type", "Date"});
    sorted_.setSourceModel(&model_);
    sorted_.setSortRole(kSortRole);
    sorted_.setSortCaseSensitivity(Qt::CaseInsensitive);
    setModel(&sorted_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    EnableFileDragDrop();
    header()->setSectionsMovable(true);
    // The widths of the file manager this follows, never narrower than a heading.
    const int widths[] = {150, 55, 50, 100, 120};
    for (int column = 0; column < kColumns; ++column)
        setColumnWidth(column, std::max(widths[column], header()->sectionSizeHint(column) + 8));
    // The common type names fit whole.
    setColumnWidth(kType, std::max(columnWidth(kType),
                                   fontMetrics().horizontalAdvance("HTML document") + 16));
    for (int column = kBadLinks; column < kColumns; ++column)
        model_.horizontalHeaderItem(column)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    sortByColumn(kName, Qt::AscendingOrder);
    LoadLayout();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(&model_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (!renaming_ || item->column() != kName) return;
        renaming_ = false;
        {
            const QSignalBlocker quiet(&model_);
            item->setEditable(false);
        }
        const QString path = item->data(kPathRole).toString();
        const QString newName = item->text();
        // The row keeps its old name until the rename is done and the list read again.
        programmatic_ = true;
        {
            const QSignalBlocker quiet(&model_);
            item->setText(QFileInfo(path).fileName());
        }
        programmatic_ = false;
        if (newName != QFileInfo(path).fileName()) emit RenameRequested(path, newName);
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &GViewFile::Report);
    connect(this, &QTreeView::activated, this, [this](const QModelIndex& index) {
        // Opening a folder makes it the current folder; opening a file asks for it to open.
        const QString path = sorted_.index(index.row(), kName).data(kPathRole).toString();
        if (QFileInfo(path).isDir())
            app::SelectionCoordinator::Instance().SelectDir(path);
        else
            emit OpenRequested(path);
    });
}

void GViewFile::ShowFolder(const QString& wanted) {
    QString folder = Bare(wanted);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) folder = QFileInfo(folder).absolutePath();
    programmatic_ = true;
    model_.removeRows(0, model_.rowCount());
    folder_ = folder;
    if (!folder.isEmpty()) {
        const ESiteRegistry& registry = ESiteRegistry::Instance();
        QMimeDatabase mimes;
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::DirsFirst | QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (entry.fileName().startsWith('.')) continue;  // hidden
            const QString path = entry.absoluteFilePath();
            const std::string native = path.toStdString();
            const bool isFolder = entry.isDir();
            auto* name = Cell(entry.fileName(), QString(isFolder ? "0" : "1") + entry.fileName().toLower());
            name->setData(path, kPathRole);
            name->setIcon(style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
            // Broken links of a page (or of the pages below a folder) of a tracked site.
            const int broken = registry.GetBrokenLinkCount(native);
            auto* bad = Cell(broken > 0 ? QString::number(broken) : QString(), broken, true);
            if (registry.IsOrphanPath(native)) {
                QFont font = name->font();
                font.setStrikeOut(true);
                name->setFont(font);
                name->setToolTip("An orphan: no page leads to it from the home page");
            }
            const qint64 bytes = isFolder ? -1 : entry.size();
            auto* size = Cell(isFolder ? QString()
                                       : QString::fromStdString(SizeText(static_cast<std::uint64_t>(bytes), 1)),
                              bytes, true);
            const QString typeName =
                isFolder ? QString("Folder") : mimes.mimeTypeForFile(entry).comment();
            auto* type = Cell(typeName, typeName.toLower(), true);
            const QDateTime written = entry.lastModified();
            auto* date = Cell(QLocale().toString(written, QLocale::ShortFormat), written, true);
            model_.appendRow({name, bad, size, type, date});
        }
    }
    programmatic_ = false;
}

int GViewFile::RowOf(const QString& path) const {
    const QString bare = Bare(path);
    for (int row = 0; row < model_.rowCount(); ++row)
        if (model_.item(row, kName)->data(kPathRole).toString() == bare) return row;
    return -1;
}

void GViewFile::SelectPaths(const QStringList& paths) {
    programmatic_ = true;
    QItemSelection selection;
    for (const QString& path : paths) {
        const int row = RowOf(path);
        if (row < 0) continue;
        const QModelIndex index = sorted_.mapFromSource(model_.index(row, kName));
        selection.select(index, index.siblingAtColumn(kColumns - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    programmatic_ = false;
}

QStringList GViewFile::SelectedPaths() const {
    QStringList paths;
    for (const QModelIndex& index : selectionModel()->selectedRows(kName))
        paths << index.data(kPathRole).toString();
    if (paths.isEmpty() && !folder_.isEmpty()) paths << folder_;
    return paths;
}

void GViewFile::SaveLayout() const {
    std::vector<ColumnLayout> columns;
    for (int column = 0; column < kColumns; ++column)
        columns.push_back({column, header()->visualIndex(column), columnWidth(column)});
    SettingsStore& settings = SettingsStore::Instance();
    settings.SaveColumnLayout("FileViewColumns", columns, true);
    const int sorted = header()->sortIndicatorSection();
    settings.WriteSortIndex("1FileViewSorting",
                            {sorted, header()->sortIndicatorOrder() == Qt::AscendingOrder});
}

void GViewFile::LoadLayout() {
    SettingsStore& settings = SettingsStore::Instance();
    std::vector<ColumnLayout> columns = settings.LoadColumnLayout("FileViewColumns");
    std::sort(columns.begin(), columns.end(),
              [](const ColumnLayout& a, const ColumnLayout& b) { return a.order < b.order; });
    for (const ColumnLayout& column : columns) {
        if (column.id < 0 || column.id >= kColumns) continue;
        setColumnWidth(column.id, column.width);
        header()->moveSection(header()->visualIndex(column.id),
                              std::min(column.order, kColumns - 1));
    }
    const SortIndex sort = settings.ReadSortIndex("1FileViewSorting");
    if (sort.column >= 0 && sort.column < kColumns)
        sortByColumn(sort.column, sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void GViewFile::BeginRename() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    QStandardItem* item = model_.itemFromIndex(sorted_.mapToSource(current.siblingAtColumn(kName)));
    {
        const QSignalBlocker quiet(&model_);  // a change of flags is no rename
        item->setEditable(true);
    }
    renaming_ = true;
    edit(current.siblingAtColumn(kName));
}

void GViewFile::SelectAll() {
    selectAll();
}

void GViewFile::InvertSelection() {
    QItemSelection all(sorted_.index(0, 0),
                       sorted_.index(sorted_.rowCount() - 1, kColumns - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void GViewFile::Report() {
    if (programmatic_) return;
    QStringList paths;
    for (const QModelIndex& index : selectionModel()->selectedRows(kName))
        paths << index.data(kPathRole).toString();
    auto& coordinator = app::SelectionCoordinator::Instance();
    if (paths.isEmpty())
        coordinator.SelectDir(folder_, this);
    else
        coordinator.SelectMultiple(paths, this);
}


// ---- dragging files out, dropping files in ----

QStringList GViewFile::DraggedPaths() const {
    QStringList selected;
    for (const QModelIndex& index : selectionModel()->selectedRows(kName))
        selected << index.data(kPathRole).toString();
    return selected;
}

QString GViewFile::DropFolderAt(const QPoint& point) const {
    const QModelIndex index = indexAt(point);
    if (index.isValid()) {
        const QString path = index.siblingAtColumn(kName).data(kPathRole).toString();
        if (QFileInfo(path).isDir()) return path;
    }
    return folder_;
}

}  // namespace tw::views
