#include "engine/model/BackLinks.h"

#include <algorithm>

namespace tw {

void EBackLinks::Flush() const {
    if (sortedIn_ == queued_.size()) return;
    // Each target's list is given its final size first and then filled in the order the
    // pages were recorded: no sort, and no copy of the queue.
    const std::span<const QueuedPage> fresh(queued_.begin() + sortedIn_, queued_.end());
    std::unordered_map<ENode*, std::size_t> added;
    for (const QueuedPage& q : fresh)
        for (std::size_t k = 0; k < q.count; ++k) ++added[q.first[k]];
    for (const auto& [target, count] : added) {
        std::vector<ENode*>& pages = byTarget_[target];
        pages.reserve(pages.size() + count);
    }
    std::unordered_map<ENode*, std::size_t>().swap(added);
    for (const QueuedPage& q : fresh)
        for (std::size_t k = 0; k < q.count; ++k) byTarget_[q.first[k]].push_back(q.page);
    sortedIn_ = queued_.size();
    if (holds_ == 0) FreeQueue();
}

void EBackLinks::FreeQueue() const {
    std::vector<QueuedPage>().swap(queued_);
    targets_.clear();
    sortedIn_ = 0;
}

EBackLinks::QueueHold::~QueueHold() {
    if (--links_.holds_ == 0 && links_.sortedIn_ == links_.queued_.size()) links_.FreeQueue();
}

bool EBackLinks::Add(ENode* target, ENode* page) {
    Flush();
    std::vector<ENode*>& pages = byTarget_[target];
    if (std::find(pages.begin(), pages.end(), page) != pages.end()) return false;
    pages.push_back(page);
    ++pairs_;
    return true;
}

std::uint32_t EBackLinks::AddFresh(ENode* page, std::span<ENode* const> targets) {
    if (targets.empty()) return kNotQueued;
    ENode** first = targets_.Append(targets.size());
    std::copy(targets.begin(), targets.end(), first);
    queued_.push_back({page, first, targets.size()});
    pairs_ += targets.size();
    return static_cast<std::uint32_t>(queued_.size() - 1);
}

std::span<ENode* const> EBackLinks::Queued(std::uint32_t at, const ENode* page) const {
    if (at >= queued_.size() || queued_[at].page != page) return {};
    return {queued_[at].first, queued_[at].count};
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
    FreeQueue();
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
