#include "engine/model/PathIndex.h"

#include <functional>
#include <string>

#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/model/Node.h"

namespace tw {
namespace {

constexpr std::uint64_t kFolderBit = 1;

bool SameHash(std::uint64_t slotHash, std::uint64_t hash) {
    return (slotHash & ~kFolderBit) == hash;
}

}  // namespace

ENode* EPathIndex::Tombstone() {
    static char marker;
    return reinterpret_cast<ENode*>(&marker);
}

std::uint64_t EPathIndex::HashOf(std::string_view path) {
    thread_local std::string folded;
    FoldCaseInto(StripTrailingSep(path), folded);
    return std::hash<std::string_view>{}(folded) & ~kFolderBit;
}

std::uint64_t EPathIndex::SpelledHashOf(std::string_view path) {
    return std::hash<std::string_view>{}(StripTrailingSep(path));
}

void EPathIndex::Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    used_ = live_ = 0;
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.node || slot.node == Tombstone()) continue;
        std::size_t i = (slot.hash & ~kFolderBit) & mask;
        while (slots_[i].node) i = (i + 1) & mask;
        slots_[i] = slot;
        ++used_;
        ++live_;
    }
}

void EPathIndex::Insert(ENode* node) {
    if ((used_ + 1) * 10 >= slots_.size() * 7) Grow();
    const std::uint64_t hash = HashOf(node->GetPath());
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    std::size_t free = slots_.size();
    const std::uint64_t tagged = hash | (node->IsFolder() ? kFolderBit : 0);
    for (; slots_[i].node; i = (i + 1) & mask) {
        if (slots_[i].node == node) return;
        if (slots_[i].node == Tombstone() && free == slots_.size()) free = i;
    }
    if (free == slots_.size()) {
        free = i;
        ++used_;
    }
    slots_[free] = Slot{tagged, SpelledHashOf(node->GetPath()), node};
    ++live_;
}

void EPathIndex::Erase(ENode* node, std::string_view path) {
    if (slots_.empty()) return;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = HashOf(path) & mask; slots_[i].node; i = (i + 1) & mask) {
        if (slots_[i].node != node) continue;
        slots_[i].node = Tombstone();
        --live_;
        return;
    }
}

ENode* EPathIndex::Find(std::string_view path, bool* isFolder, bool* sameSpelling) const {
    if (slots_.empty()) return nullptr;
    std::string_view bare = StripTrailingSep(path);
    const std::uint64_t hash = HashOf(bare);
    const std::size_t mask = slots_.size() - 1;
    // A node is found by the 64-bit hash of the folded path it was indexed under. Its path
    // may have changed since (a rename in progress looks the node up by its old path), so
    // the path is used only to choose among nodes indexed under the same folded path: the
    // one indexed under exactly this spelling first, then one that folds equal, then the
    // first in path order.
    // Nearly always one node has the hash: it is the answer, and its path need not be read.
    ENode* only = nullptr;
    std::uint64_t onlySpelled = 0;
    int matches = 0;
    for (std::size_t i = hash & mask; slots_[i].node; i = (i + 1) & mask) {
        if (!SameHash(slots_[i].hash, hash) || slots_[i].node == Tombstone()) continue;
        only = slots_[i].node;
        onlySpelled = slots_[i].spelled;
        if (isFolder) *isFolder = (slots_[i].hash & kFolderBit) != 0;
        ++matches;
    }
    if (matches <= 1) {
        if (sameSpelling) *sameSpelling = only && onlySpelled == SpelledHashOf(bare);
        return only;
    }
    ENode* best = nullptr;
    int bestRank = 0;
    const std::uint64_t spelled = SpelledHashOf(bare);
    for (std::size_t i = hash & mask; slots_[i].node; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (!SameHash(slot.hash, hash) || slot.node == Tombstone()) continue;
        const std::string& candidate = slot.node->GetPath();
        if (slot.spelled == spelled) {
            if (isFolder) *isFolder = slot.node->IsFolder();
            if (sameSpelling) *sameSpelling = true;
            return slot.node;
        }
        int rank = EqualsNoCase(candidate, bare) ? 2 : 1;
        if (rank > bestRank ||
            (rank == bestRank && EDirNode::PathLess(candidate, best->GetPath()))) {
            best = slot.node;
            bestRank = rank;
        }
    }
    if (isFolder && best) *isFolder = best->IsFolder();
    if (sameSpelling) *sameSpelling = false;
    return best;
}

ENode* EPathIndex::FindExact(std::string_view path) const {
    if (slots_.empty()) return nullptr;
    const std::uint64_t hash = HashOf(path);
    const std::uint64_t spelled = SpelledHashOf(path);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].node; i = (i + 1) & mask)
        if (SameHash(slots_[i].hash, hash) && slots_[i].spelled == spelled &&
            slots_[i].node != Tombstone())
            return slots_[i].node;
    return nullptr;
}

ENode* EPathIndex::FindOther(ENode* node) const {
    if (slots_.empty()) return nullptr;
    const std::uint64_t hash = HashOf(node->GetPath());
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].node; i = (i + 1) & mask)
        if (SameHash(slots_[i].hash, hash) && slots_[i].node != node &&
            slots_[i].node != Tombstone())
            return slots_[i].node;
    return nullptr;
}

void EPathIndex::Clear() {
    slots_.clear();
    used_ = live_ = 0;
}

}  // namespace tw
