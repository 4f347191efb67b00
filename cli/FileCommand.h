#pragma once

namespace tw::cli {

// tidewright mv | rename | cp | dup | mkdir | rm | ln: `command` names which; argv holds the
// arguments after it. Returns the exit status.
int RunFileCommand(const char* command, int argc, char** argv);
bool IsFileCommand(const char* command);

}  // namespace tw::cli
