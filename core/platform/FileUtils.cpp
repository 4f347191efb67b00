#include "core/platform/FileUtils.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

#include "core/log/Log.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"

namespace tw {
namespace {

std::string Bare(std::string_view path) {
    return std::string(StripTrailingSep(path));
}

// rename(2) that refuses to replace an existing item, as a move must never destroy a file.
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// a .. z, then _b .. _z, __b .. __z, and so on.
std::string IntermediateName(int n) {
    if (n < 26) return std::string(1, static_cast<char>('a' + n));
    n -= 26;
    std::string prefix(static_cast<std::size_t>(n / 25 + 1), '_');
    return prefix + static_cast<char>('b' + n % 25);
}

// A case-only rename on a case-insensitive file system: move through a fresh folder.
bool RenameThroughIntermediate(const std::string& from, const std::string& to) {
    std::string folder(PathDirectory(to));
    std::string name(PathName(to));
    std::string middle;
    for (int n = 0;; ++n) {
        middle = JoinPath(folder, IntermediateName(n));
        if (!PathExists(middle) && !IsSymbolicLink(middle)) break;
    }
    if (::mkdir(middle.c_str(), 0700) != 0) return false;
    std::string step = JoinPath(middle, name);
    bool ok = false;
    if (::rename(from.c_str(), step.c_str()) == 0) {
        ok = RenameNoReplace(step, to) == 0;
        if (!ok) ::rename(step.c_str(), from.c_str());
    }
    ::rmdir(middle.c_str());
    return ok;
}

}  // namespace

// Whether this process may write the item, from its status alone: its permission bits for the
// owner, the group or others, whichever applies (the superuser may write anything). Asking
// the kernel (access) would cost a system call per file of a site; access control lists and
// read-only mounts are not seen here, and writing checks again.
static bool WritableByUs(const struct stat& st) {
    static const uid_t uid = ::geteuid();
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> ids(1, ::getegid());
        int n = ::getgroups(0, nullptr);
        if (n > 0) {
            std::vector<gid_t> more(static_cast<std::size_t>(n));
            n = ::getgroups(n, more.data());
            if (n > 0) ids.insert(ids.end(), more.begin(), more.begin() + n);
        }
        return ids;
    }();
    if (uid == 0) return true;
    if (st.st_uid == uid) return (st.st_mode & S_IWUSR) != 0;
    if (std::find(groups.begin(), groups.end(), st.st_gid) != groups.end())
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

std::uint32_t AttributesFromStat(const struct stat& st, std::string_view path) {
    std::uint32_t attrs = 0;
    if (S_ISDIR(st.st_mode))
        attrs |= kAttrDirectory;
    else if (!S_ISREG(st.st_mode))
        attrs |= kAttrSystem;
    if (!WritableByUs(st)) attrs |= kAttrReadOnly;
    if (PathName(path).starts_with('.')) attrs |= kAttrHidden;
    return attrs;
}

std::uint32_t FileAttributes(std::string_view path, bool* exists) {
    std::string p = Bare(path);
    struct stat st;
    if (exists) *exists = false;
    if (p.empty() || ::stat(p.c_str(), &st) != 0) return 0;
    if (exists) *exists = true;
    return AttributesFromStat(st, p);
}

bool PathExists(std::string_view path) {
    struct stat st;
    return ::stat(Bare(path).c_str(), &st) == 0;
}

bool IsFolder(std::string_view path) {
    struct stat st;
    return ::stat(Bare(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSymbolicLink(std::string_view path) {
    struct stat st;
    return ::lstat(Bare(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::int64_t FileSize(std::string_view path) {
    struct stat st;
    if (::stat(Bare(path).c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool SetWritable(std::string_view path, bool writable) {
    std::string p = Bare(path);
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = writable ? (mode | S_IWUSR) : (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
    return ::chmod(p.c_str(), mode) == 0;
}

bool RemoveFile(std::string_view path) {
    std::string p = Bare(path);
    // Deleting needs a writable folder, not a writable file; the file is made writable anyway
    // so that read-only items go too, as users of other systems expect.
    if (!IsSymbolicLink(p)) SetWritable(p, true);
    if (::unlink(p.c_str()) == 0) return true;
    ELog::Instance().LogErrorFile(30026, p);
    return false;
}

bool RemoveFolderTree(std::string_view path) {
    std::string p = Bare(path);
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return true;
    if (!S_ISDIR(st.st_mode)) return RemoveFile(p);
    SetWritable(p, true);
    bool ok = true;
    DirectoryEnumerator entries(p + kPathSep, "*");
    std::string child;
    while (entries.Next(child, true)) {
        struct stat cs;
        bool isDir = ::lstat(child.c_str(), &cs) == 0 && S_ISDIR(cs.st_mode);
        if (!(isDir ? RemoveFolderTree(child) : RemoveFile(child))) ok = false;
    }
    if (::rmdir(p.c_str()) != 0) {
        ELog::Instance().LogErrorFile(30025, p);
        ok = false;
    }
    return ok;
}

bool CreateFolders(std::string_view path, int* levels) {
    std::string p = Bare(path);
    if (p.empty()) return false;
    if (IsFolder(p)) return true;
    std::string parent(PathDirectory(p));
    if (!parent.empty() && !IsFolder(parent) && !CreateFolders(parent, levels)) return false;
    if (::mkdir(p.c_str(), 0777) != 0) {
        ELog::Instance().LogErrorFile(30024, p);
        return false;
    }
    if (levels) ++*levels;
    return true;
}

std::string RealPath(const std::string& path) {
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

std::string ReadLinkText(const std::string& path) {
    std::string text(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0 || static_cast<std::size_t>(n) >= text.size()) return {};
    text.resize(static_cast<std::size_t>(n));
    return text;
}

bool ReplaceLink(const std::string& path, const std::string& text) {
    const std::string temp =
        JoinPath(PathDirectory(path), ".tw_link_" + std::to_string(::getpid()));
    ::unlink(temp.c_str());
    if (::symlink(text.c_str(), temp.c_str()) != 0) return false;
    if (::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

// A copy of a symbolic link is a link with the same target: following it would copy a folder
// into itself or a file that is not the site's.
bool CopyLink(const std::string& src, const std::string& dst) {
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlink(src.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) >= target.size()) {
        ELog::Instance().LogErrorFile(30016, src);
        return false;
    }
    target.resize(static_cast<std::size_t>(n));
    struct stat st;
    if (::lstat(dst.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(dst.c_str());
    if (::symlink(target.c_str(), dst.c_str()) != 0) {
        ELog::Instance().LogErrorFile(30018, dst);
        return false;
    }
    return true;
}

bool CopyFileContent(std::string_view source, std::string_view destination, bool append) {
    std::string src = Bare(source), dst = Bare(destination);
    if (!append && IsSymbolicLink(src)) return CopyLink(src, dst);
    struct stat st;
    UniqueFd in(OpenRegularFile(src, &st));
    if (in.get() < 0) {
        ELog::Instance().LogErrorFile(30016, src);
        return false;
    }
    // Writing through a link at the destination would change the file it points to; the
    // copy replaces the link instead (appending to one is refused).
    if (IsSymbolicLink(dst)) {
        if (append) {
            ELog::Instance().LogErrorFile(30016, dst);
            return false;
        }
        ::unlink(dst.c_str());
    }
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (append ? 0 : O_TRUNC);
    UniqueFd out(::open(dst.c_str(), flags, st.st_mode & 0777));
    if (out.get() < 0) {
        ELog::Instance().LogErrorFile(30016, dst);
        return false;
    }
    constexpr std::size_t kBlock = 1 << 16;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBlock]);
    if (!buffer) {
        ELog::Instance().LogError(30041);
        ELog::Instance().LogError(30033);
        return false;
    }
    if (append) ::lseek(out.get(), 0, SEEK_END);
    for (;;) {
        ssize_t n = ::read(in.get(), buffer.get(), kBlock);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ELog::Instance().LogErrorFile(30017, src);
            return false;
        }
        if (n == 0) break;
        if (!WriteAll(out.get(), {buffer.get(), static_cast<std::size_t>(n)})) {
            ELog::Instance().LogErrorFile(30018, dst);
            return false;
        }
    }
    return true;
}

bool CopyFolderTree(std::string_view source, std::string_view destination, bool recursive) {
    std::string src = Bare(source), dst = Bare(destination);
    if (!IsFolder(src) || !IsFolder(dst)) return false;
    bool ok = true;
    DirectoryEnumerator entries(src + kPathSep, "*");
    std::string name;
    while (entries.Next(name, false)) {
        std::string from = JoinPath(src, name), to = JoinPath(dst, name);
        if (IsFolder(from) && !IsSymbolicLink(from)) {
            if (!recursive) continue;
            if (::mkdir(to.c_str(), 0777) != 0 && !(errno == EEXIST && IsFolder(to))) {
                ELog::Instance().LogErrorFile(30024, to);
                ok = false;
                continue;
            }
            if (!CopyFolderTree(from, to, true)) ok = false;
        } else if (!CopyFileContent(from, to, false)) {
            ok = false;
        }
    }
    return ok;
}

RenameResult TryRenamePath(std::string_view oldPath, std::string_view newPath) {
    std::string from = Bare(oldPath), to = Bare(newPath);
    if (RenameNoReplace(from, to) == 0) return RenameResult::Done;
    int error = errno;
    if (error == EEXIST && PathName(from) != PathName(to) &&
        EqualsNoCase(PathName(from), PathName(to)) && SameFile(from, to) &&
        RenameThroughIntermediate(from, to))
        return RenameResult::Done;
    if (error == EEXIST || error == ENOTEMPTY) return RenameResult::Exists;
    if (error == EXDEV) return RenameResult::OtherFileSystem;
    return RenameResult::Failed;
}

bool RenamePath(std::string_view oldPath, std::string_view newPath) {
    if (TryRenamePath(oldPath, newPath) == RenameResult::Done) return true;
    ELog::Instance().LogError(30027, Bare(oldPath), Bare(newPath));
    ELog::Instance().EndErrorLine();
    return false;
}

bool FileStamp::SameAs(const FileStamp& other) const {
    if (exists != other.exists || isFolder != other.isFolder || isLink != other.isLink)
        return false;
    if (!exists) return true;
    if (device != other.device || inode != other.inode) return false;
    return isFolder || (size == other.size && mtimeNs == other.mtimeNs);
}

std::string FileStamp::ToText() const {
    return std::to_string(exists) + std::to_string(isFolder) + std::to_string(isLink) + ' ' +
           std::to_string(device) + ' ' + std::to_string(inode) + ' ' + std::to_string(size) + ' ' +
           std::to_string(mtimeNs);
}

FileStamp FileStamp::FromText(std::string_view text) {
    FileStamp t;
    std::istringstream in{std::string(text)};
    std::string flags;
    in >> flags >> t.device >> t.inode >> t.size >> t.mtimeNs;
    if (flags.size() == 3) {
        t.exists = flags[0] == '1';
        t.isFolder = flags[1] == '1';
        t.isLink = flags[2] == '1';
    }
    return t;
}

FileStamp StampOf(std::string_view path) {
    FileStamp stamp;
    struct stat st;
    if (::lstat(Bare(path).c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.isFolder = S_ISDIR(st.st_mode);
    stamp.isLink = S_ISLNK(st.st_mode);
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

int ReadFileChunk(std::string_view path, char* buffer, int size, std::int64_t offset) {
    struct stat st;
    UniqueFd fd(OpenRegularFile(Bare(path), &st));
    if (fd.get() < 0 || size < 0 || st.st_size < offset) return -1;
    int total = 0;
    while (total < size) {
        ssize_t n = ::pread(fd.get(), buffer + total, static_cast<std::size_t>(size - total),
                            offset + total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        total += static_cast<int>(n);
    }
    buffer[total] = '\0';
    return total;
}

bool IsImageFile(std::string_view path) {
    std::string ext = AsciiLower(PathExtension(path));
    for (const char* e : {"gif", "jpg", "jpeg", "png", "ping"})
        if (ext == e) return true;
    return false;
}

bool IsProgramFile(std::string_view path) {
    struct stat st;
    std::string p = Bare(path);
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

bool IsPlainFile(std::string_view path) {
    return PathExists(path) && !IsFolder(path) && !IsProgramFile(path) && !IsSymbolicLink(path);
}

}  // namespace tw
