#include "core/platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tw {

bool ReadWholeFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
