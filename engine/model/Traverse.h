#pragma once
// Drives a visitor over the nodes an iterator yields, reporting each step to a progress
// object and stopping promptly on a cancel.

#include <string_view>

#include "engine/model/Iterators.h"
#include "engine/model/Node.h"
#include "engine/model/Progress.h"
#include "engine/model/Visitor.h"

namespace tw {

template <typename Iterator, typename DefaultProgress = GUIProgress>
class TTraverse {
  public:
    TTraverse(ENode* root, EVisitor& visitor, void* owner = nullptr)
        : iterator_(root), visitor_(visitor), owner_(owner) {}
    virtual ~TTraverse() = default;

    // Calls the node's Accept and reports whether the visitor asked to stop.
    virtual bool Visit(ENode* node, bool* stop) {
        bool counted = node->Accept(visitor_);
        *stop = visitor_.stop;
        return counted;
    }

    // The number of nodes whose visit counted; -1 when cancelled; 0 for an empty walk (the
    // progress object is then not touched).
    int Run(std::string_view title, int total, GUIProgress* progress = nullptr) {
        iterator_.First();
        if (iterator_.IsDone()) return 0;
        DefaultProgress fallback;
        GUIProgress& p = progress ? *progress : fallback;
        bool cancel = false;
        p.Begin(title, total, owner_);
        p.SetFolder(iterator_.CurrentItem()->GetPath(), &cancel);
        int count = 0;
        while (!iterator_.IsDone() && !cancel) {
            ENode* node = iterator_.CurrentItem();
            if (!node) {
                iterator_.Next();
                continue;
            }
            if (node->GetParent()) p.SetFolder(node->GetParent()->GetPath(), &cancel);
            p.Step(node->GetPath(), 1);
            bool stop = false;
            if (Visit(node, &stop)) ++count;
            if (stop) cancel = true;
            iterator_.Next();
        }
        p.End();
        return cancel ? -1 : count;
    }

    Iterator& GetIterator() { return iterator_; }

  private:
    Iterator iterator_;
    EVisitor& visitor_;
    void* owner_;
};

}  // namespace tw
