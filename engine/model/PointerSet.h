#pragma once
// A set of pointers in one flat table (open addressing): one probe touches one cache line,
// which matters for the sets of visited nodes that a walk over a big site consults for every
// link.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw {

template <typename T>
class TPointerSet {
  public:
    // True when the pointer was not in the set yet.
    bool insert(T* p) {
        if ((size_ + 1) * 10 >= slots_.size() * 7) Grow();
        std::size_t i = Slot(p);
        const std::size_t mask = slots_.size() - 1;
        for (; slots_[i]; i = (i + 1) & mask)
            if (slots_[i] == p) return false;
        slots_[i] = p;
        ++size_;
        return true;
    }
    bool contains(T* p) const {
        if (slots_.empty()) return false;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = Slot(p); slots_[i]; i = (i + 1) & mask)
            if (slots_[i] == p) return true;
        return false;
    }
    std::size_t count(T* p) const { return contains(p) ? 1 : 0; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() {
        slots_.clear();
        size_ = 0;
    }

  private:
    std::size_t Slot(T* p) const {
        auto v = reinterpret_cast<std::uintptr_t>(p);
        return static_cast<std::size_t>((v >> 4) * 0x9E3779B97F4A7C15ull >> 20) &
               (slots_.size() - 1);
    }
    void Grow() {
        std::vector<T*> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 256 : old.size() * 2, nullptr);
        size_ = 0;
        for (T* p : old)
            if (p) insert(p);
    }

    std::vector<T*> slots_;
    std::size_t size_ = 0;
};

// Pointers once each, in the order first met: a short list is searched directly, a long one
// through a set.
template <typename T>
class TFirstSeen {
  public:
    // `expected`: about how many pointers will be offered.
    explicit TFirstSeen(std::size_t expected) : many_(expected > 64) {}
    void Add(T* p) {
        if (many_ ? seen_.insert(p) : std::find(list.begin(), list.end(), p) == list.end())
            list.push_back(p);
    }
    std::vector<T*> list;

  private:
    bool many_;
    TPointerSet<T> seen_;
};

}  // namespace tw
