#pragma once
// Runs of values appended to blocks that never move: each run stays in one piece and in one
// place until the store is cleared, so others may keep pointers to it while more is appended.
// A big site appends millions of values this way without a copy of what is there.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace tw {

template <typename T, std::size_t kBlock = (std::size_t{512} << 10) / sizeof(T)>
class TBlockStore {
  public:
    // Room for a run of `n` values, to be filled by the caller. Blocks are not zeroed: the
    // unused end of one is never touched, so it takes no memory.
    T* Append(std::size_t n) {
        if (n > free_) {
            const std::size_t size = std::max(kBlock, n);  // a longer run gets a block of its own
            blocks_.push_back(std::make_unique_for_overwrite<T[]>(size));
            end_ = blocks_.back().get() + size;
            free_ = size;
        }
        T* run = end_ - free_;
        free_ -= n;
        return run;
    }
    void clear() {
        std::vector<std::unique_ptr<T[]>>().swap(blocks_);
        end_ = nullptr;
        free_ = 0;
    }

  private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    T* end_ = nullptr;      // the end of the last block
    std::size_t free_ = 0;  // unused values before it
};

}  // namespace tw
