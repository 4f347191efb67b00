#pragma once
// The file pane's list: the folders and files of the current folder with the columns "Name",
// "Bad links", "Size", "Type" and "Date", sortable by any of them. A page of a tracked site
// shows how many broken links it has; an orphan file is struck through. Selections are
// reported to the selection coordinator; a folder opened here becomes the current folder. The
// folder shown is watched: what other programs make or remove in it appears without F5.

#include <QFileSystemWatcher>
#include <QTimer>
#include <QTreeView>

#include <string>
#include <utility>
#include <vector>

#include "ui/components/FileDragDrop.h"
#include "views/FileListModel.h"

namespace tw {
struct ChangeBatch;
}

namespace tw::views {

class GViewFile : public ui::TFileDragDrop<QTreeView> {
    Q_OBJECT
  public:
    using Column = FileListModel::Column;
    static constexpr int kName = FileListModel::kName, kBadLinks = FileListModel::kBadLinks,
                         kSize = FileListModel::kSize, kType = FileListModel::kType,
                         kDate = FileListModel::kDate, kColumns = FileListModel::kColumns;
    static constexpr int kPathRole = FileListModel::kPathRole;

    explicit GViewFile(QWidget* parent = nullptr);

    // Fills the list with the folder's entries (the folder of a file path); empty for none.
    void ShowFolder(const QString& folder);
    const QString& Folder() const { return folder_; }
    // What the engine changed: rows added, removed and renamed in place, the counts and marks
    // read again; the folder is read anew only when the change says so (or it was renamed).
    void Apply(const ChangeBatch& batch);
    // Selects the rows of these paths (without reporting them back).
    void SelectPaths(const QStringList& paths);
    // The selected paths; the folder shown when nothing is selected.
    QStringList SelectedPaths() const;
    // The folder a drop at this point lands in: the folder row under it, else the one shown.
    QString DropFolderAt(const QPoint& point) const override;
    // The row of a path; -1 when it is not listed.
    int RowOf(const QString& path) const;
    const FileListModel& Model() const { return model_; }
    // Cut paths are drawn ghosted until the clipboard changes.
    void MarkCut(const QStringList& paths) { model_.MarkCut(paths); }
    void ClearCutMarks() { model_.MarkCut({}); }
    void SelectAll();
    void InvertSelection();
    // Opens the name of the current row for editing; the new name is offered through
    // RenameRequested, the list itself changes nothing on disk.
    void BeginRename();
    // The columns' widths and order and the sort, kept in the settings ("FileViewColumns",
    // "1FileViewSorting").
    void SaveLayout() const;
    void LoadLayout();

  signals:
    void RenameRequested(const QString& path, const QString& newName);
    // A right click: on rows (the selected paths), or on the background (empty).
    void ContextMenuRequested(const QStringList& paths, const QPoint& globalPosition);
    // Backspace while no name is being edited.
    void UpOneLevelRequested();
    void OpenRequested(const QString& path);
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
    void Report();
    // The folder shown, read again (files made or removed by other programs), the selection
    // kept where its items still are.
    void Reread();
    // Keeps the selection where its items still are (a renamed one under its new name), and
    // tells the window when that changed it.
    QStringList Surviving(const QStringList& before,
                          const std::vector<std::pair<std::string, std::string>>& renamed) const;

    FileListModel model_;
    QString folder_;
    bool programmatic_ = false;
    QFileSystemWatcher watcher_;  // the folder shown
    QTimer reread_;               // one reading for a burst of changes
};

}  // namespace tw::views
