#pragma once
// The rows of the file list: one record per entry of the folder shown, read with one listing
// and one stat per entry. Type names and date texts are made only for the rows drawn (type
// names once per extension), and sorting orders the records themselves, so that a folder of
// 100,000 files lists and sorts without a stall.

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <vector>

namespace tw::views {

struct FileRecord {
    QString name;
    QString path;
    qint64 size = -1;    // -1 for folders
    qint64 written = 0;  // last write, milliseconds since the epoch
    int broken = -1;     // broken links of a page (below a folder: their sum); -1 untracked
    bool isFolder = false;
    bool isLink = false;  // a symbolic link (to what `isFolder` and `size` describe)
    bool orphan = false;
    int typeRank = 0;  // the type name's place among the folder's type names, for sorting
};

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kName, kBadLinks, kSize, kType, kDate, kColumns };
    static constexpr int kPathRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // Lists the folder anew (hidden entries left out); empty for no folder.
    void Fill(const QString& folder);
    // One entry of the folder shown appeared (or changed): its row, in its sorted place.
    void Add(const QString& path);
    void Remove(const QString& path);
    // The folder read again in place (rows added, removed and refreshed, none reset), for
    // changes made by other programs.
    void Sync();
    // The bad-link counts and orphan marks read again (the link web changed).
    void RefreshMarks();
    const QString& Folder() const { return folder_; }
    const FileRecord& Record(int row) const { return records_[static_cast<std::size_t>(row)]; }
    // The row of a path; -1 when it is not listed.
    int RowOf(const QString& path) const { return rows_.value(path, -1); }
    // The rows of these paths are drawn ghosted (cut to the clipboard); the others normally.
    void MarkCut(const QStringList& paths);
    QString TypeName(const FileRecord& record) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited name is offered through RenameRequested; the row keeps its name until the
    // folder is read again.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Folders first, then by the column; names compare without case first, then with it, so
    // that names differing only in case keep a stable order.
    void sort(int column, Qt::SortOrder order) override;
    // Rows may be edited only while a rename is under way.
    void AllowEditing(bool on) { editing_ = on; }

  signals:
    void RenameRequested(const QString& path, const QString& newName);

  private:
    // The record of an entry; false for a hidden one or one that cannot be read.
    static bool Read(const std::string& path, qsizetype nameStart, bool tracked,
                     FileRecord& record);
    bool Tracked() const;
    bool Less(const FileRecord& a, const FileRecord& b) const;
    void Reindex();
    void RankTypes();

    QString folder_;
    std::vector<FileRecord> records_;
    int sortColumn_ = kName;
    bool ascending_ = true;
    QHash<QString, int> rows_;
    QSet<QString> cut_;
    mutable QHash<QString, QString> typeBySuffix_;
    bool editing_ = false;
};

}  // namespace tw::views
