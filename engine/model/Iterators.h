#pragma once
// Iterators over nodes. A folder's children are its entries; a page's children are the nodes
// its local links point to, so the same pre-order or breadth-first walk follows the folder
// tree from a folder and the link web from a page.

#include <deque>
#include <memory>
#include <span>
#include <typeinfo>
#include <vector>
#include "engine/model/PointerSet.h"

#include "engine/model/Url.h"

namespace tw {

class ENode;

template <typename T>
class IIterator {
  public:
    virtual ~IIterator() = default;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool IsDone() const = 0;
    virtual T& CurrentItem() = 0;
};

// Adapts a vector. For a vector of owning pointers the item is the raw pointer.
template <typename Container, typename T>
class TIterStl : public IIterator<T> {
  public:
    explicit TIterStl(Container* container) : container_(container) {}
    void First() override { pos_ = 0; }
    void Next() override { ++pos_; }
    bool IsDone() const override { return !container_ || pos_ >= container_->size(); }
    T& CurrentItem() override {
        if constexpr (std::is_same_v<typename Container::value_type, T>) {
            return (*container_)[pos_];
        } else {
            item_ = IsDone() ? T{} : (*container_)[pos_].get();
            return item_;
        }
    }

  private:
    Container* container_;
    std::size_t pos_ = 0;
    T item_{};
};

// Nodes listed elsewhere, read in place.
class TIterSpan : public IIterator<ENode*> {
  public:
    explicit TIterSpan(std::span<ENode* const> items) : items_(items) {}
    void First() override { pos_ = 0; }
    void Next() override { ++pos_; }
    bool IsDone() const override { return pos_ >= items_.size(); }
    ENode*& CurrentItem() override {
        item_ = IsDone() ? nullptr : items_[pos_];
        return item_;
    }

  private:
    std::span<ENode* const> items_;
    std::size_t pos_ = 0;
    ENode* item_ = nullptr;
};

// The targets of a page's URLs, skipping external and base URLs and URLs without a target.
class TIterWeb : public IIterator<ENode*> {
  public:
    explicit TIterWeb(std::vector<EUrl>* urls) : urls_(urls) { First(); }
    void First() override {
        pos_ = 0;
        Skip();
    }
    void Next() override {
        ++pos_;
        Skip();
    }
    bool IsDone() const override { return !urls_ || pos_ >= urls_->size(); }
    ENode*& CurrentItem() override {
        item_ = IsDone() ? nullptr : (*urls_)[pos_].target;
        return item_;
    }

  private:
    void Skip() {
        while (!IsDone()) {
            const EUrl& u = (*urls_)[pos_];
            if (!u.IsExternal() && !u.IsBaseHref() && u.target) break;
            ++pos_;
        }
    }
    std::vector<EUrl>* urls_;
    std::size_t pos_ = 0;
    ENode* item_ = nullptr;
};

// Depth-first pre-order: the root, then each descendant before its own descendants.
class TIterPreOrder : public IIterator<ENode*> {
  public:
    explicit TIterPreOrder(ENode* root) : root_(root) {}
    void First() override;
    void Next() override;
    bool IsDone() const override;
    ENode*& CurrentItem() override;
    virtual bool ShouldDescend(ENode* node);

  private:
    ENode* root_;
    ENode* item_ = nullptr;
    bool atRoot_ = false;
    ENode* parent_ = nullptr;
    std::unique_ptr<IIterator<ENode*>> children_;
    std::vector<ENode*> parents_;
    std::vector<std::unique_ptr<IIterator<ENode*>>> iterators_;
};

// Pre-order that descends only into nodes of the root's own class: from a folder it yields
// the whole subtree but never follows a page's links.
class TIterPreOrderTyped : public TIterPreOrder {
  public:
    explicit TIterPreOrderTyped(ENode* root);
    bool ShouldDescend(ENode* node) override;

  private:
    const std::type_info* rootType_;
};

// Breadth-first.
class TIterBreadth : public IIterator<ENode*> {
  public:
    explicit TIterBreadth(ENode* root) : root_(root) {}
    void First() override;
    void Next() override;
    bool IsDone() const override;
    ENode*& CurrentItem() override;
    // Called once all children of a parent were yielded.
    virtual void OnExpanded(ENode* /*node*/) {}
    virtual bool ShouldEnqueue(ENode* node);

  protected:
    void Step();
    ENode* root_;

  private:
    ENode* item_ = nullptr;
    ENode* parent_ = nullptr;
    std::unique_ptr<IIterator<ENode*>> children_;
    std::deque<ENode*> queue_;
};

// Breadth-first that yields each node once, even on a cyclic link web, and expands only
// nodes of the start node's class.
class TIterBreadthCyclic : public TIterBreadth {
  public:
    explicit TIterBreadthCyclic(ENode* root);
    void First() override;
    void Next() override;
    bool ShouldEnqueue(ENode* node) override;
    // Keeps the record of the nodes reached in `set` instead of a set of its own (a visitor
    // that records them too then shares it: one set to ask per link, not two). First empties it.
    void RecordReachedIn(TPointerSet<ENode>* set) { visited_ = set ? set : &own_; }

  private:
    TPointerSet<ENode> own_;
    TPointerSet<ENode>* visited_ = &own_;
    const std::type_info* rootType_;
};

// Breadth-cyclic that drops a page's parsed tags and URLs once its links are queued, so a
// walk over a whole site's web holds only the pages of the current queue window.
class TIterBreadthCyclic2 : public TIterBreadthCyclic {
  public:
    using TIterBreadthCyclic::TIterBreadthCyclic;
    void OnExpanded(ENode* node) override;
};

// The node and every node below it (a folder's whole subtree), in pre-order.
std::vector<ENode*> NodesBelow(ENode* node);

}  // namespace tw
