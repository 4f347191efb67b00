#pragma once
// For every node, the pages whose resolved URLs point at it; each (target, page) pair once.
// Kept per target, so the pages waiting on a node come out in one lookup.

#include <cstddef>
#include <set>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tw {

class ENode;

class EBackLinks {
  public:
    // False when the pair was there already.
    bool Add(ENode* target, ENode* page);
    // Appends without looking for the pairs: for a page whose links are recorded for the first
    // time, with its targets made unique by the caller. Such pages are only queued; their
    // pairs go into the lists by target at the first question, so that loading a big site
    // appends to a flat array instead of visiting a list per link.
    void AddFresh(ENode* page, std::span<ENode* const> targets);
    bool Has(ENode* target, ENode* page) const;
    bool Remove(ENode* target, ENode* page);
    void RemoveTarget(ENode* target);
    void RemovePage(ENode* page);
    // The pages that link to `target`, in the order they were recorded.
    const std::vector<ENode*>& PagesOf(ENode* target) const;
    bool IsLinked(ENode* target) const { return !PagesOf(target).empty(); }
    std::size_t size() const { return pairs_; }
    void clear();
    // Every pair, for checks and tests.
    std::set<std::pair<ENode*, ENode*>> Pairs() const;

  private:
    void Flush() const;

    mutable std::unordered_map<ENode*, std::vector<ENode*>> byTarget_;
    // Pages not yet sorted in, each with how many of the queued targets are its own; the
    // targets page after page (a pointer per pair: a big site has millions).
    mutable std::vector<std::pair<ENode*, std::size_t>> queuedPages_;
    mutable std::vector<ENode*> queuedTargets_;
    std::size_t pairs_ = 0;
};

}  // namespace tw
