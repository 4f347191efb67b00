#include "core/platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tw {

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
    int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return n == 0;
}

}  // namespace tw
