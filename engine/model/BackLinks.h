#pragma once
// For every node, the pages whose resolved URLs point at it; each (target, page) pair once.
// Kept per target, so the pages waiting on a node come out in one lookup.

#include <cstddef>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tw {

class ENode;

class EBackLinks {
  public:
    // False when the pair was there already.
    bool Add(ENode* target, ENode* page);
    // Appends without looking for the pair: for a page whose links are recorded for the first
    // time, whose targets the caller has made unique. Such pairs are only queued; they are
    // sorted into the lists by target at the first question, so that loading a big site
    // appends to a flat array instead of visiting a list per link.
    void AddFresh(ENode* target, ENode* page);
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
    mutable std::vector<std::pair<ENode*, ENode*>> queued_;  // (target, page), not yet sorted in
    std::size_t pairs_ = 0;
};

}  // namespace tw
