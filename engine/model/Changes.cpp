#include "engine/model/Changes.h"

#include <algorithm>

namespace tw {
namespace {

void AddOnce(std::vector<std::string>& list, std::string_view item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.emplace_back(item);
}

}  // namespace

bool ChangeBatch::Empty() const {
    return added.empty() && removed.empty() && renamed.empty() && folders.empty() &&
           pages.empty() && !orphans && !everything;
}

EChanges& EChanges::Instance() {
    static EChanges changes;
    return changes;
}

void EChanges::Subscribe(IChangeListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void EChanges::Unsubscribe(IChangeListener* listener) {
    std::erase(listeners_, listener);
}

void EChanges::Added(std::string_view path) {
    AddOnce(pending_.added, path);
    Deliver();
}

void EChanges::Removed(std::string_view path) {
    AddOnce(pending_.removed, path);
    Deliver();
}

void EChanges::Renamed(std::string_view oldPath, std::string_view newPath) {
    pending_.renamed.emplace_back(oldPath, newPath);
    Deliver();
}

void EChanges::FolderChanged(std::string_view folder) {
    AddOnce(pending_.folders, folder);
    Deliver();
}

void EChanges::PageLinksChanged(std::string_view page) {
    AddOnce(pending_.pages, page);
    Deliver();
}

void EChanges::OrphansChanged() {
    pending_.orphans = true;
    Deliver();
}

void EChanges::Everything() {
    pending_.everything = true;
    Deliver();
}

void EChanges::Deliver() {
    if (depth_ > 0 || pending_.Empty()) return;
    ChangeBatch batch = std::move(pending_);
    pending_ = ChangeBatch{};
    // A listener may unsubscribe while it is told: work on a copy of the list.
    std::vector<IChangeListener*> listeners = listeners_;
    for (IChangeListener* listener : listeners) listener->OnChanges(batch);
}

EChanges::Batch::Batch() {
    ++Instance().depth_;
}

EChanges::Batch::~Batch() {
    if (--Instance().depth_ == 0) Instance().Deliver();
}

}  // namespace tw
