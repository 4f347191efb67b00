#include "app/FolderTrail.h"

#include <algorithm>

namespace tw::app {

void FolderTrail::Visit(const std::string& folder) {
    if (folder.empty() || (!folders_.empty() && folders_[at_] == folder)) return;
    if (!folders_.empty()) folders_.resize(at_ + 1);
    folders_.push_back(folder);
    if (folders_.size() > kKeep) folders_.erase(folders_.begin());
    at_ = folders_.size() - 1;
}

std::string FolderTrail::Back() {
    if (!CanGoBack()) return {};
    return folders_[--at_];
}

std::string FolderTrail::Forward() {
    if (!CanGoForward()) return {};
    return folders_[++at_];
}

void FolderTrail::Forget(const std::string& folder) {
    for (std::size_t i = folders_.size(); i-- > 0;) {
        if (folders_[i] != folder) continue;
        folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(i));
        if (at_ >= i && at_ > 0) --at_;
    }
}

}  // namespace tw::app
