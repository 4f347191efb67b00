#include "views/FileListModel.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <QMimeDatabase>
#include <QPalette>
#include <QSet>
#include <QStyle>
#include <algorithm>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/SizeText.h"
#include "engine/model/SiteRegistry.h"
#include "views/FileIcons.h"

namespace tw::views {
namespace {

const char* const kHeadings[] = {"Name", "Bad links", "Size", "Type", "Date"};

// Case-insensitive first, then case-sensitive: "a.html" and "A.html" always in one order.
int CompareNames(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded : a.compare(b, Qt::CaseSensitive);
}

}  // namespace

bool FileListModel::Read(const std::string& path, qsizetype nameStart, bool tracked,
                         FileRecord& record) {
    record.path = QString::fromStdString(path);
    record.name = record.path.mid(nameStart);
    if (record.name.startsWith('.') || record.name.isEmpty()) return false;  // hidden
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;  // vanished
    record.isLink = S_ISLNK(info.st_mode);
    if (record.isLink && ::stat(path.c_str(), &info) != 0) return false;  // a dangling link
    record.isFolder = S_ISDIR(info.st_mode);
    record.size = record.isFolder ? -1 : static_cast<qint64>(info.st_size);
    record.written =
        static_cast<qint64>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    if (tracked) {
        const ESiteRegistry& registry = ESiteRegistry::Instance();
        record.broken = registry.GetBrokenLinkCount(path);
        record.orphan = !record.isFolder && registry.IsOrphanPath(path);
    }
    return true;
}

void FileListModel::Fill(const QString& folder) {
    beginResetModel();
    folder_ = folder;
    records_.clear();
    cut_.clear();
    if (!folder.isEmpty()) {
        const std::string base = folder.toStdString() + "/";
        const bool tracked = Tracked();
        DirectoryEnumerator entries(base, "*");
        std::string path;
        while (entries.Next(path, true)) {
            FileRecord record;
            if (Read(path, folder.size() + 1, tracked, record))
                records_.push_back(std::move(record));
        }
    }
    endResetModel();
    Reindex();
}

void FileListModel::Sync() {
    if (folder_.isEmpty()) return;
    QSet<QString> present;
    DirectoryEnumerator entries(folder_.toStdString() + "/", "*");
    std::string path;
    while (entries.Next(path, true)) present.insert(QString::fromStdString(path));
    std::vector<QString> gone;
    for (const FileRecord& record : records_)
        if (!present.contains(record.path)) gone.push_back(record.path);
    for (const QString& path : gone) Remove(path);
    // New entries come in at their place; the others are read again where they stand.
    for (const QString& entry : present) Add(entry);
}

void FileListModel::Reindex() {
    rows_.clear();
    rows_.reserve(static_cast<qsizetype>(records_.size()));
    for (std::size_t row = 0; row < records_.size(); ++row)
        rows_.insert(records_[row].path, static_cast<int>(row));
}

void FileListModel::RankTypes() {
    // A folder holds a handful of types: their order is worked out once, not per comparison.
    QStringList names;
    for (const FileRecord& record : records_) names << TypeName(record);
    QStringList distinct = names;
    distinct.removeDuplicates();
    std::sort(distinct.begin(), distinct.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QHash<QString, int> rank;
    for (qsizetype i = 0; i < distinct.size(); ++i) rank.insert(distinct[i], static_cast<int>(i));
    for (std::size_t row = 0; row < records_.size(); ++row)
        records_[row].typeRank = rank.value(names[static_cast<qsizetype>(row)]);
}

void FileListModel::MarkCut(const QStringList& paths) {
    cut_ = QSet<QString>(paths.begin(), paths.end());
    if (!records_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

QString FileListModel::TypeName(const FileRecord& record) const {
    if (record.isFolder) return "Folder";
    const qsizetype dot = record.name.lastIndexOf('.');
    const QString suffix = dot > 0 ? record.name.mid(dot + 1).toLower() : QString();
    auto it = typeBySuffix_.find(suffix);
    if (it == typeBySuffix_.end()) {
        // By the name alone: reading every file's first bytes would stall a big folder.
        static const QMimeDatabase mimes;
        QString comment =
            mimes.mimeTypeForFile(record.name, QMimeDatabase::MatchExtension).comment();
        if (suffix.isEmpty() || comment.isEmpty())
            comment = suffix.isEmpty() ? "File" : suffix.toUpper() + " file";
        it = typeBySuffix_.insert(suffix, comment);
    }
    return *it;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FileRecord& record = Record(index.row());
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (column) {
                case kName:
                    return record.name;
                case kBadLinks:
                    return record.broken > 0 ? QString::number(record.broken) : QString();
                case kSize:
                    return record.isFolder ? QString()
                                           : QString::fromStdString(SizeText(
                                                 static_cast<std::uint64_t>(record.size), 1));
                case kType:
                    return TypeName(record);
                case kDate:
                    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(record.written),
                                              QLocale::ShortFormat);
            }
            return {};
        case kPathRole:
            return record.path;
        case Qt::DecorationRole:
            if (column != kName) return {};
            return FileIcon(record.name, {record.isFolder, record.isLink, record.orphan,
                                          record.isFolder && IsSiteFolder(record.path)});
        case Qt::TextAlignmentRole:
            return column == kName ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (column == kName && record.orphan) {
                QFont font;
                font.setStrikeOut(true);
                return font;
            }
            return {};
        case Qt::ForegroundRole:
            // A cut entry is ghosted until it is pasted somewhere.
            if (cut_.contains(record.path))
                return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            return {};
        case Qt::ToolTipRole:
            // The whole name, for a column too narrow to show it.
            if (column != kName) return {};
            return record.orphan
                       ? record.name + "\nAn orphan: no page leads to it from the home page"
                       : record.name;
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return kHeadings[section];
    if (role == Qt::TextAlignmentRole && section != kName)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
    if (index.isValid() && Record(index.row()).isFolder) flags |= Qt::ItemIsDropEnabled;
    if (editing_ && index.column() == kName) flags |= Qt::ItemIsEditable;
    return flags;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() != kName) return false;
    const FileRecord& record = Record(index.row());
    const QString newName = value.toString();
    const QString path = record.path;
    // Once the editor has closed: the rename reads the folder again, which ends the rows.
    if (newName != record.name)
        QMetaObject::invokeMethod(
            this, [this, path, newName] { emit RenameRequested(path, newName); },
            Qt::QueuedConnection);
    return false;
}

bool FileListModel::Tracked() const {
    // Only a folder inside a tracked site has counts and orphans to ask about.
    return !folder_.isEmpty() &&
           ESiteRegistry::Instance().FindTrackedSite(folder_.toStdString() + "/") != nullptr;
}

bool FileListModel::Less(const FileRecord& a, const FileRecord& b) const {
    // Folders before files; descending turns every comparison round, that one too.
    int result = a.isFolder != b.isFolder ? (a.isFolder ? -1 : 1) : 0;
    if (result == 0) switch (sortColumn_) {
            case kBadLinks:
                result = (a.broken > b.broken) - (a.broken < b.broken);
                break;
            case kSize:
                result = (a.size > b.size) - (a.size < b.size);
                break;
            case kType:
                result = (a.typeRank > b.typeRank) - (a.typeRank < b.typeRank);
                break;
            case kDate:
                result = (a.written > b.written) - (a.written < b.written);
                break;
            default:
                break;
        }
    if (result == 0) result = CompareNames(a.name, b.name);
    return ascending_ ? result < 0 : result > 0;
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    ascending_ = order == Qt::AscendingOrder;
    const auto compare = [this](const FileRecord& a, const FileRecord& b) { return Less(a, b); };
    if (column == kType) RankTypes();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<QString> paths;
    paths.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) paths.push_back(Record(index.row()).path);
    std::stable_sort(records_.begin(), records_.end(), compare);
    Reindex();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << index(rows_.value(paths[static_cast<std::size_t>(i)]), before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::Add(const QString& path) {
    if (folder_.isEmpty() || QFileInfo(path).absolutePath() != folder_) return;
    FileRecord record;
    if (!Read(path.toStdString(), folder_.size() + 1, Tracked(), record)) return;
    if (const int row = RowOf(path); row >= 0) {
        // Read again in place (same name, so same type and rank); redrawn only when it changed,
        // so that reading a big folder again costs no repaint of every row.
        FileRecord& old = records_[static_cast<std::size_t>(row)];
        record.typeRank = old.typeRank;
        const bool same = old.size == record.size && old.written == record.written &&
                          old.isFolder == record.isFolder && old.isLink == record.isLink &&
                          old.broken == record.broken && old.orphan == record.orphan;
        old = std::move(record);
        if (!same) emit dataChanged(index(row, 0), index(row, kColumns - 1));
        return;
    }
    if (sortColumn_ == kType) {
        // A type the folder did not have yet has no rank: the ranks are worked out again.
        records_.push_back(record);
        RankTypes();
        record.typeRank = records_.back().typeRank;
        records_.pop_back();
    }
    const auto at =
        std::upper_bound(records_.begin(), records_.end(), record,
                         [this](const FileRecord& a, const FileRecord& b) { return Less(a, b); });
    const int row = static_cast<int>(at - records_.begin());
    beginInsertRows({}, row, row);
    records_.insert(at, std::move(record));
    endInsertRows();
    Reindex();
}

void FileListModel::Remove(const QString& path) {
    const int row = RowOf(path);
    if (row < 0) return;
    beginRemoveRows({}, row, row);
    records_.erase(records_.begin() + row);
    endRemoveRows();
    Reindex();
}

void FileListModel::RefreshMarks() {
    if (records_.empty() || !Tracked()) return;
    const ESiteRegistry& registry = ESiteRegistry::Instance();
    for (FileRecord& record : records_) {
        const std::string path = record.path.toStdString();
        record.broken = registry.GetBrokenLinkCount(path);
        record.orphan = !record.isFolder && registry.IsOrphanPath(path);
    }
    emit dataChanged(index(0, kName), index(rowCount() - 1, kBadLinks));
}

}  // namespace tw::views
