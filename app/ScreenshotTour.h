#pragma once
// The dialogs `--screenshot` pictures for the documentation, in order: each step opens one
// (through the window's commands where there is one) and returns when it is closed.

#include <functional>
#include <vector>

namespace tw::app {

class CMainFrame;

std::vector<std::function<void()>> DialogTour(CMainFrame& window);

}  // namespace tw::app
