#include "views/GViewFile.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QStyledItemDelegate>
#include <algorithm>

#include "core/strings/PathText.h"
#include "engine/model/Changes.h"
#include "ui/components/HeaderLayout.h"
#include "ui/components/SelectionCoordinator.h"

namespace tw::views {
namespace {

QString Bare(QString path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

// A selected row's name is drawn bold (an orphan's bold and struck through); the other
// columns keep their weight, so that their figures still fit.
class BoldSelectionDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if ((option->state & QStyle::State_Selected) && index.column() == GViewFile::kName)
            option->font.setBold(true);
    }
};

}  // namespace

GViewFile::GViewFile(QWidget* parent) : TFileDragDrop<QTreeView>(parent) {
    setModel(&model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    EnableFileDragDrop();
    setItemDelegate(new BoldSelectionDelegate(this));
    header()->setSectionsMovable(true);
    reread_.setSingleShot(true);
    reread_.setInterval(300);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &reread_,
            qOverload<>(&QTimer::start));
    connect(&reread_, &QTimer::timeout, this, &GViewFile::Reread);
    // The widths of the file manager this follows, never narrower than a heading.
    const int widths[] = {150, 55, 50, 100, 120};
    for (int column = 0; column < kColumns; ++column)
        setColumnWidth(column, std::max(widths[column], header()->sectionSizeHint(column) + 8));
    // A date of the user's form fits whole.
    setColumnWidth(
        kDate, std::max(columnWidth(kDate), fontMetrics().horizontalAdvance(QLocale().toString(
                                                QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)),
                                                QLocale::ShortFormat)) +
                                                16));
    // The common type names fit whole.
    setColumnWidth(
        kType, std::max(columnWidth(kType), fontMetrics().horizontalAdvance("HTML document") + 16));
    sortByColumn(kName, Qt::AscendingOrder);
    LoadLayout();
    connect(&model_, &FileListModel::RenameRequested, this, &GViewFile::RenameRequested);
    // Whatever ends the editor (Enter, Escape, a click elsewhere) ends the rename.
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this] { model_.AllowEditing(false); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &GViewFile::Report);
    connect(this, &QTreeView::activated, this, [this](const QModelIndex& index) {
        // Opening a folder makes it the current folder; opening a file asks for it to open.
        const FileRecord& record = model_.Record(index.row());
        if (record.isFolder)
            ui::SelectionCoordinator::Instance().SelectDir(record.path);
        else
            emit OpenRequested(record.path);
    });
}

void GViewFile::ShowFolder(const QString& wanted) {
    QString folder = Bare(wanted);
    if (!folder.isEmpty() && !QFileInfo(folder).isDir()) folder = QFileInfo(folder).absolutePath();
    if (folder != folder_) {
        if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
        if (!folder.isEmpty()) watcher_.addPath(folder);
    }
    programmatic_ = true;
    folder_ = folder;
    model_.Fill(folder);
    model_.sort(header()->sortIndicatorSection(), header()->sortIndicatorOrder());
    programmatic_ = false;
}

void GViewFile::Apply(const ChangeBatch& batch) {
    if (folder_.isEmpty()) return;
    const std::string shown = folder_.toStdString();
    bool refill = batch.everything;
    for (const std::string& folder : batch.folders)
        if (StripTrailingSep(folder) == shown) refill = true;
    for (const auto& [from, to] : batch.renamed) {
        // The folder shown (or one above it) has a new name: the list follows it.
        if (shown == from || shown.starts_with(from + "/")) {
            folder_ = QString::fromStdString(to + shown.substr(from.size()));
            refill = true;
        }
    }
    // The selection follows a renamed item and loses one that is gone; either way the rest of
    // the window hears of it, so that no pane or command works on a path that no longer is.
    const QStringList before = DraggedPaths();
    const QStringList selected = Surviving(before, batch.renamed);
    if (refill) {
        ShowFolder(folder_);
        SelectPaths(selected);
    } else {
        programmatic_ = true;
        for (const std::string& path : batch.removed) model_.Remove(QString::fromStdString(path));
        for (const auto& [from, to] : batch.renamed) {
            model_.Remove(QString::fromStdString(from));
            model_.Add(QString::fromStdString(to));
        }
        for (const std::string& path : batch.added) model_.Add(QString::fromStdString(path));
        // A rewritten page has a new size and time: its row is read again.
        for (const std::string& page : batch.pages) model_.Add(QString::fromStdString(page));
        if (!batch.pages.empty() || batch.orphans) model_.RefreshMarks();
        programmatic_ = false;
        if (selected != before) SelectPaths(selected);
    }
    if (DraggedPaths() != before) Report();
}

QStringList GViewFile::Surviving(
    const QStringList& before,
    const std::vector<std::pair<std::string, std::string>>& renamed) const {
    QStringList selected;
    for (const QString& path : before) {
        QString now = path;
        for (const auto& [from, to] : renamed)
            if (path.toStdString() == from) now = QString::fromStdString(to);
        if (QFileInfo::exists(now) || QFileInfo(now).isSymLink()) selected << now;
    }
    return selected;
}

void GViewFile::Reread() {
    if (folder_.isEmpty()) return;
    const QStringList before = DraggedPaths();
    if (!QFileInfo(folder_).isDir()) {
        // The folder itself went: the window moves to the nearest one that is there.
        QString up = folder_;
        while (!up.isEmpty() && !QFileInfo(up).isDir()) {
            const QString parent = QFileInfo(up).absolutePath();
            up = parent == up ? QString() : parent;
        }
        ui::SelectionCoordinator::Instance().SelectDir(up.isEmpty() ? "/" : up, nullptr);
        return;
    }
    programmatic_ = true;
    model_.Sync();
    programmatic_ = false;
    const QStringList kept = Surviving(before, {});
    if (kept != before) SelectPaths(kept);
    if (DraggedPaths() != before) Report();
}

int GViewFile::RowOf(const QString& path) const {
    return model_.RowOf(Bare(path));
}

void GViewFile::SelectPaths(const QStringList& paths) {
    programmatic_ = true;
    QItemSelection selection;
    QModelIndex first;
    for (const QString& path : paths) {
        const int row = RowOf(path);
        if (row < 0) continue;
        const QModelIndex index = model_.index(row, kName);
        if (!first.isValid()) first = index;
        selection.select(index, index.siblingAtColumn(kColumns - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first.isValid()) {
        selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        scrollTo(first);
    }
    programmatic_ = false;
}

QStringList GViewFile::SelectedPaths() const {
    QStringList paths = DraggedPaths();
    if (paths.isEmpty() && !folder_.isEmpty()) paths << folder_;
    return paths;
}

void GViewFile::SaveLayout() const {
    ui::SaveHeaderLayout(*header(), "FileViewColumns", "1FileViewSorting");
}

void GViewFile::LoadLayout() {
    ui::LoadHeaderLayout(*header(), "FileViewColumns", "1FileViewSorting");
}

void GViewFile::BeginRename() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    model_.AllowEditing(true);
    edit(current.siblingAtColumn(kName));
}

void GViewFile::SelectAll() {
    selectAll();
}

void GViewFile::InvertSelection() {
    QItemSelection all(model_.index(0, 0), model_.index(model_.rowCount() - 1, kColumns - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void GViewFile::Report() {
    if (programmatic_) return;
    const QStringList paths = DraggedPaths();
    auto& coordinator = ui::SelectionCoordinator::Instance();
    if (paths.isEmpty())
        coordinator.SelectDir(folder_, this);
    else
        coordinator.SelectMultiple(paths, this);
}

void GViewFile::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    emit ContextMenuRequested(index.isValid() ? DraggedPaths() : QStringList(), event->globalPos());
}

void GViewFile::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState && event->key() == Qt::Key_Backspace &&
        event->modifiers() == Qt::NoModifier)
        return emit UpOneLevelRequested();
    TFileDragDrop<QTreeView>::keyPressEvent(event);
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
    if (index.isValid() && model_.Record(index.row()).isFolder)
        return model_.Record(index.row()).path;
    return folder_;
}

}  // namespace tw::views
