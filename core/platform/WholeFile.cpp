#include "core/platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/platform/Flusher.h"
#include "core/strings/PathText.h"

namespace tw {

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

int OpenRegularFile(const std::string& path, struct ::stat* st) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct ::stat own;
    struct ::stat& status = st ? *st : own;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    struct ::stat st;
    int fd = OpenRegularFile(path, &st);
    if (fd < 0) return false;
    // Asking for one byte more than the status says: a short read of exactly the size is the
    // end of the file, so a file that did not grow meanwhile takes a single read.
    const std::size_t at = out.size();
    std::size_t want = static_cast<std::size_t>(st.st_size) + 1;
    out.resize(at + want);
    std::size_t got = 0;
    ssize_t n = 0;
    for (;;) {
        n = ::read(fd, out.data() + at + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
        if (got < want && got == static_cast<std::size_t>(st.st_size)) break;
        if (got == want) {  // the file grew: read on in larger steps
            want += want;
            out.resize(at + want);
        }
    }
    ::close(fd);
    out.resize(at + got);
    return n >= 0;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool FlushToDisk(const std::vector<std::string>& paths) {
    EFlusher flusher;
    bool ok = true;
    for (const std::string& path : paths) ok = flusher.AddPath(path) && ok;
    return flusher.Finish() && ok;
}

namespace {

// Fills the new temporary file `fd` and renames it over `path`.
bool FillAndReplace(int fd, const std::string& temp, const std::string& path,
                    std::string_view bytes, mode_t mode) {
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    SyncFolder(std::string(PathDirectory(path)));
    return true;
}

}  // namespace

bool FileLooksBinary(const std::string& path) {
    UniqueFd fd(OpenRegularFile(path));
    if (fd.get() < 0) return false;
    char head[kBinaryProbeBytes];
    const ssize_t n = ::pread(fd.get(), head, sizeof head, 0);
    return n > 0 && LooksBinary({head, static_cast<std::size_t>(n)});
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    return FillAndReplace(fd, temp, path, bytes, mode);
}

bool WriteFileAtomicallyVia(const std::string& path, std::string_view bytes, mode_t mode,
                            const std::string& temp) {
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    return FillAndReplace(fd, temp, path, bytes, mode);
}

bool WriteInPlace(const std::string& path, std::string_view bytes) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0) return false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd.get(), bytes.data() + at, bytes.size() - at, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += static_cast<std::size_t>(n);
    }
    return ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd.get()) == 0;
}

}  // namespace tw
