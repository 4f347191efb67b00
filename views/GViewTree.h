#pragma once
// The folder pane: the computer's folders as a tree under "My Computer" — the mounted file
// systems, then their folders, read as the user expands them. The folders of tracked sites
// carry the tracked-folder icon; the current folder is bold. Choosing a folder makes it the
// current folder of the selection coordinator; the coordinator's choices are shown here
// without being reported back.

#include <QStandardItemModel>
#include <QTreeView>

#include "ui/components/FileDragDrop.h"

namespace tw {
struct ChangeBatch;
}

namespace tw::views {

class GViewTree : public ui::TFileDragDrop<QTreeView> {
    Q_OBJECT
  public:
    static constexpr int kPathRole = Qt::UserRole + 1;
    static constexpr int kTrackedRole = Qt::UserRole + 2;
    // The broken links of the pages below a folder of a tracked site (absent elsewhere).
    static constexpr int kBrokenRole = Qt::UserRole + 4;

    explicit GViewTree(QWidget* parent = nullptr);

    // Selects the item of the folder (its parent when the path is not a folder), reading
    // folders on the way; the root for an empty path. False when no item was found.
    bool SelectFolder(const QString& path);
    // Reads the children of the folder's item again and renews the tracked marks below it.
    void RefreshFolder(const QString& path);
    // Renews the tracked marks of every item read so far (after sites were added or removed).
    void RefreshIcons();
    // What the engine changed: the folders it names, and those that gained, lost or renamed
    // an entry, read again; the marks and counts renewed.
    void Apply(const ChangeBatch& batch);
    QString CurrentItemPath() const;
    // Opens the current folder's name for editing (never the root's nor a drive's); the new
    // name is offered through RenameRequested, the tree itself changes nothing on disk.
    void BeginRename();
    // Folders cut to the clipboard are drawn ghosted until the clipboard changes.
    void MarkCut(const QStringList& paths);
    void ClearCutMarks() { MarkCut({}); }
    // The folder a drop at this point lands in; empty off the folders.
    QString DropFolderAt(const QPoint& point) const override;
    QStandardItem* ItemOf(const QString& path) const;

  signals:
    void RenameRequested(const QString& path, const QString& newName);
    // A right click: on a folder (its path), or on the root (empty).
    void ContextMenuRequested(const QString& path, const QPoint& globalPosition);
    // Backspace and Delete, while no name is being edited.
    void UpOneLevelRequested();
    void DeleteRequested();
    // Files dropped on a folder of this view, with the keys held at the drop.
    void DropRequested(const QStringList& paths, const QString& folder, Qt::KeyboardModifiers keys);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QStringList DraggedPaths() const override;
    void Dropped(const QStringList& paths, const QString& folder,
                 Qt::KeyboardModifiers keys) override {
        emit DropRequested(paths, folder, keys);
    }

  private:
    QStandardItem* Insert(QStandardItem* parent, const QString& name, const QString& path);
    void ReadChildren(QStandardItem* item);
    void SetIcon(QStandardItem* item);
    void OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous);

    QStandardItemModel model_;
    QStandardItem* root_;
    QStringList cut_;
    bool programmatic_ = false;
    bool renaming_ = false;
};

}  // namespace tw::views
