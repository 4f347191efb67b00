#pragma once
// The folders the user went through, for Back and Forward (Alt+Left, Alt+Right): a folder
// visited is added after the current one, dropping what lay ahead of it, as a web browser's
// history does. Plain C++, so that it is tested as a table.

#include <cstddef>
#include <string>
#include <vector>

namespace tw::app {

class FolderTrail {
  public:
    static constexpr std::size_t kKeep = 100;  // the oldest go beyond this

    // The folder became current by other means than Back or Forward.
    void Visit(const std::string& folder);
    bool CanGoBack() const { return at_ > 0; }
    bool CanGoForward() const { return at_ + 1 < folders_.size(); }
    // The folder before (after) the current one, which becomes current; empty when none.
    std::string Back();
    std::string Forward();
    // A folder that no longer exists is passed over and dropped.
    void Forget(const std::string& folder);

  private:
    std::vector<std::string> folders_;
    std::size_t at_ = 0;
};

}  // namespace tw::app
