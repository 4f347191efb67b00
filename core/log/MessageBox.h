#pragma once
// How the log shows a message to the user when a front end is around: the desktop application
// installs a handler that opens a message box; without one the text goes to standard error.

#include <functional>
#include <string_view>

namespace tw {

using MessageBoxHandler = std::function<void(std::string_view text)>;

// Installs a handler and returns the previous one (an empty handler restores the default).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
void ShowMessageBox(std::string_view text);

}  // namespace tw
