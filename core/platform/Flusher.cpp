#include "core/platform/Flusher.h"

#include <fcntl.h>
#include <unistd.h>

namespace tw {

EFlusher::EFlusher(std::size_t threads, std::size_t maxWaiting) : maxWaiting_(maxWaiting) {
    for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

EFlusher::~EFlusher() {
    Finish();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void EFlusher::Add(int fd) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return waiting_.size() < maxWaiting_; });
    waiting_.push_back(fd);
    ready_.notify_one();
}

bool EFlusher::AddPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::lock_guard lock(mutex_);
        failed_ = true;
        return false;
    }
    Add(fd);
    return true;
}

bool EFlusher::Finish() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return waiting_.empty() && busy_ == 0; });
    const bool ok = !failed_;
    failed_ = false;
    return ok;
}

void EFlusher::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ready_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return;  // stopping, and nothing left
        const int fd = waiting_.front();
        waiting_.pop_front();
        ++busy_;
        room_.notify_one();
        lock.unlock();
        const bool ok = ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        lock.lock();
        failed_ = failed_ || !ok || !closed;
        --busy_;
        if (waiting_.empty() && busy_ == 0) done_.notify_all();
    }
}

}  // namespace tw
