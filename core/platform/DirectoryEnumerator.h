#pragma once
// Lists a folder's entries, or, for an empty folder, the computer's "drives": the mounted
// file systems (see Drives.h), whose position is kept process-wide so that a second
// enumeration starts over after the first has reached the end.

#include <dirent.h>

#include <memory>
#include <string>
#include <string_view>

namespace tw {

class DirectoryEnumerator {
  public:
    // `folder` ends with a separator, or is empty for the drives; `pattern` is a shell
    // wildcard such as "*".
    DirectoryEnumerator(std::string folder, std::string pattern);

    // The next entry: the full path with `fullPath`, else the bare name. Skips "." and ".."
    // and, with `fullPath`, entries whose full path is longer than the platform allows.
    bool Next(std::string& out, bool fullPath);
    // Whether the entry Next gave last is a symbolic link (read from the listing itself).
    bool LastWasLink() const { return lastWasLink_; }
    // After the listing: whether the folder could not be opened, and how many entries were
    // left out because their path is too long.
    bool OpenFailed() const { return openFailed_; }
    int SkippedTooLong() const { return skippedTooLong_; }

  private:
    struct DirCloser {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    bool NextDrive(std::string& out);

    std::string folder_;
    std::string pattern_;
    std::unique_ptr<DIR, DirCloser> dir_;
    bool started_ = false;
    bool lastWasLink_ = false;
    bool openFailed_ = false;
    int skippedTooLong_ = 0;
};

}  // namespace tw
