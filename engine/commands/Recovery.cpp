#include "engine/commands/Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/Transfer.h"
#include "engine/commands/WriteAhead.h"

namespace tw {
namespace {

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(UnescapeField(line.substr(start, tab - start)));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

bool Exists(const std::string& path) {
    return StampOf(path).exists;
}

// The splices of a page record ("START:END:HEX" separated by spaces), checked against the
// content they apply to; false when they do not fit it.
bool ReadSplices(std::string_view text, std::size_t contentSize, std::vector<Splice>& splices) {
    std::size_t at = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string item(text.substr(start, end - start));
        start = end + 1;
        const std::size_t c1 = item.find(':'), c2 = item.find(':', c1 + 1);
        if (c2 == std::string::npos) return false;
        Splice s;
        char* stop = nullptr;
        s.start = static_cast<std::uint32_t>(std::strtoul(item.c_str(), &stop, 10));
        s.end = static_cast<std::uint32_t>(std::strtoul(item.c_str() + c1 + 1, &stop, 10));
        s.text = BytesOfHex(std::string_view(item).substr(c2 + 1));
        if (s.start < at || s.end < s.start || s.end > contentSize) return false;
        at = s.end;
        splices.push_back(std::move(s));
    }
    return true;
}

class Rollback {
  public:
    Rollback(RollbackReport& report, bool dryRun) : report_(report), dryRun_(dryRun) {}

    void Step(const std::vector<std::string>& f) {
        const std::string& kind = f[0];
        if (kind == "page" && f.size() == 6)
            Page(f[1], f[2], ContentCheck::FromText(f[3]), ContentCheck::FromText(f[4]), f[5]);
        else if ((kind == "move" || kind == "across") && f.size() == 3)
            Move(f[1], f[2], kind == "across");
        else if (kind == "copy" && f.size() == 3)
            RemoveCopy(f[2]);
        else if (kind == "uncopy" && f.size() == 3)
            CopyAgain(f[1], f[2]);
        else if (kind == "mkdir" && f.size() == 2)
            RemoveFolder(f[1]);
        else if (kind == "rmdir" && f.size() == 2)
            MakeFolder(f[1]);
        else if (kind == "relink" && f.size() == 4)
            Relink(f[1], f[2], f[3]);
        else if (kind == "restore" && f.size() == 3)
            RestoreOld(f[1], f[2]);
        else
            Problem("a step that cannot be read: " + kind);
    }

  private:
    void Page(const std::string& page, const std::string& temp, const ContentCheck& before,
              const ContentCheck& after, const std::string& spliceText) {
        std::string content;
        if (!ReadWholeFile(page, content)) {
            if (Exists(page) || !Exists(temp)) Problem(page + ": could not be read");
            RemoveStaged(temp);
            return;
        }
        ContentCheck now = ContentCheck::Of(content);
        // A page written in place and cut short holds neither version: its staged copy,
        // still there, holds the new bytes to make the old ones from.
        bool cutShort = false;
        if (now != before && now != after && Exists(temp)) {
            std::string staged;
            if (ReadWholeFile(temp, staged) && ContentCheck::Of(staged) == after) {
                content = std::move(staged);
                now = after;
                cutShort = true;
            }
        }
        if (now == before) {  // never replaced, or given back already
            RemoveStaged(temp);
            return;
        }
        std::vector<Splice> undo;
        if (now != after || !ReadSplices(spliceText, content.size(), undo)) {
            Problem(page + ": changed since the command; left as it is");
            RemoveStaged(temp);
            return;
        }
        const std::string old = Spliced(content, undo);
        if (ContentCheck::Of(old) != before) {
            Problem(page + ": its old bytes cannot be made from the record; left as it is");
            return;
        }
        if (Act("restored " + page, page) && !Restore(page, old, cutShort))
            Problem(page + ": could not be written: " + std::strerror(errno));
        RemoveStaged(temp);
    }

    // A page gets its old bytes as the command wrote it: in place when it has other names or
    // another owner (or was being written in place), else through a copy beside it named for
    // the page, so that a rollback interrupted and run again leaves no stray copies.
    static bool Restore(const std::string& page, const std::string& old, bool inPlace) {
        struct stat st;
        if (::stat(page.c_str(), &st) != 0) return false;
        if (inPlace || st.st_nlink > 1 || st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            return WriteInPlace(page, old);
        const std::string temp =
            JoinPath(PathDirectory(page), ".tw_restore_" + std::string(PathName(page)));
        return WriteFileAtomicallyVia(page, old, st.st_mode & 07777, temp);
    }

    void RemoveStaged(const std::string& temp) {
        if (Exists(temp) && Act("removed the unfinished " + temp) && !RemoveFile(temp))
            Problem(temp + ": could not be removed");
    }

    void Move(const std::string& from, const std::string& to, bool across) {
        const bool atFrom = Exists(from), atTo = Exists(to);
        if (atFrom && atTo && across) {
            // The copy was made, or begun, but the original is still there.
            if (Act("removed the copy " + to) && !RemoveFile(to))
                Problem(to + ": could not be removed");
        } else if (!atFrom && atTo) {
            ETransferJournal back;
            if (Act("moved back " + to + " -> " + from, from) && !back.Move(to, from))
                Problem(to + ": could not be moved back to " + from);
        } else if (!atFrom && !atTo) {
            Problem(from + ": is neither there nor at " + to);
        }
    }

    void RestoreOld(const std::string& path, const std::string& old) {
        if (old.empty()) {
            if (Exists(path) && Act("removed " + path, path) && !RemoveFile(path))
                Problem(path + ": could not be removed");
        } else if (Exists(old) && Act("restored " + path, path) &&
                   ::rename(old.c_str(), path.c_str()) != 0) {
            Problem(path + ": could not be restored from " + old);
        }
    }

    void Relink(const std::string& link, const std::string& before, const std::string& after) {
        if (ReadLinkText(link) != after) return;  // never changed, or given back already
        if (Act("pointed again " + link + " -> " + before, link) && !ReplaceLink(link, before))
            Problem(link + ": could not be pointed back to " + before);
    }

    void RemoveCopy(const std::string& copy) {
        if (Exists(copy) && Act("removed the copy " + copy) && !RemoveFile(copy))
            Problem(copy + ": could not be removed");
    }

    void CopyAgain(const std::string& from, const std::string& to) {
        if (Exists(to)) return;
        if (!Exists(from)) {
            Problem(to + ": was removed and its original " + from + " is gone");
            return;
        }
        if (Act("copied again " + from + " -> " + to, to) && !CopyFileContent(from, to, false))
            Problem(to + ": could not be copied again from " + from);
    }

    void RemoveFolder(const std::string& folder) {
        if (!IsFolder(folder) || IsSymbolicLink(folder)) return;
        if (Act("removed the folder " + folder) && ::rmdir(folder.c_str()) != 0)
            Problem(folder + ": could not be removed: " + std::strerror(errno));
    }

    void MakeFolder(const std::string& folder) {
        if (Exists(folder)) return;
        if (Act("made again the folder " + folder, folder) && ::mkdir(folder.c_str(), 0777) != 0)
            Problem(folder + ": could not be made: " + std::strerror(errno));
    }

    // Notes what is done (and the path it leaves changed); true when it is to be done (not a
    // dry run).
    bool Act(std::string what, const std::string& changed = {}) {
        report_.done.push_back(std::move(what));
        if (!changed.empty()) report_.changed.push_back(changed);
        if (dryRun_) return false;
        CrashPoint();
        return true;
    }

    void Problem(std::string what) { report_.problems.push_back(std::move(what)); }

    RollbackReport& report_;
    bool dryRun_;
};

}  // namespace

std::vector<PendingCommand> FindPendingCommands() {
    std::vector<PendingCommand> found;
    const std::string folder = EWriteAhead::Folder();
    DirectoryEnumerator entries(folder, std::string(EWriteAhead::kPrefix) + "*");
    std::string path;
    while (entries.Next(path, true)) {
        if (!std::string_view(path).ends_with(EWriteAhead::kSuffix)) continue;
        PendingCommand pending;
        pending.file = path;
        pending.lock = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        // A record its process still holds is a command running now.
        if (pending.lock.get() < 0 || ::flock(pending.lock.get(), LOCK_EX | LOCK_NB) != 0) continue;
        std::string text;
        ReadWholeFile(path, text);
        std::size_t at = 0;
        bool header = true;
        while (at < text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) break;  // a line cut short by the crash never acted
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            if (header) {
                header = false;
                if (line != EWriteAhead::kHeader) break;
                continue;
            }
            const std::vector<std::string> fields = SplitFields(line);
            if (fields[0] == "started" && fields.size() > 1)
                pending.started = fields[1];
            else if (fields[0] == "command" && fields.size() > 1)
                pending.command = fields[1];
            else if (fields[0] == "site" && fields.size() > 1)
                pending.sites.push_back(fields[1]);
            else if (fields[0] == "complete")
                pending.complete = true;
            else
                pending.steps.push_back(line);
        }
        found.push_back(std::move(pending));
    }
    return found;
}

bool RollBack(PendingCommand& pending, RollbackReport& report, bool dryRun) {
    if (!pending.complete) {
        Rollback rollback(report, dryRun);
        for (auto it = pending.steps.rbegin(); it != pending.steps.rend(); ++it)
            rollback.Step(SplitFields(*it));
    } else if (!dryRun) {
        // The command finished: only the old versions it kept are left to remove.
        for (const std::string& step : pending.steps)
            if (std::vector<std::string> f = SplitFields(step); f[0] == "restore" && f.size() == 3)
                if (!f[2].empty()) ::unlink(f[2].c_str());
    }
    if (dryRun || !report.problems.empty()) return report.problems.empty();
    // Every change reaches the disk before the record that could undo it goes.
    ::sync();
    return ForgetPending(pending);
}

bool ForgetPending(PendingCommand& pending) {
    const bool removed = ::unlink(pending.file.c_str()) == 0 || errno == ENOENT;
    SyncFolder(std::string(PathDirectory(pending.file)));
    pending.lock.Reset();
    return removed;
}

}  // namespace tw
