#pragma once

namespace tw::cli {

// tidewright orphans | fix | ignore | report | overview: `command` names which; argv holds the
// arguments after it. Returns the exit status.
int RunMaintenanceCommand(const char* command, int argc, char** argv);
bool IsMaintenanceCommand(const char* command);

}  // namespace tw::cli
