#include "engine/model/BackLinks.h"

#include <algorithm>

namespace tw {

void EBackLinks::Flush() const {
    if (queued_.empty()) return;
    // Stable: a target's pages keep the order they were recorded in.
    std::stable_sort(queued_.begin(), queued_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < queued_.size();) {
        std::size_t end = i;
        while (end < queued_.size() && queued_[end].first == queued_[i].first) ++end;
        std::vector<ENode*>& pages = byTarget_[queued_[i].first];
        pages.reserve(pages.size() + (end - i));
        for (; i < end; ++i) pages.push_back(queued_[i].second);
    }
    std::vector<std::pair<ENode*, ENode*>>().swap(queued_);
}

bool EBackLinks::Add(ENode* target, ENode* page) {
    Flush();
    std::vector<ENode*>& pages = byTarget_[target];
    if (std::find(pages.begin(), pages.end(), page) != pages.end()) return false;
    pages.push_back(page);
    ++pairs_;
    return true;
}

void EBackLinks::AddFresh(ENode* target, ENode* page) {
    queued_.emplace_back(target, page);
    ++pairs_;
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
    queued_.clear();
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
