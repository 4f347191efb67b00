#pragma once

#include <memory>
#include <string>

namespace tw {
class ECommand;
class EAppSite;
}  // namespace tw

namespace tw::cli {

// tidewright mv | rename | cp | dup | mkdir | rm | ln: `command` names which; argv holds the
// arguments after it. Returns the exit status.
int RunFileCommand(const char* command, int argc, char** argv);
bool IsFileCommand(const char* command);

// A command's name for people ("move 3 items"), from its journal line.
std::string CommandNameOf(const std::string& line);

// Runs a command on a loaded site, prints what it did (`format`: text or json) and records it
// in the journal for undo. Returns the exit status.
int RunJournaled(const std::string& verb, const std::string& format, EAppSite& site,
                 std::unique_ptr<ECommand> command);

}  // namespace tw::cli
