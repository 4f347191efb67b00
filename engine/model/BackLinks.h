#pragma once
// For every node, the pages whose resolved URLs point at it; each (target, page) pair once.
// Kept per target, so the pages waiting on a node come out in one lookup.

#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/model/BlockStore.h"

namespace tw {

class ENode;

class EBackLinks {
  public:
    // False when the pair was there already.
    bool Add(ENode* target, ENode* page);
    // Appends without looking for the pairs: for a page whose links are recorded for the first
    // time, with its targets made unique by the caller. Such pages are only queued; their
    // pairs go into the lists by target at the first question, so that loading a big site
    // appends to flat blocks instead of visiting a list per link. Returns where the targets
    // wait, for Queued (kNotQueued for none).
    static constexpr std::uint32_t kNotQueued = UINT32_MAX;
    std::uint32_t AddFresh(ENode* page, std::span<ENode* const> targets);
    // The targets `page` was queued with at `at`, in the order given; empty once the queue is
    // let go. They stay where they are while more pages are queued, so a walk over the web
    // can take a page's children from here instead of keeping a copy per page.
    std::span<ENode* const> Queued(std::uint32_t at, const ENode* page) const;
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

    // While one lives, queued targets stay readable through Queued even after they were
    // sorted into the lists by target (a walk reading children from the queue holds one).
    class QueueHold {
      public:
        explicit QueueHold(EBackLinks& links) : links_(links) { ++links_.holds_; }
        ~QueueHold();
        QueueHold(const QueueHold&) = delete;
        QueueHold& operator=(const QueueHold&) = delete;

      private:
        EBackLinks& links_;
    };

  private:
    void Flush() const;
    void FreeQueue() const;

    mutable std::unordered_map<ENode*, std::vector<ENode*>> byTarget_;
    // Pages not yet sorted in (from sortedIn_ on), each with its targets in `targets_`: a
    // pointer per pair (a big site has millions), where they stay put.
    struct QueuedPage {
        ENode* page;
        ENode** first;
        std::size_t count;
    };
    mutable std::vector<QueuedPage> queued_;
    mutable std::size_t sortedIn_ = 0;
    mutable TBlockStore<ENode*> targets_;
    int holds_ = 0;
    std::size_t pairs_ = 0;
};

}  // namespace tw
