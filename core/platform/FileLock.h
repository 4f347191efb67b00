#pragma once
// Exclusive locks between processes, held through flock(2) on a lock file: the kernel drops
// a lock when its process ends, however it ends, so a killed command never leaves its site
// locked. The holder writes its process number into the file, so that a waiting process can
// say whom it waits for. Within one process a lock is re-entrant: taking a lock the process
// already holds only counts it.

#include <functional>
#include <string>
#include <vector>

namespace tw {

struct LockWait {
    // How long to wait for the holder before giving up: 0 tries once, a negative value
    // waits as long as it takes.
    double seconds = 0;
    // Called once, with the holder's process number (0 when unknown), when the lock is busy.
    std::function<void(long pid)> waiting;
    // Asked while waiting: true gives up at once (a Ctrl+C).
    std::function<bool()> cancelled;
};

class EFileLock {
  public:
    EFileLock() = default;
    ~EFileLock() { Release(); }
    EFileLock(EFileLock&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    EFileLock& operator=(EFileLock&& other) noexcept;
    EFileLock(const EFileLock&) = delete;
    EFileLock& operator=(const EFileLock&) = delete;

    // Takes the lock of the file at `path` (made when missing). False when it could not be
    // had: `holder` then names the process that holds it (0 when unknown or when the file
    // could not be opened; errno tells).
    // `label` is kept with the lock while this process holds it (HeldLabels).
    bool Acquire(const std::string& path, const LockWait& wait, long* holder = nullptr,
                 const std::string& label = {});
    void Release();
    bool Held() const { return !path_.empty(); }
    // The lock stays held until the process ends (the kernel drops it then); this object
    // lets go of it.
    void KeepUntilExit() { path_.clear(); }

    // The process holding the lock of the file at `path`, by the number it wrote; 0 when
    // none is written.
    static long HolderOf(const std::string& path);
    // The labels of the locks this process holds now, in the order of their files.
    static std::vector<std::string> HeldLabels();

  private:
    std::string path_;
};

}  // namespace tw
