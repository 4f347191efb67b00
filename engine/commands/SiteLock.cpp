#include "engine/commands/SiteLock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/strings/PathText.h"
#include "engine/commands/WriteAhead.h"

namespace tw {
namespace {

std::string LockFolder() {
    std::string folder = JoinPath(PathDirectory(ProfileFilePath()), "locks");
    MakeFolders(folder);
    return folder;
}

constexpr std::string_view kSiteLabel = "site ";

// The real path names the site: the same folder reached through a link or a ".." is the
// same site.
std::string RealFolder(const std::string& directory) {
    return std::string(StripTrailingSep(RealPath(directory)));
}

}  // namespace

std::vector<std::string> LockedSites() {
    std::vector<std::string> sites;
    for (const std::string& label : EFileLock::HeldLabels())
        if (label.starts_with(kSiteLabel)) sites.push_back(label.substr(kSiteLabel.size()));
    return sites;
}

std::string SiteLockPath(const std::string& directory) {
    const std::string key = RealFolder(directory);
    char name[40];
    std::snprintf(name, sizeof name, "site-%016llx.lock",
                  static_cast<unsigned long long>(ContentCheck::Of(key).hash));
    return JoinPath(LockFolder(), name);
}

double SiteLockPatience() {
    const char* value = std::getenv("TIDEWRIGHT_LOCK_WAIT");
    return value ? std::strtod(value, nullptr) : 5.0;
}

std::string JournalLockPath() {
    return JoinPath(LockFolder(), "journal.lock");
}

std::string WaitingText(long pid) {
    return "waiting for another command on this site" +
           (pid > 0 ? " (pid " + std::to_string(pid) + ")" : std::string());
}

bool LockSites(const std::vector<std::string>& directories, const LockWait& wait,
               std::vector<EFileLock>& locks, long* holder) {
    std::vector<std::pair<std::string, std::string>> files;  // lock file, real folder
    for (const std::string& directory : directories)
        files.emplace_back(SiteLockPath(directory), RealFolder(directory));
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    std::vector<EFileLock> taken;
    for (const auto& [file, folder] : files) {
        EFileLock lock;
        if (!lock.Acquire(file, wait, holder, std::string(kSiteLabel) + folder)) return false;
        taken.push_back(std::move(lock));
    }
    for (EFileLock& lock : taken) locks.push_back(std::move(lock));
    return true;
}

}  // namespace tw
