#include "engine/commands/PageRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/WriteAhead.h"
#include "engine/model/Changes.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kOpenFailed = 30016, kSkippedReadOnly = 31050, kMadeWritable = 31051,
              kCouldNotMakeWritable = 31052, kNoTempFile = 31053, kTempWriteFailed = 31054,
              kReplaceFailed = 31055, kChangedSince = 31058, kNoRecord = 31059;

enum class ReadOnlyPolicy { Ask, MakeWritable, Skip };
ReadOnlyPolicy readOnlyPolicy = ReadOnlyPolicy::Ask;

// A new temporary file beside the page, named so that a record can name it before it
// exists: ".tw_PID_N". Its record is written first, so a crash never leaves an unnamed one.
int CreateAnnouncedTemp(const std::string& folder, const std::string& target,
                        const ContentCheck& before, const ContentCheck& after,
                        const std::vector<Splice>& undo, std::string& temp, bool& recordFailed) {
    static unsigned long counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + kPathSep + ".tw_" + std::to_string(::getpid()) + "_" +
               std::to_string(++counter);
        if (!EWriteAhead::Instance().Page(target, temp, before, after, undo)) {
            recordFailed = true;
            return -1;
        }
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

ContentCheck ContentCheck::Of(std::string_view bytes) {
    // Eight bytes at a time (a byte-wise hash would cost a tenth of a big rename): each
    // little-endian word is mixed in with a multiply and a rotation, the last 0-7 bytes one by
    // one.
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word = 0;
        for (int i = 7; i >= 0; --i)
            word =
                (word << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        hash = std::rotl((hash ^ word) * kPrime, 29);
    }
    for (; at < bytes.size(); ++at) hash = (hash ^ static_cast<unsigned char>(bytes[at])) * kPrime;
    return {bytes.size(), hash};
}

std::string ContentCheck::ToText() const {
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%016llx", static_cast<unsigned long long>(size),
                  static_cast<unsigned long long>(hash));
    return text;
}

ContentCheck ContentCheck::FromText(std::string_view text) {
    ContentCheck check;
    const std::string copy(text);
    unsigned long long size = 0, hash = 0;
    if (std::sscanf(copy.c_str(), "%llu:%llx", &size, &hash) == 2) check = {size, hash};
    return check;
}

bool EnsureWritable(const std::string& path) {
    if (::access(path.c_str(), W_OK) == 0) return true;
    ReadOnlyPolicy policy = readOnlyPolicy;
    if (policy == ReadOnlyPolicy::Ask) {
        Answer answer = EUiServices::Instance().AskReadOnly(path);
        if (answer == Answer::YesToAll) readOnlyPolicy = ReadOnlyPolicy::MakeWritable;
        if (answer == Answer::NoToAll) readOnlyPolicy = ReadOnlyPolicy::Skip;
        policy = answer == Answer::No || answer == Answer::NoToAll ? ReadOnlyPolicy::Skip
                                                                   : ReadOnlyPolicy::MakeWritable;
    }
    ELog& log = ELog::Instance();
    if (policy == ReadOnlyPolicy::Skip) {
        log.LogErrorFile(kSkippedReadOnly, path);
        return false;
    }
    if (!SetWritable(path, true) || (FileAttributes(path) & kAttrReadOnly)) {
        log.LogErrorFile(kCouldNotMakeWritable, path);
        return false;
    }
    log.LogErrorFile(kMadeWritable, path);
    return true;
}

EPageWriter::~EPageWriter() {
    for (const Staged& s : staged_) ::unlink(s.temp.c_str());
}

void EPageWriter::SetSiteFolder(const std::string& folder) {
    siteFolder_ = StripTrailingSep(RealPath(folder));
}

bool EPageWriter::Stage(const std::string& page, const std::string& content,
                        const std::vector<Splice>& splices, std::vector<std::string>* previous) {
    ELog& log = ELog::Instance();
    refusal_.clear();
    // A link is followed to the file it names: that file is the page. (A page below a linked
    // folder is no page of the site unless the folder lies in it: the walk does not enter a
    // folder outside the site, so only a page that is a link itself can lead outside.)
    std::string target = page;
    struct stat st, lst;
    bool found = ::lstat(page.c_str(), &lst) == 0;
    st = lst;
    char real[PATH_MAX];
    if (found && S_ISLNK(lst.st_mode)) {
        if (::realpath(page.c_str(), real)) target = real;
        found = ::stat(target.c_str(), &st) == 0;
    }
    if (!found || !S_ISREG(st.st_mode)) {
        log.LogErrorFile(kOpenFailed, page);
        return false;
    }
    if (!siteFolder_.empty() && target != page &&
        !(target.starts_with(siteFolder_) && target[siteFolder_.size()] == kPathSep)) {
        refusal_ = "not rewritten: it lies outside the site";
        log.LogErrorFile(refusal_, page);
        return false;
    }
    if (target != page && S_ISLNK(lst.st_mode)) {
        // The file is a page of the site under its own name, rewritten as itself; through
        // this name its relative links would be rewritten for another folder.
        refusal_ =
            "not rewritten: it is a symbolic link to " + target + ", which is rewritten as itself";
        log.LogErrorFile(refusal_, page);
        return false;
    }
    if (LooksBinary(content)) {
        refusal_ = "not rewritten: it is not a text page (it holds a NUL byte)";
        log.LogErrorFile(refusal_, page);
        return false;
    }
    std::size_t at = 0;
    if (previous) previous->clear();
    for (const Splice& s : splices) {
        if (s.start < at || s.end < s.start || s.end > content.size()) {
            log.LogErrorFile(30017, page);  // the page is not what its URLs were read from
            return false;
        }
        at = s.end;
    }
    const std::string out = Spliced(content, splices);
    std::vector<std::string> replaced;
    for (const Splice& sp : splices)
        replaced.push_back(content.substr(sp.start, sp.end - sp.start));

    std::string temp;
    bool recordFailed = false;
    lastWritten_ = ContentCheck::Of(out);
    int fd =
        CreateAnnouncedTemp(std::string(PathDirectory(target)), target, ContentCheck::Of(content),
                            lastWritten_, UndoSplices(splices, replaced), temp, recordFailed);
    if (fd < 0) {
        writeFailed_ = true;
        log.LogErrorFile(recordFailed ? kNoRecord : kNoTempFile, page);
        return false;
    }
    bool ok = WriteAll(fd, out) && ::fchmod(fd, st.st_mode & 07777) == 0;
    const int error = errno;
    // The new file would be the writer's: a page of another owner (a command run as root on a
    // user's site), or one with other names, is written in place instead.
    static const uid_t uid = ::geteuid();
    static const gid_t gid = ::getegid();
    const bool sameOwner =
        (st.st_uid == uid && st.st_gid == gid) || ::fchown(fd, st.st_uid, st.st_gid) == 0;
    const bool inPlace = st.st_nlink > 1 || !sameOwner;
    if (!ok) {
        ::close(fd);
        ::unlink(temp.c_str());
        writeFailed_ = true;
        log.LogErrorFile(std::string(LoadString(kTempWriteFailed)) + ": " + std::strerror(error),
                         page);
        return false;
    }
    // Flushed (and closed) on a helper thread while the next pages are written; the commit
    // waits for it.
    if (!flusher_) flusher_ = std::make_unique<EFlusher>();
    flusher_->Add(fd);
    CrashPoint();
    if (previous) *previous = std::move(replaced);
    staged_.push_back({page, target, temp, inPlace, inPlace ? out : std::string()});
    return true;
}

std::vector<std::string> EPageWriter::Commit(
    const std::function<void(const std::string&)>& replaced) {
    std::vector<std::string> failed, folders;
    for (const Staged& s : staged_) folders.emplace_back(PathDirectory(s.target));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    // The record of every page is on the disk before the first page is replaced, and so is
    // every new page.
    const bool flushed = !flusher_ || flusher_->Finish();
    if (!flushed || !EWriteAhead::Instance().SyncPages()) {
        writeFailed_ = true;
        for (const Staged& s : staged_) {
            ELog::Instance().LogErrorFile(flushed ? kNoRecord : kTempWriteFailed, s.page);
            failed.push_back(s.page);
        }
        return failed;  // the destructor removes the staged files
    }
    for (Staged& s : staged_) {
        if (!Replace(s)) {
            ::unlink(s.temp.c_str());
            ELog::Instance().LogErrorFile(kReplaceFailed, s.page);
            failed.push_back(s.page);
        }
        CrashPoint();
        if (replaced) replaced(s.page);
    }
    staged_.clear();
    // The renames: their folders (a page written in place was flushed as it was written).
    FlushToDisk(folders);
    return failed;
}

bool EPageWriter::Replace(Staged& s) {
    if (!s.inPlace) return ::rename(s.temp.c_str(), s.target.c_str()) == 0;
    // In place: the staged copy stays until the page holds all its new bytes, so that a
    // crash midway can still be rolled back from it.
    if (!WriteInPlace(s.target, s.bytes)) return false;
    ::unlink(s.temp.c_str());
    return true;
}

bool EPageWriter::StageFile(const std::string& page, const std::vector<Splice>& splices,
                            std::vector<std::string>* previous) {
    std::string content;
    if (!ReadWholeFile(page, content)) {
        ELog::Instance().LogErrorFile(kOpenFailed, page);
        return false;
    }
    return Stage(page, content, splices, previous);
}

std::string Spliced(const std::string& content, const std::vector<Splice>& splices) {
    std::string out;
    out.reserve(content.size() + 64 * splices.size());
    std::size_t at = 0;
    for (const Splice& s : splices) {
        out.append(content, at, s.start - at);
        out += s.text;
        at = s.end;
    }
    out.append(content, std::min(at, content.size()), std::string::npos);
    return out;
}

std::vector<Splice> UndoSplices(const std::vector<Splice>& splices,
                                const std::vector<std::string>& previous) {
    std::vector<Splice> undo;
    std::int64_t shift = 0;
    for (std::size_t i = 0; i < splices.size() && i < previous.size(); ++i) {
        const Splice& s = splices[i];
        const auto start = static_cast<std::uint32_t>(s.start + shift);
        undo.push_back({start, static_cast<std::uint32_t>(start + s.text.size()), previous[i]});
        shift += static_cast<std::int64_t>(s.text.size()) - (s.end - s.start);
    }
    return undo;
}

std::optional<PageChange> StageChange(EPageWriter& writer, const std::string& page,
                                      const std::string& content,
                                      const std::vector<Splice>& splices, std::string* why) {
    std::vector<std::string> previous;
    const bool writable = EnsureWritable(page);
    if (!writable || !writer.Stage(page, content, splices, &previous)) {
        if (why)
            *why = page + ": " +
                   (!writable                   ? "not rewritten: it is read-only"
                    : !writer.Refusal().empty() ? writer.Refusal()
                                                : "could not be rewritten");
        return std::nullopt;
    }
    return PageChange{page,
                      UndoSplices(splices, previous),
                      static_cast<int>(splices.size()),
                      {},
                      writer.LastWritten()};
}

std::vector<bool> SettleCommitted(std::vector<PageChange>& changes,
                                  const std::vector<std::string>& notReplaced) {
    const std::set<std::string> failed(notReplaced.begin(), notReplaced.end());
    std::vector<bool> kept;
    std::vector<PageChange> committed;
    for (PageChange& change : changes) {
        kept.push_back(!failed.count(change.path));
        if (!kept.back()) continue;
        change.stamp = StampOf(change.path);
        committed.push_back(std::move(change));
    }
    changes = std::move(committed);
    return kept;
}

bool HoldsContent(const std::string& path, const ContentCheck& after) {
    std::string bytes;
    return ReadWholeFile(path, bytes) && ContentCheck::Of(bytes) == after;
}

bool PagesAsLeft(const std::vector<PageChange>& changes) {
    for (const PageChange& change : changes) {
        if (!HoldsContent(change.path, change.after)) {
            ELog::Instance().LogErrorFile(kChangedSince, change.path);
            return false;
        }
    }
    return true;
}

bool RestorePages(std::vector<PageChange>& changes) {
    EPageWriter writer;
    for (const PageChange& change : changes)
        if (!writer.StageFile(change.path, change.undo) && writer.WriteFailed()) return false;
    bool ok = writer.Commit().empty();
    for (const PageChange& change : changes) EChanges::Instance().PageLinksChanged(change.path);
    changes.clear();
    return ok;
}

bool RewritePage(const std::string& page, const std::vector<Splice>& splices,
                 std::vector<std::string>* previous) {
    EPageWriter writer;
    return writer.StageFile(page, splices, previous) && writer.Commit().empty();
}

}  // namespace tw
