#pragma once
// The progress interface the engine reports to. As a concrete class it is the silent progress:
// every operation does nothing and nothing is ever cancelled.

#include <string_view>

namespace tw {

class GUIProgress {
  public:
    virtual ~GUIProgress() = default;
    // A pass starts: `total` steps are expected (-1 leaves the range to the display).
    virtual void Begin(std::string_view /*title*/, int /*total*/, void* /*owner*/) {}
    virtual void End() {}
    // Shows the folder being worked on and tells whether the user asked to cancel.
    virtual void SetFolder(std::string_view /*text*/, bool* cancel) {
        if (cancel) *cancel = false;
    }
    virtual void Step(std::string_view /*text*/, int /*count*/) {}
};

}  // namespace tw
