#pragma once
// Programs and shortcuts: the program associated with a document (freedesktop MIME database),
// starting programs without a shell, and shortcuts, which are symbolic links here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Runs argv[0] (searched in PATH) with the arguments, no shell involved, and returns what it
// printed on standard output; nullopt when it could not be run or, unless `exitCode` is
// given to receive the status, did not exit with 0.
std::optional<std::string> RunCapture(const std::vector<std::string>& argv,
                                      int* exitCode = nullptr);

// Starts a program detached from this process (no shell); false when it could not start.
bool LaunchDetached(const std::vector<std::string>& argv, const std::string& folder = {});

// The full path of the program the desktop associates with the document; empty when none.
std::string AssociatedProgram(std::string_view document, std::string_view folder = {});

// The program named by the Exec line of a .desktop file's text (first word, unquoted,
// searched in PATH when it is not absolute); empty when there is none.
std::string DesktopExecProgram(std::string_view desktopText);

// Searches PATH for a program name; the name itself when it holds a separator.
std::string FindInPath(std::string_view name);

// The target of a symbolic link made absolute against the link's folder; `path` unchanged
// when it is not a link.
std::string ResolveShortcut(std::string_view path);

// A symbolic link at `shortcut` to `target` (to where `target` points, when it is a link
// itself). The description has no place on this platform.
bool CreateShortcutFile(std::string_view target, std::string_view shortcut,
                        std::string_view description = {});

}  // namespace tw
