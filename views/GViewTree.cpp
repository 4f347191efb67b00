#include "views/GViewTree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "core/platform/Drives.h"
#include "core/strings/PathText.h"
#include "engine/model/Changes.h"
#include "engine/model/SiteRegistry.h"
#include "ui/components/SelectionCoordinator.h"
#include "views/FileIcons.h"

namespace tw::views {
namespace {

constexpr int kUnreadRole = Qt::UserRole + 3;  // children not read yet

QString Bare(QString path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

// Subfolders are listed, links to folders among them (a documentation package links its
// pages in from elsewhere); hidden ones (a name starting with a dot) are not. The tree reads
// a folder only when it is opened, so a link that leads back up does no harm.
QStringList SubfoldersOf(const QString& path) {
    QStringList names =
        QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString& n) { return n.startsWith('.'); }),
                names.end());
    return names;
}

bool HasSubfolder(const QString& path) {
    QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!name.startsWith('.')) return true;
    return false;
}

bool IsSiteDirectory(const QString& path) {
    return IsSiteFolder(Bare(path));
}

// Draws a folder's count of broken links after its name, in the colour of broken links.
class BrokenCountDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const int broken = index.data(GViewTree::kBrokenRole).toInt();
        if (broken <= 0) return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* view = option.widget;
        const QStyle* style = view ? view->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const int used = item.fontMetrics.horizontalAdvance(item.text) + 8;
        painter->save();
        painter->setPen(option.state & QStyle::State_Selected
                            ? option.palette.color(QPalette::HighlightedText)
                            : QColor(128, 0, 0));
        painter->drawText(text.adjusted(used, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          QString("(%1)").arg(broken));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int broken = index.data(GViewTree::kBrokenRole).toInt();
        if (broken > 0)
            size.rwidth() += option.fontMetrics.horizontalAdvance(QString(" (%1)").arg(broken)) + 8;
        return size;
    }
};

}  // namespace

GViewTree::GViewTree(QWidget* parent)
    : TFileDragDrop<QTreeView>(parent), root_(new QStandardItem("My Computer")) {
    setModel(&model_);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    // The tree never scrolls sideways (a jump that hid every name's start): a long name is cut
    // short with "..." and shown whole in its tip.
    header()->setSectionResizeMode(QHeaderView::Stretch);
    header()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    // Deep folders keep room for their names at the pane's default width.
    setIndentation(std::max(12, fontMetrics().height() * 3 / 4));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new BrokenCountDelegate(this));
    EnableFileDragDrop();
    root_->setIcon(QIcon::fromTheme("computer", style()->standardIcon(QStyle::SP_ComputerIcon)));
    root_->setEditable(false);
    model_.appendRow(root_);  // the model owns it
    for (const std::string& drive : DriveRoots()) {
        const QString path = QString::fromStdString(drive);
        QStandardItem* item = Insert(root_, Bare(path), Bare(path));
        item->setIcon(
            QIcon::fromTheme("drive-harddisk", style()->standardIcon(QStyle::SP_DriveHDIcon)));
    }
    root_->setData(false, kUnreadRole);
    expand(root_->index());
    // While files are dragged over it, a folder the mouse rests on opens after a second, and
    // the tree scrolls near its edges.
    setAutoExpandDelay(1000);
    setAutoScroll(true);
    setAutoScrollMargin(10);
    connect(&model_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (!renaming_) return;
        renaming_ = false;
        const QString path = item->data(kPathRole).toString();
        const QString newName = item->text();
        {
            // The item keeps its name until the rename is done and the folder read again.
            const QSignalBlocker quiet(&model_);
            item->setEditable(false);
            item->setText(QFileInfo(path).fileName());
        }
        if (newName != QFileInfo(path).fileName())
            QMetaObject::invokeMethod(
                this, [this, path, newName] { emit RenameRequested(path, newName); },
                Qt::QueuedConnection);
    });
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (QStandardItem* item = model_.itemFromIndex(currentIndex())) {
            const QSignalBlocker quiet(&model_);
            item->setEditable(false);
        }
    });
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { ReadChildren(model_.itemFromIndex(index)); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &GViewTree::OnCurrentChanged);
}

QStandardItem* GViewTree::Insert(QStandardItem* parent, const QString& name, const QString& path) {
    auto* item = new QStandardItem(name);
    item->setEditable(false);
    item->setData(path, kPathRole);
    // Children are read when the item first opens; until then a folder with subfolders shows
    // its expand button through one empty child.
    item->setData(true, kUnreadRole);
    if (HasSubfolder(path)) item->appendRow(new QStandardItem);
    SetIcon(item);
    parent->appendRow(item);
    return item;
}

void GViewTree::SetIcon(QStandardItem* item) {
    const QString path = item->data(kPathRole).toString();
    const bool tracked = IsSiteDirectory(path);
    item->setData(tracked, kTrackedRole);
    const int broken = ESiteRegistry::Instance().GetBrokenLinkCount(path.toStdString());
    item->setData(broken > 0 ? QVariant(broken) : QVariant(), kBrokenRole);
    item->setToolTip(broken > 0 ? QString("%1\n%2 broken links in its pages").arg(path).arg(broken)
                                : path);
    if (item->parent() == root_) return;  // drives keep their icon
    item->setIcon(FileIcon(item->text(), {true, false, false, tracked}));
}

void GViewTree::ReadChildren(QStandardItem* item) {
    if (!item || item == root_) return;
    const QString path = item->data(kPathRole).toString();
    QStringList names = SubfoldersOf(path);
    // Children still there stay (with their state); the others go; new ones are added.
    for (int row = item->rowCount() - 1; row >= 0; --row) {
        QStandardItem* child = item->child(row);
        const qsizetype at = names.indexOf(child->text());
        if (at >= 0 && child->data(kPathRole).isValid())
            names.removeAt(at);
        else
            item->removeRow(row);
    }
    for (const QString& name : names)
        Insert(item, name, path == "/" ? "/" + name : path + "/" + name);
    item->sortChildren(0);
    item->setData(false, kUnreadRole);
}

QStandardItem* GViewTree::ItemOf(const QString& wanted) const {
    // The mount that holds the path (the longest drive root that is a prefix of it), then one
    // folder name at a time.
    const QString path = Bare(wanted);
    QStandardItem* item = nullptr;
    for (int row = 0; row < root_->rowCount(); ++row) {
        QStandardItem* drive = root_->child(row);
        const QString root = drive->data(kPathRole).toString();
        const bool holds = path == root || path.startsWith(root == "/" ? root : root + "/");
        if (holds && (!item || root.size() > item->data(kPathRole).toString().size())) item = drive;
    }
    if (!item) return nullptr;
    auto* self = const_cast<GViewTree*>(this);
    while (item->data(kPathRole).toString() != path) {
        if (item->data(kUnreadRole).toBool()) self->ReadChildren(item);
        QStandardItem* next = nullptr;
        // A folder made since its parent was read is found after one more reading.
        for (int attempt = 0; attempt < 2 && !next; ++attempt) {
            if (attempt == 1) self->ReadChildren(item);
            for (int row = 0; row < item->rowCount() && !next; ++row) {
                const QString child = item->child(row)->data(kPathRole).toString();
                if (path == child || path.startsWith(child + "/")) next = item->child(row);
            }
        }
        if (!next) return nullptr;
        item = next;
    }
    return item;
}

bool GViewTree::SelectFolder(const QString& path) {
    QString folder = path;
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder = QFileInfo(Bare(folder)).absolutePath();
    QStandardItem* item = folder.isEmpty() ? root_ : ItemOf(folder);
    if (!item) return false;
    programmatic_ = true;
    for (QStandardItem* up = item->parent(); up; up = up->parent()) expand(up->index());
    setCurrentIndex(item->index());
    scrollTo(item->index());
    // A deep folder in a narrow pane: the tree scrolls sideways just far enough to show its
    // name whole (and no further than its icon).
    const QRect shown = visualRect(item->index());
    if (shown.right() > viewport()->width() || shown.left() < 0) {
        const int shift =
            std::min(shown.right() - viewport()->width() + 8, shown.left() - indentation());
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + shift);
    }
    programmatic_ = false;
    return true;
}

void GViewTree::RefreshFolder(const QString& path) {
    QString folder = Bare(path);
    if (!QFileInfo(folder).isDir()) folder = QFileInfo(folder).absolutePath();
    QStandardItem* item = ItemOf(folder);
    if (!item || item->data(kUnreadRole).toBool()) return;
    ReadChildren(item);
    for (int row = 0; row < item->rowCount(); ++row) SetIcon(item->child(row));
}

void GViewTree::Apply(const ChangeBatch& batch) {
    QStringList folders;
    for (const std::string& folder : batch.folders) folders << QString::fromStdString(folder);
    const auto parentOf = [](const std::string& path) {
        return QString::fromStdString(std::string(PathDirectory(StripTrailingSep(path))));
    };
    for (const std::string& path : batch.added) folders << parentOf(path);
    for (const std::string& path : batch.removed) folders << parentOf(path);
    for (const auto& [from, to] : batch.renamed) folders << parentOf(from) << parentOf(to);
    folders.removeDuplicates();
    for (const QString& folder : folders)
        if (QFileInfo(folder).isDir()) RefreshFolder(folder);
    RefreshIcons();
}

void GViewTree::RefreshIcons() {
    std::vector<QStandardItem*> pending{root_};
    while (!pending.empty()) {
        QStandardItem* item = pending.back();
        pending.pop_back();
        if (item != root_ && item->data(kPathRole).isValid()) SetIcon(item);
        for (int row = 0; row < item->rowCount(); ++row) pending.push_back(item->child(row));
    }
}

void GViewTree::BeginRename() {
    QStandardItem* item = model_.itemFromIndex(currentIndex());
    // The computer and its drives keep their names.
    if (!item || item == root_ || item->parent() == root_) return;
    {
        const QSignalBlocker quiet(&model_);
        item->setEditable(true);
    }
    renaming_ = true;
    edit(item->index());
}

void GViewTree::MarkCut(const QStringList& paths) {
    QStringList bare;
    for (const QString& path : paths) bare << Bare(path);
    const QStringList before = std::exchange(cut_, bare);
    const QColor ghost = palette().color(QPalette::Disabled, QPalette::Text);
    for (const QString& path : before + cut_) {
        QStandardItem* item = ItemOf(path);
        if (!item) continue;
        const QSignalBlocker quiet(&model_);
        if (cut_.contains(path))
            item->setForeground(ghost);
        else
            item->setData(QVariant(), Qt::ForegroundRole);
    }
}

void GViewTree::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    QStandardItem* item = model_.itemFromIndex(index);
    if (!item) return;
    if (index != currentIndex()) setCurrentIndex(index);  // the menu acts on that folder
    emit ContextMenuRequested(item == root_ ? QString() : item->data(kPathRole).toString(),
                              event->globalPos());
}

void GViewTree::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState && event->modifiers() == Qt::NoModifier) {
        if (event->key() == Qt::Key_Backspace) return emit UpOneLevelRequested();
        if (event->key() == Qt::Key_Delete) return emit DeleteRequested();
    }
    TFileDragDrop<QTreeView>::keyPressEvent(event);
}

QString GViewTree::CurrentItemPath() const {
    QStandardItem* item = model_.itemFromIndex(currentIndex());
    return item && item != root_ ? item->data(kPathRole).toString() : QString();
}

void GViewTree::OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The current folder is bold.
    for (const QModelIndex& index : {previous, current}) {
        if (QStandardItem* item = model_.itemFromIndex(index)) {
            QFont font = item->font();
            font.setBold(index == current);
            item->setFont(font);
        }
    }
    if (programmatic_) return;
    ui::SelectionCoordinator::Instance().SelectDir(CurrentItemPath(), this);
}

// ---- dragging files out, dropping files in ----

QStringList GViewTree::DraggedPaths() const {
    return CurrentItemPath().isEmpty() ? QStringList() : QStringList{CurrentItemPath()};
}

QString GViewTree::DropFolderAt(const QPoint& point) const {
    QStandardItem* item = model_.itemFromIndex(indexAt(point));
    return item && item != root_ ? item->data(kPathRole).toString() : QString();
}

}  // namespace tw::views
