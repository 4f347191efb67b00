#pragma once
// One command at a time per site. Every command that changes a site holds the site's lock for
// its whole run, from before the site is read until its journal is written, so that two
// commands never rewrite the same pages from two readings of the site. The lock files live
// beside the settings, one per site, named by the site's real folder path: two spellings of
// one folder (a symbolic link, "..") share one lock. Reading a site takes no lock.
//
// The journal of the command line (CommandJournal.h) has a lock of its own, taken only while
// it is read, changed and written. A process that needs both takes the site's first.

#include <string>
#include <vector>

#include "core/platform/FileLock.h"

namespace tw {

// How long a command waits for another one on its site before it gives up, by default
// (TIDEWRIGHT_LOCK_WAIT=SECONDS in the environment sets another time, for tests).
double SiteLockPatience();

// The lock file of the site whose folder is `directory`.
std::string SiteLockPath(const std::string& directory);
// The lock file of the command journal.
std::string JournalLockPath();

// The real folders of the sites whose locks this process holds now.
std::vector<std::string> LockedSites();

// "waiting for another command on this site (pid N)"
std::string WaitingText(long pid);

// The locks of several sites, taken in one order (by lock file) so that two processes that
// take the same sites never wait on each other in a circle. False, with every lock taken so
// far released and the holder of the busy one in `holder`, when one could not be had.
bool LockSites(const std::vector<std::string>& directories, const LockWait& wait,
               std::vector<EFileLock>& locks, long* holder = nullptr);

}  // namespace tw
