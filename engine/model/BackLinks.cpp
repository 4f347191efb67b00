#include "engine/model/BackLinks.h"

#include <algorithm>

namespace tw {

void EBackLinks::Flush() const {
    if (queuedPages_.empty()) return;
    // Each target's list is given its final size first and then filled in the order the
    // pages were recorded: no sort, and no copy of the queue.
    std::unordered_map<ENode*, std::size_t> added;
    for (ENode* target : queuedTargets_) ++added[target];
    for (const auto& [target, count] : added) {
        std::vector<ENode*>& pages = byTarget_[target];
        pages.reserve(pages.size() + count);
    }
    std::unordered_map<ENode*, std::size_t>().swap(added);
    std::size_t next = 0;
    for (const auto& [page, count] : queuedPages_)
        for (std::size_t k = 0; k < count; ++k) byTarget_[queuedTargets_[next++]].push_back(page);
    std::vector<std::pair<ENode*, std::size_t>>().swap(queuedPages_);
    std::vector<ENode*>().swap(queuedTargets_);
}

bool EBackLinks::Add(ENode* target, ENode* page) {
    Flush();
    std::vector<ENode*>& pages = byTarget_[target];
    if (std::find(pages.begin(), pages.end(), page) != pages.end()) return false;
    pages.push_back(page);
    ++pairs_;
    return true;
}

void EBackLinks::AddFresh(ENode* page, std::span<ENode* const> targets) {
    if (targets.empty()) return;
    queuedPages_.emplace_back(page, targets.size());
    queuedTargets_.insert(queuedTargets_.end(), targets.begin(), targets.end());
    pairs_ += targets.size();
}

bool EBackLinks::Has(ENode* target, ENode* page) const {
    const std::vector<ENode*>& pages = PagesOf(target);
    return std::find(pages.begin(), pages.end(), page) != pages.end();
}

bool EBackLinks::Remove(ENode* target, ENode* page) {
    Flush();
    auto it = byTarget_.find(target);
    if (it == byTarget_.end()) return false;
    auto at = std::find(it->second.begin(), it->second.end(), page);
    if (at == it->second.end()) return false;
    it->second.erase(at);
    --pairs_;
    if (it->second.empty()) byTarget_.erase(it);
    return true;
}

void EBackLinks::RemoveTarget(ENode* target) {
    Flush();
    auto it = byTarget_.find(target);
    if (it == byTarget_.end()) return;
    pairs_ -= it->second.size();
    byTarget_.erase(it);
}

void EBackLinks::RemovePage(ENode* page) {
    Flush();
    for (auto it = byTarget_.begin(); it != byTarget_.end();) {
        auto& pages = it->second;
        std::size_t before = pages.size();
        std::erase(pages, page);
        pairs_ -= before - pages.size();
        if (pages.empty())
            it = byTarget_.erase(it);
        else
            ++it;
    }
}

const std::vector<ENode*>& EBackLinks::PagesOf(ENode* target) const {
    Flush();
    static const std::vector<ENode*> none;
    auto it = byTarget_.find(target);
    return it == byTarget_.end() ? none : it->second;
}

void EBackLinks::clear() {
    byTarget_.clear();
    queuedPages_.clear();
    queuedTargets_.clear();
    pairs_ = 0;
}

std::set<std::pair<ENode*, ENode*>> EBackLinks::Pairs() const {
    Flush();
    std::set<std::pair<ENode*, ENode*>> pairs;
    for (const auto& [target, pages] : byTarget_)
        for (ENode* page : pages) pairs.emplace(target, page);
    return pairs;
}

}  // namespace tw
