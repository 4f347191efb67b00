#pragma once
// Rolling back a command that a crash, a kill or a power cut interrupted: its write-ahead
// record (WriteAhead.h) is read and every step it announced is undone, newest first, as far as
// it happened: a page that holds its new bytes gets its old ones back, a moved item moves
// back, a copy or a folder made goes, a folder removed comes back. Each step first looks at
// what is on the disk, so a rollback that is itself interrupted can simply be run again.

#include <string>
#include <vector>

#include "core/platform/WholeFile.h"

namespace tw {

// A record left incomplete, locked by this process while it is looked at or rolled back.
struct PendingCommand {
    std::string file;                // the record
    std::string command;             // the command's log line ("(Undo)" and a tab before an undo)
    std::string started;             // when, in UTC
    std::vector<std::string> sites;  // the folders of the sites it held locked
    bool complete = false;
    std::vector<std::string> steps;  // the record's step lines, oldest first
    UniqueFd lock;
};

// The records of commands that did not finish; a record whose process still runs is left
// alone. Unreadable records are listed too, with no steps, so that they can be forgotten.
std::vector<PendingCommand> FindPendingCommands();

// What a rollback did, step by step, and what it could not do.
struct RollbackReport {
    std::vector<std::string> done;      // "moved back A -> B", "restored PAGE", ...
    std::vector<std::string> problems;  // steps that could not be undone, and why
    std::vector<std::string> changed;   // every path the rollback wrote, moved or made
};

// Undoes every step of the record, newest first; the record is removed when nothing is left
// to undo. With `dryRun` nothing is changed and `done` says what would be.
bool RollBack(PendingCommand& pending, RollbackReport& report, bool dryRun = false);

// Drops the record, leaving every file as it is now.
bool ForgetPending(PendingCommand& pending);

}  // namespace tw
