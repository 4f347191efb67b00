#pragma once

#include <string>

namespace tw::cli {

// tidewright recover [--show | --forget]: rolls back the commands a crash, a kill or a full
// disk interrupted. Returns the exit status.
int RunRecover(int argc, char** argv);

// Before a command that changes files: when an interrupted command waits to be rolled back,
// says so and returns the exit status to stop with; 0 when there is none.
int RefuseWhilePending(const std::string& verb);
// Before a command that only reads: the same notice, on the error stream, and no stop.
void WarnIfPending();

}  // namespace tw::cli
