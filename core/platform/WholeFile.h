#pragma once
// Opening and reading files whose content the program reads: only regular files are opened,
// so that a FIFO, socket or device named like a page never blocks a load or feeds it
// endless bytes.

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A descriptor closed when it goes out of scope.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1);

  private:
    int fd_ = -1;
};

// A descriptor of the regular file at `path`, opened read-only (its status in `st` when
// given); -1 when it cannot be opened or is not a regular file (errno then says EINVAL).
int OpenRegularFile(const std::string& path, struct ::stat* st = nullptr);

// Whether a file's first bytes make it a binary file rather than text: a NUL byte in its
// first 8 KB. Such a file is never read for links or rewritten, whatever its name.
constexpr std::size_t kBinaryProbeBytes = 8192;
inline bool LooksBinary(std::string_view head) {
    return head.substr(0, kBinaryProbeBytes).find('\0') != std::string_view::npos;
}

// LooksBinary of the file's first bytes; false when it cannot be read.
bool FileLooksBinary(const std::string& path);

// Appends the whole content of a file to `out`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Writes every byte, going on after interrupted or short writes; false on an error (errno
// says which, ENOSPC for a full disk).
bool WriteAll(int fd, std::string_view data);

// Flushes the folder's entries (a rename or an unlink in it) to the disk.
bool SyncFolder(const std::string& folder);

// Flushes the files and folders to the disk, several at once (one waits on the disk while
// the next is handed to it): what a command wrote and nothing else of the file system, so
// that other programs' writes are not waited for. False when one could not be flushed.
bool FlushToDisk(const std::vector<std::string>& paths);

// Replaces the file's content as one step: the bytes go to a temporary file beside it, are
// flushed, take `mode`, and the file is renamed over the old one; the folder is flushed after.
// A crash leaves the old file or the new one, never a mixture. False, with nothing changed,
// when any step fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);
// The same through the temporary file `temp` (its folder must be the file's): one left there
// by an interrupted earlier attempt is replaced, so that retries leave no stray copies.
bool WriteFileAtomicallyVia(const std::string& path, std::string_view bytes, mode_t mode,
                            const std::string& temp);

// Overwrites the file's bytes where they are (it keeps its inode, its other hard links, its
// owner and permissions), truncated to the new length and flushed. Not atomic: a crash midway
// leaves a mixture, so the caller keeps a way back first.
bool WriteInPlace(const std::string& path, std::string_view bytes);

}  // namespace tw
