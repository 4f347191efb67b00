#include "engine/model/Iterators.h"

#include "engine/model/Node.h"

namespace tw {

// ---- pre-order ----

void TIterPreOrder::First() {
    atRoot_ = true;
    parent_ = nullptr;
    children_.reset();
    parents_.clear();
    iterators_.clear();
}

bool TIterPreOrder::IsDone() const {
    return !root_ || (!atRoot_ && !children_ && parents_.empty());
}

ENode*& TIterPreOrder::CurrentItem() {
    if (atRoot_) {
        item_ = root_;
        return item_;
    }
    if (children_ && !children_->IsDone()) return children_->CurrentItem();
    item_ = nullptr;
    return item_;
}

bool TIterPreOrder::ShouldDescend(ENode* node) {
    return !IsDone() && node && node->HasChildren();
}

void TIterPreOrder::Next() {
    ENode* current = CurrentItem();
    if (ShouldDescend(current)) {
        if (atRoot_) {
            atRoot_ = false;
        } else {
            parents_.push_back(parent_);
            children_->Next();
            iterators_.push_back(std::move(children_));
        }
        parent_ = current;
        children_ = current->CreateChildIterator();
        if (children_) children_->First();
        // A node that claimed children but yields none: carry on as if it had none.
        if (!children_ || children_->IsDone()) {
            children_.reset();
            while (!children_ && !iterators_.empty()) {
                parent_ = parents_.back();
                parents_.pop_back();
                children_ = std::move(iterators_.back());
                iterators_.pop_back();
                if (children_->IsDone()) children_.reset();
            }
        }
        return;
    }
    if (atRoot_) {
        atRoot_ = false;
        return;
    }
    if (!children_) return;
    children_->Next();
    while (children_ && children_->IsDone()) {
        children_.reset();
        if (!iterators_.empty()) {
            parent_ = parents_.back();
            parents_.pop_back();
            children_ = std::move(iterators_.back());
            iterators_.pop_back();
        }
    }
}

TIterPreOrderTyped::TIterPreOrderTyped(ENode* root)
    : TIterPreOrder(root), rootType_(root ? &typeid(*root) : nullptr) {}

bool TIterPreOrderTyped::ShouldDescend(ENode* node) {
    return TIterPreOrder::ShouldDescend(node) && rootType_ && typeid(*node) == *rootType_;
}

// ---- breadth-first ----

void TIterBreadth::First() {
    parent_ = nullptr;
    children_.reset();
    queue_.clear();
    if (root_) queue_.push_back(root_);
}

bool TIterBreadth::IsDone() const {
    if (!queue_.empty()) return false;
    if (!root_) return true;
    if (!parent_ || !children_) return true;
    return children_->IsDone();
}

ENode*& TIterBreadth::CurrentItem() {
    if (!parent_) {
        item_ = root_;
        return item_;
    }
    if (children_) return children_->CurrentItem();
    item_ = nullptr;
    return item_;
}

bool TIterBreadth::ShouldEnqueue(ENode* node) {
    return !IsDone() && node && node->HasChildren();
}

void TIterBreadth::Step() {
    if (children_) children_->Next();
    if (!parent_ || !children_ || children_->IsDone()) {
        if (children_ && children_->IsDone()) {
            children_.reset();
            OnExpanded(parent_);
        }
        while (!queue_.empty()) {
            ENode* next = queue_.front();
            queue_.pop_front();
            if (!next) continue;
            if (!next->HasChildren()) {
                OnExpanded(next);  // nothing to expand: finished with it all the same
                continue;
            }
            parent_ = next;
            children_ = next->CreateChildIterator();
            if (children_) children_->First();
            if (children_ && !children_->IsDone()) break;
            // Claimed children but yields none: finished with it at once.
            children_.reset();
            OnExpanded(next);
        }
    }
    if (IsDone()) return;
    ENode* current = CurrentItem();
    if (ShouldEnqueue(current)) queue_.push_back(current);
}

void TIterBreadth::Next() {
    Step();
}

TIterBreadthCyclic::TIterBreadthCyclic(ENode* root)
    : TIterBreadth(root), rootType_(root ? &typeid(*root) : nullptr) {}

void TIterBreadthCyclic::First() {
    TIterBreadth::First();
    visited_->clear();
    visited_->insert(root_);
}

bool TIterBreadthCyclic::ShouldEnqueue(ENode* node) {
    return !IsDone() && node && !visited_->contains(node) && rootType_ &&
           typeid(*node) == *rootType_;
}

void TIterBreadthCyclic::Next() {
    for (;;) {
        Step();
        if (IsDone()) return;
        ENode* current = CurrentItem();
        if (!current) return;
        if (visited_->insert(current)) return;
    }
}

void TIterBreadthCyclic2::OnExpanded(ENode* node) {
    if (auto* page = dynamic_cast<EHtmlNode*>(node)) {
        page->ClearTags();
        page->ClearUrls();
    }
}

std::vector<ENode*> NodesBelow(ENode* node) {
    std::vector<ENode*> nodes;
    TIterPreOrderTyped it(node);
    for (it.First(); !it.IsDone(); it.Next()) nodes.push_back(it.CurrentItem());
    return nodes;
}

}  // namespace tw
