#include "engine/commands/Transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <unordered_map>

#include "core/log/Log.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/Trash.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/WriteAhead.h"

namespace tw {
namespace {

constexpr int kChangedSince = 31037, kCopyIncomplete = 31038, kNameTaken = 31039,
              kNoSuchItem = 31040;

bool SamePath(const std::string& a, const std::string& b) {
    return StripTrailingSep(a) == StripTrailingSep(b);
}

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    DirectoryEnumerator entries(folder + kPathSep, "*");
    std::string name;
    while (entries.Next(name, false)) names.push_back(name);
    return names;
}

// The source exists (else it is logged) and is not the destination itself.
bool CanTransfer(const std::string& from, const std::string& to, FileStamp& source) {
    source = StampOf(from);
    if (!source.exists) {
        ELog::Instance().LogErrorFile(kNoSuchItem, from);
        return false;
    }
    return !SamePath(from, to);
}

// Errors that mean the disk cannot take what the command writes: the command stops there and
// reverses what it did.
bool IsWriteError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EIO || error == EROFS || error == EFBIG;
}

void LogRenameFailed(const std::string& from, const std::string& to) {
    ELog::Instance().LogError(30027, from, to);
    ELog::Instance().EndErrorLine();
}

// A moved file keeps its times, as it would with a rename.
void KeepTimes(const std::string& to, const struct stat& source) {
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace

bool ETransferJournal::MakeFolders(const std::string& path) {
    std::string bare(StripTrailingSep(path));
    FileStamp stamp = StampOf(bare);
    if (stamp.exists) {
        if (stamp.isFolder) return true;
        ELog::Instance().LogErrorFile(30024, bare);
        return false;
    }
    std::string parent(PathDirectory(bare));
    if (!parent.empty() && parent != bare && !MakeFolders(parent)) return false;
    if (!Announced(EWriteAhead::Instance().MakeFolder(bare))) return false;
    if (::mkdir(bare.c_str(), 0777) != 0) {
        writeFailed_ = writeFailed_ || IsWriteError(errno);
        ELog::Instance().LogErrorFile(30024, bare);
        return false;
    }
    CrashPoint();
    steps_.push_back({Kind::MadeFolder, {}, bare, StampOf(bare)});
    return true;
}

bool ETransferJournal::Move(const std::string& from, const std::string& to) {
    FileStamp source;
    if (!CanTransfer(from, to, source)) return false;
    if (!Announced(EWriteAhead::Instance().Move(from, to))) return false;
    switch (TryRenamePath(from, to)) {
        case RenameResult::Done:
            CrashPoint();
            steps_.push_back({Kind::Moved, from, to, StampOf(to)});
            return true;
        case RenameResult::Exists:
            if (source.isFolder && StampOf(to).isFolder) return Merge(from, to, true);
            break;
        case RenameResult::OtherFileSystem:
            if (source.isFolder) return Merge(from, to, true);
            return MoveAcross(from, to, source);
        case RenameResult::Failed:
            break;
    }
    LogRenameFailed(from, to);
    return false;
}

bool ETransferJournal::MoveAcross(const std::string& from, const std::string& to,
                                  const FileStamp& source) {
    if (StampOf(to).exists) {
        ELog::Instance().LogErrorFile(kNameTaken, to);
        return false;
    }
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return false;
    if (!Announced(EWriteAhead::Instance().MoveAcross(from, to))) return false;
    if (!CopyFileContent(from, to, false)) {
        writeFailed_ = true;
        ::unlink(to.c_str());
        return false;
    }
    CrashPoint();
    KeepTimes(to, st);
    // The source goes only once its copy is known to be whole.
    FileStamp copy = StampOf(to);
    if (copy.isLink != source.isLink || (!copy.isLink && copy.size != source.size)) {
        ::unlink(to.c_str());
        ELog::Instance().LogErrorFile(kCopyIncomplete, from);
        return false;
    }
    if (!RemoveFile(from)) {
        ::unlink(to.c_str());
        return false;
    }
    CrashPoint();
    steps_.push_back({Kind::Moved, from, to, StampOf(to)});
    return true;
}

bool ETransferJournal::Merge(const std::string& from, const std::string& to, bool move) {
    if (!MakeFolders(to)) return false;
    bool ok = true;
    for (const std::string& name : EntriesOf(from)) {
        const std::string a = JoinPath(from, name), b = JoinPath(to, name);
        if (!(move ? Move(a, b) : Copy(a, b))) ok = false;
    }
    if (move && ok) {
        // Empty now; rmdir, not a tree removal: whatever appeared meanwhile stays.
        if (!Announced(EWriteAhead::Instance().RemoveFolder(from))) return false;
        if (::rmdir(from.c_str()) != 0) {
            ELog::Instance().LogErrorFile(30025, from);
            return false;
        }
        CrashPoint();
        steps_.push_back({Kind::RemovedFolder, from, to, {}});
    }
    return ok;
}

bool ETransferJournal::Copy(const std::string& from, const std::string& to) {
    FileStamp source;
    if (!CanTransfer(from, to, source)) return false;
    if (source.isFolder) return Merge(from, to, false);
    if (StampOf(to).exists) {
        ELog::Instance().LogErrorFile(kNameTaken, to);
        return false;
    }
    if (!Announced(EWriteAhead::Instance().Copy(from, to))) return false;
    if (!CopyFileContent(from, to, false)) {
        writeFailed_ = true;
        ::unlink(to.c_str());
        return false;
    }
    CrashPoint();
    steps_.push_back({Kind::Copied, from, to, StampOf(to)});
    return true;
}

bool ETransferJournal::Relink(const std::string& link, const std::string& before,
                              const std::string& after) {
    if (!Announced(EWriteAhead::Instance().Relink(link, before, after))) return false;
    if (!ReplaceLink(link, after)) {
        ELog::Instance().LogErrorFile("Could not point the symbolic link at its item again", link);
        return false;
    }
    CrashPoint();
    Restamp(link);  // a link moved by an earlier step is now this new one
    steps_.push_back({Kind::Relinked, before, link, StampOf(link)});
    return true;
}

bool ETransferJournal::Trash(const std::string& path) {
    const std::string item(StripTrailingSep(path));
    const std::string trashed = TrashItem(item, [&](const std::string& to) {
        return Announced(EWriteAhead::Instance().Move(item, to));
    });
    if (trashed.empty()) {
        ELog::Instance().LogErrorFile(30019, item);
        return false;
    }
    CrashPoint();
    steps_.push_back({Kind::Trashed, item, trashed, StampOf(trashed)});
    return true;
}

std::string ETransferJournal::Save() const {
    std::string out;
    for (const Step& s : steps_)
        out += std::to_string(static_cast<int>(s.kind)) + '\t' + EscapeField(s.from) + '\t' +
               EscapeField(s.to) + '\t' + s.stamp.ToText() + '\n';
    return out;
}

bool ETransferJournal::Load(std::string_view text) {
    steps_.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        // kind, from, to, stamp
        std::size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1),
                    t3 = line.find('\t', t2 + 1);
        if (t3 == std::string_view::npos || t1 != 1 || line[0] < '0' || line[0] > '5') return false;
        steps_.push_back({static_cast<Kind>(line[0] - '0'),
                          UnescapeField(line.substr(t1 + 1, t2 - t1 - 1)),
                          UnescapeField(line.substr(t2 + 1, t3 - t2 - 1)),
                          FileStamp::FromText(line.substr(t3 + 1))});
    }
    return true;
}

std::string ETransferJournal::Origin(const std::string& path) const {
    std::string origin = path;
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        if (it->kind != Kind::Moved && it->kind != Kind::RemovedFolder) continue;
        if (origin == it->to)
            origin = it->from;
        else if (origin.starts_with(it->to + kPathSep))
            origin = it->from + origin.substr(it->to.size());
    }
    return origin;
}

std::string FollowedPath(const std::string& path, const std::vector<MovedPath>& moves) {
    std::string now = path;
    for (const MovedPath& m : moves) {
        if (now == m.from)
            now = m.to;
        else if (now.starts_with(m.from + kPathSep))
            now = m.to + now.substr(m.from.size());
    }
    return now;
}

std::vector<std::string> ETransferJournal::RelinkedLinks() const {
    std::vector<std::string> links;
    for (const Step& step : steps_)
        if (step.kind == Kind::Relinked) links.push_back(Origin(step.to));
    return links;
}

std::vector<MovedPath> ETransferJournal::Moves(bool withTrashed) const {
    std::vector<MovedPath> moves;
    for (const Step& step : steps_)
        if (step.kind == Kind::Moved || (withTrashed && step.kind == Kind::Trashed))
            moves.push_back({step.from, step.to});
    return moves;
}

void ETransferJournal::FollowMoves(const std::vector<MovedPath>& moves) {
    for (Step& step : steps_) step.to = FollowedPath(step.to, moves);
}

void ETransferJournal::Restamp(const std::string& path, const FileStamp& stamp) {
    for (Step& step : steps_)
        if (step.to == path) step.stamp = stamp;
}

bool ETransferJournal::CanReverse() const {
    // Where each path was last put by a step (folders made aside): a place an earlier step
    // must get back is free once that later step has been reversed.
    std::unordered_map<std::string_view, std::size_t> lastPut;
    for (std::size_t i = 0; i < steps_.size(); ++i)
        if (steps_[i].kind != Kind::MadeFolder) lastPut[steps_[i].to] = i;
    for (auto step = steps_.begin(); step != steps_.end(); ++step) {
        if (step->kind == Kind::MadeFolder || step->kind == Kind::RemovedFolder) continue;
        // The item must be the one the command left (still in the trash, for one trashed),
        // and a move's old place must be free.
        const bool changed = !StampOf(step->to).SameAs(step->stamp);
        if (step->kind == Kind::Trashed && !StampOf(step->to).exists) {
            ELog::Instance().LogErrorFile(
                "No longer in the trash (emptied or restored since), so the undo was refused",
                step->from);
            return false;
        }
        // (An item trashed to make room for a moved one gets its place back once the moved
        // one has gone back: the later step is reversed first.)
        const bool back = step->kind == Kind::Moved || step->kind == Kind::Trashed;
        const auto put = lastPut.find(step->from);
        const bool freedFirst =
            put != lastPut.end() && put->second > static_cast<std::size_t>(step - steps_.begin());
        if (changed || (back && !freedFirst && StampOf(step->from).exists)) {
            ELog::Instance().LogErrorFile(kChangedSince, changed ? step->to : step->from);
            return false;
        }
    }
    return true;
}

bool ETransferJournal::Reverse() {
    bool ok = true;
    EWriteAhead& record = EWriteAhead::Instance();
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        const Step& step = *it;
        // A reversal goes on when its record cannot be written: undoing is what a failed
        // command needs most.
        switch (step.kind) {
            case Kind::Moved: {
                record.Move(step.to, step.from);
                RenameResult r = TryRenamePath(step.to, step.from);
                if (r == RenameResult::OtherFileSystem && !step.stamp.isFolder) {
                    ETransferJournal back;
                    if (!back.MoveAcross(step.to, step.from, StampOf(step.to))) ok = false;
                } else if (r != RenameResult::Done) {
                    LogRenameFailed(step.to, step.from);
                    ok = false;
                }
                break;
            }
            case Kind::Copied:
                record.Uncopy(step.from, step.to);
                if (!RemoveFile(step.to)) ok = false;
                break;
            case Kind::MadeFolder:
                record.RemoveFolder(step.to);
                // A folder the user has put something into since stays, with its content.
                if (::rmdir(step.to.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST) {
                    ELog::Instance().LogErrorFile(30025, step.to);
                    ok = false;
                }
                break;
            case Kind::RemovedFolder:
                record.MakeFolder(step.from);
                if (!CreateFolders(step.from)) ok = false;
                break;
            case Kind::Relinked:
                record.Relink(step.to, ReadLinkText(step.to), step.from);
                if (!ReplaceLink(step.to, step.from)) ok = false;
                break;
            case Kind::Trashed:
                record.Move(step.to, step.from);
                if (!RestoreFromTrash(step.to, step.from)) ok = false;
                break;
        }
        CrashPoint();
    }
    steps_.clear();
    return ok;
}

}  // namespace tw
