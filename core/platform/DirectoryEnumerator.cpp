#include "core/platform/DirectoryEnumerator.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <climits>
#include <vector>

#include "core/platform/Drives.h"
#include "core/strings/PathText.h"

namespace tw {
namespace {

struct DrivePosition {
    std::vector<std::string> drives;
    std::size_t index = 0;
};

DrivePosition& Position() {
    static DrivePosition position;
    return position;
}

}  // namespace

DirectoryEnumerator::DirectoryEnumerator(std::string folder, std::string pattern)
    : folder_(std::move(folder)), pattern_(std::move(pattern)) {
    if (!folder_.empty() && folder_.back() != kPathSep) folder_ += kPathSep;
}

bool DirectoryEnumerator::NextDrive(std::string& out) {
    DrivePosition& pos = Position();
    if (pos.index == 0) pos.drives = DriveRoots();
    if (pos.index >= pos.drives.size()) {
        pos.index = 0;
        return false;
    }
    out = pos.drives[pos.index++];
    return true;
}

bool DirectoryEnumerator::Next(std::string& out, bool fullPath) {
    if (folder_.empty()) return NextDrive(out);
    if (!started_) {
        started_ = true;
        dir_.reset(::opendir(folder_.c_str()));
        openFailed_ = !dir_;
    }
    if (!dir_) return false;
    while (dirent* entry = ::readdir(dir_.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (::fnmatch(pattern_.c_str(), entry->d_name, 0) != 0) continue;
        if (fullPath && folder_.size() + name.size() > PATH_MAX - 1) {
            ++skippedTooLong_;
            continue;
        }
        out = fullPath ? folder_ + std::string(name) : std::string(name);
        lastWasLink_ = entry->d_type == DT_LNK;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            lastWasLink_ =
                ::lstat((folder_ + std::string(name)).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        }
        return true;
    }
    dir_.reset();
    return false;
}

}  // namespace tw
