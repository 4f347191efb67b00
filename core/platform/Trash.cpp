#include "core/platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "core/log/Log.h"
#include "core/platform/Drives.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"

namespace tw {
namespace {

std::string HomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == kPathSep) return JoinPath(data, "Trash");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home && *home ? home : "/", ".local/share"), "Trash");
}

bool MakeTrashFolders(const std::string& trash) {
    return MakeFolders(trash) && ::chmod(trash.c_str(), 0700) == 0 &&
           MakeFolders(JoinPath(trash, "files")) && MakeFolders(JoinPath(trash, "info"));
}

dev_t DeviceOf(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_dev : static_cast<dev_t>(-1);
}

// The nearest existing folder at or above `path` (the home trash may not exist yet).
std::string ExistingAncestor(std::string path) {
    struct stat st;
    while (!path.empty() && ::stat(path.c_str(), &st) != 0) path = std::string(PathDirectory(path));
    return path.empty() ? std::string(1, kPathSep) : path;
}

std::string DeletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

// Reserves NAME, NAME.2, NAME.3 ... by creating its info file exclusively; returns the name.
std::string ReserveInfo(const std::string& trash, const std::string& name,
                        const std::string& body) {
    for (int n = 1; n < 100000; ++n) {
        std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
        std::string info = JoinPath(JoinPath(trash, "info"), candidate + ".trashinfo");
        int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return {};
        }
        struct stat st;
        bool taken = ::lstat(JoinPath(JoinPath(trash, "files"), candidate).c_str(), &st) == 0;
        bool ok =
            !taken && ::write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
        ::close(fd);
        if (ok) return candidate;
        ::unlink(info.c_str());
        if (!taken) return {};
    }
    return {};
}

std::string InfoPathOf(const std::string& trashed) {
    // TRASH/files/NAME is described by TRASH/info/NAME.trashinfo.
    const std::string files(PathDirectory(trashed));
    return JoinPath(JoinPath(PathDirectory(files), "info"),
                    std::string(PathName(trashed)) + ".trashinfo");
}

}  // namespace

std::string EncodeTrashPath(std::string_view path) {
    return PercentEncodePath(path);
}

std::string TrashFolderFor(std::string_view path) {
    std::string p(StripTrailingSep(path));
    dev_t dev = DeviceOf(p);
    if (dev == static_cast<dev_t>(-1)) return {};
    std::string home = HomeTrash();
    if (DeviceOf(ExistingAncestor(home)) == dev)
        return MakeTrashFolders(home) ? home : std::string();

    std::string top = MountOf(p).mountPoint;
    std::string uid = std::to_string(::getuid());
    std::string shared = JoinPath(top, ".Trash");
    struct stat st;
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        std::string mine = JoinPath(shared, uid);
        if (MakeTrashFolders(mine)) return mine;
    }
    std::string own = JoinPath(top, ".Trash-" + uid);
    if (::lstat(own.c_str(), &st) == 0 && (S_ISLNK(st.st_mode) || st.st_uid != ::getuid()))
        return {};
    return MakeTrashFolders(own) ? own : std::string();
}

std::string TrashItem(std::string_view item,
                      const std::function<bool(const std::string&)>& beforeMove) {
    const std::string path(StripTrailingSep(item));
    std::string trash = TrashFolderFor(path);
    if (trash.empty()) return {};
    // The home trash records absolute paths; a top-directory trash records them relative to
    // the top directory.
    std::string recorded = path;
    if (trash != HomeTrash()) {
        std::string top = MountOf(path).mountPoint;
        if (top != "/" && path.starts_with(top + kPathSep)) recorded = path.substr(top.size() + 1);
    }
    std::string body = "[Trash Info]\nPath=" + EncodeTrashPath(recorded) +
                       "\nDeletionDate=" + DeletionDate() + "\n";
    std::string name = ReserveInfo(trash, std::string(PathName(path)), body);
    if (name.empty()) return {};
    std::string target = JoinPath(JoinPath(trash, "files"), name);
    if ((!beforeMove || beforeMove(target)) && ::rename(path.c_str(), target.c_str()) == 0)
        return target;
    ::unlink(InfoPathOf(target).c_str());
    return {};
}

bool RestoreFromTrash(const std::string& trashed, const std::string& original) {
    if (TryRenamePath(trashed, original) != RenameResult::Done) {
        ELog::Instance().LogError(30027, trashed, original);
        ELog::Instance().EndErrorLine();
        return false;
    }
    ::unlink(InfoPathOf(trashed).c_str());
    return true;
}

bool SendToRecycleBin(std::string_view path) {
    std::string p(StripTrailingSep(path));
    if (!TrashItem(p).empty()) return true;
    ELog::Instance().LogErrorFile(30019, p);
    return false;
}

bool SendListToRecycleBin(const std::vector<std::string>& paths, bool /*shellAllowed*/) {
    std::string failed;
    for (const std::string& path : paths) {
        std::string p(StripTrailingSep(path));
        if (!TrashItem(p).empty()) continue;
        if (!failed.empty()) failed += "\n\t";
        failed += p;
    }
    if (failed.empty()) return true;
    ELog::Instance().LogErrorFile(30019, failed);
    return false;
}

}  // namespace tw
