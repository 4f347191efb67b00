#include "core/platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace tw {
namespace {

struct Held {
    int fd = -1;
    int count = 0;
    std::string label;
};

// The locks this process holds, by file: one descriptor each, since a second open file
// description of the same file would wait on the first.
std::map<std::string, Held>& Locks() {
    static std::map<std::string, Held> locks;
    return locks;
}
std::mutex& LocksMutex() {
    static std::mutex mutex;
    return mutex;
}

void WriteHolder(int fd) {
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
    }
}

}  // namespace

EFileLock& EFileLock::operator=(EFileLock&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

long EFileLock::HolderOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    return n > 0 ? std::strtol(text, nullptr, 10) : 0;
}

std::vector<std::string> EFileLock::HeldLabels() {
    std::lock_guard guard(LocksMutex());
    std::vector<std::string> labels;
    for (const auto& [path, held] : Locks())
        if (!held.label.empty()) labels.push_back(held.label);
    return labels;
}

bool EFileLock::Acquire(const std::string& path, const LockWait& wait, long* holder,
                        const std::string& label) {
    Release();
    if (holder) *holder = 0;
    {
        std::lock_guard guard(LocksMutex());
        auto found = Locks().find(path);
        if (found != Locks().end()) {
            ++found->second.count;
            path_ = path;
            return true;
        }
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(wait.seconds < 0 ? 0 : wait.seconds));
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            ::close(fd);
            errno = error;
            return false;
        }
        const long pid = HolderOf(path);
        if (holder) *holder = pid;
        if (!told && wait.waiting && (wait.seconds != 0)) wait.waiting(pid);
        told = true;
        if ((wait.seconds >= 0 && Clock::now() >= deadline) ||
            (wait.cancelled && wait.cancelled())) {
            ::close(fd);
            errno = EWOULDBLOCK;
            return false;
        }
        // Polled rather than blocked in flock: a blocked call would not notice a Ctrl+C.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    WriteHolder(fd);
    std::lock_guard guard(LocksMutex());
    Locks()[path] = {fd, 1, label};
    path_ = path;
    return true;
}

void EFileLock::Release() {
    if (path_.empty()) return;
    std::lock_guard guard(LocksMutex());
    auto found = Locks().find(path_);
    if (found != Locks().end() && --found->second.count == 0) {
        // Emptied first: a later reader finds no holder rather than a stale number.
        [[maybe_unused]] int ignored = ::ftruncate(found->second.fd, 0);
        ::close(found->second.fd);
        Locks().erase(found);
    }
    path_.clear();
}

}  // namespace tw
