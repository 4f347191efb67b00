#pragma once
// How a dialog has its changes made: the window's command history runs the command (so the
// Edit menu can take it back) and says whether it succeeded.

#include <functional>
#include <memory>

namespace tw {
class ECommand;
}

namespace tw::dialogs {

using CommandRunner = std::function<bool(std::unique_ptr<ECommand>)>;

}  // namespace tw::dialogs
