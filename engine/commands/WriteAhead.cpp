#include "engine/commands/WriteAhead.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "core/platform/ProgramFolders.h"
#include "core/platform/WholeFile.h"
#include "core/strings/Strings.h"
#include "engine/commands/SiteLock.h"

namespace tw {
namespace {

std::string Fields(std::initializer_list<std::string_view> fields) {
    std::string line;
    for (std::string_view field : fields) {
        if (!line.empty()) line += '\t';
        line += EscapeField(field);
    }
    return line;
}

std::string NowText() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

EWriteAhead& EWriteAhead::Instance() {
    static EWriteAhead instance;
    return instance;
}

std::string EWriteAhead::Folder() {
    return ProgramSubfolder("Config");
}

bool EWriteAhead::Open(std::string_view command) {
    failed_ = false;
    const std::string folder = Folder();
    const std::string base = folder + std::string(kPrefix) + std::to_string(::getpid());
    // A record left by an earlier process that had the same number is never overwritten.
    for (int n = 1; fd_ < 0 && n < 100; ++n) {
        path_ = base;
        if (n > 1) path_.append("-").append(std::to_string(n));
        path_.append(kSuffix);
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) return false;
    ::flock(fd_, LOCK_EX);
    std::string head = std::string(kHeader) + "\n" + Fields({"started", NowText()}) + "\n" +
                       Fields({"command", command});
    // The sites the command holds: a rollback takes their locks before it changes them.
    for (const std::string& site : LockedSites())
        head.append(1, '\n').append(Fields({"site", site}));
    if (!Append(head, true) || !SyncFolder(folder)) {
        Close();
        return false;
    }
    return true;
}

void EWriteAhead::Close(bool complete) {
    if (fd_ < 0) return;
    if (complete) {
        // Marked complete before it goes: a record found complete is only removed.
        Append("complete", true);
        for (const std::string& old : kept_) ::unlink(old.c_str());
        ::unlink(path_.c_str());
    }
    ::close(fd_);
    fd_ = -1;
    kept_.clear();
}

bool EWriteAhead::Append(std::string_view line, bool flush) {
    if (fd_ < 0) return true;
    if (failed_) return false;
    std::string text(line);
    text += '\n';
    if (!WriteAll(fd_, text) || (flush && ::fdatasync(fd_) != 0)) {
        failed_ = true;
        return false;
    }
    CrashPoint();
    return true;
}

EWriteAhead::Scope::Scope(std::string_view command) : exceptions_(std::uncaught_exceptions()) {
    EWriteAhead& record = Instance();
    outer_ = record.depth_++ == 0;
    if (outer_) ok_ = record.Open(command);
}

EWriteAhead::Scope::~Scope() {
    --Instance().depth_;
    if (outer_ && std::uncaught_exceptions() > exceptions_)
        Instance().Close(false);
    else
        Complete();
}

void EWriteAhead::Scope::Complete() {
    if (outer_) Instance().Close();
}

bool EWriteAhead::Move(const std::string& from, const std::string& to) {
    return Append(Fields({"move", from, to}), true);
}

bool EWriteAhead::MoveAcross(const std::string& from, const std::string& to) {
    return Append(Fields({"across", from, to}), true);
}

bool EWriteAhead::Copy(const std::string& from, const std::string& to) {
    return Append(Fields({"copy", from, to}), true);
}

bool EWriteAhead::Uncopy(const std::string& from, const std::string& to) {
    return Append(Fields({"uncopy", from, to}), true);
}

bool EWriteAhead::MakeFolder(const std::string& path) {
    return Append(Fields({"mkdir", path}), true);
}

bool EWriteAhead::RemoveFolder(const std::string& path) {
    return Append(Fields({"rmdir", path}), true);
}

bool EWriteAhead::Relink(const std::string& link, const std::string& before,
                         const std::string& after) {
    return Append(Fields({"relink", link, before, after}), true);
}

bool EWriteAhead::Page(const std::string& page, const std::string& temp, const ContentCheck& before,
                       const ContentCheck& after, const std::vector<Splice>& undo) {
    if (fd_ < 0) return true;
    std::string splices;
    for (const Splice& s : undo) {
        if (!splices.empty()) splices += ' ';
        splices += std::to_string(s.start) + ':' + std::to_string(s.end) + ':' + HexOfBytes(s.text);
    }
    return Append(Fields({"page", page, temp, before.ToText(), after.ToText(), splices}), false);
}

bool EWriteAhead::KeepOld(const std::string& path) {
    if (fd_ < 0) return true;
    // The replacement is a new file renamed over the old one, so a second name for the old
    // file keeps its bytes at no cost.
    std::string old = path + ".before-" + std::to_string(::getpid());
    ::unlink(old.c_str());
    if (::link(path.c_str(), old.c_str()) != 0) {
        if (errno != ENOENT) return false;
        old.clear();  // there was none: a rollback removes the new one
    } else {
        kept_.push_back(old);
    }
    return Append(Fields({"restore", path, old}), true);
}

bool EWriteAhead::SyncPages() {
    if (fd_ < 0) return true;
    if (failed_ || ::fdatasync(fd_) != 0) {
        failed_ = true;
        return false;
    }
    return true;
}

void CrashPoint() {
    static const long killAt = [] {
        const char* value = std::getenv("TIDEWRIGHT_KILL_AT");
        return value ? std::strtol(value, nullptr, 10) : 0L;
    }();
    // TIDEWRIGHT_KILL_SIGNAL=INT makes it a Ctrl+C instead of a kill.
    static const int signal = [] {
        const char* value = std::getenv("TIDEWRIGHT_KILL_SIGNAL");
        return value && std::string_view(value) == "INT" ? SIGINT : SIGKILL;
    }();
    static long reached = 0;
    if (killAt > 0 && ++reached == killAt) ::raise(signal);
}

}  // namespace tw
