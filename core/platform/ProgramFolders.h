#pragma once
// Where the program keeps its files. TIDEWRIGHT_HOME=DIR puts everything under DIR
// (DIR/Tidewright.ini, DIR/Config/, DIR/temp/); otherwise the XDG base directories are used.

#include <string>
#include <string_view>

namespace tw {

// Full path of the application profile, Tidewright.ini.
std::string ProfileFilePath();

// The folder that holds the program's own subfolders, without a trailing separator.
std::string ProgramDataRoot();

// ProgramDataRoot + name + separator, created (with missing parents) when absent.
// Used with "Config" (log.txt, debug.ini, links files) and "temp" (reports, editor files).
std::string ProgramSubfolder(std::string_view name);

// The folder for temporary files: TMPDIR when set, else /tmp.
std::string TempDirectory();

// Creates a new empty file named PREFIX + unique characters in TempDirectory() and
// returns its path; empty on failure.
std::string CreateTempFile(std::string_view prefix);

// mkdir -p without logging; true when the folder exists afterwards.
bool MakeFolders(std::string_view path);

}  // namespace tw
