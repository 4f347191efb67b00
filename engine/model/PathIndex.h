#pragma once
// The site's index from path to node, without regard to case. An open-addressing table of
// (hash of the folded path, hash of the path as spelled, node): no key strings are stored, so
// a lookup costs one fold of the path and a probe or two, and the index adds about 24 bytes
// per node. The spelled hash answers "the node indexed under exactly this path", which holds
// for a node renamed on disk until it is indexed anew: what acts on a file needs that, since
// this platform allows names that differ in case alone.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

class ENode;

class EPathIndex {
  public:
    // Adds a node under its current path (a node already there is not added twice).
    void Insert(ENode* node);
    // Removes a node inserted under `path` (its path then, which a rename may have changed).
    void Erase(ENode* node, std::string_view path);
    // The node of a path: the one whose path matches exactly, else the first in path order
    // among those that differ in case alone; null when none. `sameSpelling`: whether the node
    // was indexed under exactly this spelling (by the hash of the spelling, as nodes are found
    // by the hash of the folded path), so that telling a case mismatch reads no node.
    ENode* Find(std::string_view path, bool* isFolder = nullptr,
                bool* sameSpelling = nullptr) const;
    // The node indexed under exactly this spelling of the path (its own path may have changed
    // since, by a rename not yet entered); null when none.
    ENode* FindExact(std::string_view path) const;
    // Another node indexed under the same folded path as `node` (names that differ in case
    // alone), or null.
    ENode* FindOther(ENode* node) const;
    void Clear();
    std::size_t size() const { return live_; }

  private:
    // The hash's lowest bit holds whether the node is a folder, so that resolving a URL need
    // not touch the node itself; hashes are compared without it.
    struct Slot {
        std::uint64_t hash = 0;
        std::uint64_t spelled = 0;  // hash of the path as indexed, case kept
        ENode* node = nullptr;      // null: empty; Tombstone(): removed
    };
    static ENode* Tombstone();
    static std::uint64_t HashOf(std::string_view path);
    static std::uint64_t SpelledHashOf(std::string_view path);
    void Grow();

    std::vector<Slot> slots_;
    std::size_t used_ = 0;  // live slots and tombstones
    std::size_t live_ = 0;
};

}  // namespace tw
