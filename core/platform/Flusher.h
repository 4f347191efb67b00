#pragma once
// Flushing files to the disk while the caller goes on writing others. Each descriptor handed
// over is flushed (fsync) and closed on a helper thread; many flushes wait on the disk at once,
// which lets the file system's journal take them together. At most a bounded number of
// descriptors wait, so that a command writing thousands of files never runs out of them.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tw {

class EFlusher {
  public:
    explicit EFlusher(std::size_t threads = 16, std::size_t maxWaiting = 256);
    ~EFlusher();  // finishes first
    EFlusher(const EFlusher&) = delete;
    EFlusher& operator=(const EFlusher&) = delete;

    // Takes the descriptor: it is flushed and closed. Waits while too many are waiting.
    void Add(int fd);
    // The file or folder at `path`, opened here and flushed like the others; false when it
    // could not be opened (counted as a failure).
    bool AddPath(const std::string& path);
    // Waits until every descriptor given is flushed and closed; false when a flush or a close
    // failed (the data may not be on the disk).
    bool Finish();

  private:
    void Work();

    std::mutex mutex_;
    std::condition_variable ready_, room_, done_;
    std::deque<int> waiting_;
    std::size_t busy_ = 0, maxWaiting_;
    bool stopping_ = false, failed_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tw
