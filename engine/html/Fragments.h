#pragma once
// Checks "page.htm#part" and "#part" against the ids and <a> names of the page they point
// at. Pages are read in walk order, so a reference may come before its target is read: it
// waits, keyed by the target, and is checked when the target's ids arrive. Ids are kept as
// hashes, never as text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/model/BlockStore.h"
#include "engine/model/Url.h"

namespace tw {

class EHtmlNode;
class ENode;

// A fragment that names no place of its page.
struct FragmentFinding {
    std::uint32_t line = 0;
    std::string url;       // as written in the file, fragment included
    std::string fragment;  // decoded
};

class EFragmentCheck {
  public:
    using Sink = std::function<void(EHtmlNode& page, const FragmentRef& ref)>;
    explicit EFragmentCheck(Sink sink) : sink_(std::move(sink)) {}

    // After a page was parsed with fragments collected: keeps its ids, checks the references
    // that waited for them, then checks the page's own references (or lets them wait).
    void OnPageParsed(EHtmlNode& page);

  private:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    // A page of the table. Once it is read: its ids (how many, then the ids sorted, in one run
    // of `ids_`). Until then: the references waiting for it, as the newest one's place in
    // `waiting_` times two plus one (which no run's address is).
    struct Entry {
        const ENode* page = nullptr;
        std::uintptr_t word = 0;
        const std::uint32_t* Ids() const {
            return word & 1 ? nullptr : reinterpret_cast<const std::uint32_t*>(word);
        }
        std::uint32_t Newest() const {
            return word & 1 ? static_cast<std::uint32_t>(word >> 1) : kNone;
        }
    };
    // A reference waiting for its page to be read; `older` links it to the one before (or,
    // once checked, to the next free record).
    struct Waiting {
        EHtmlNode* page;
        std::uint32_t hash, start, end;
        std::uint32_t older;
    };
    const Entry* Find(const ENode* page) const;
    // The page's entry, made empty when there was none.
    Entry& Enter(const ENode* page);
    const std::uint32_t* KeepIds(const std::vector<std::uint32_t>& ids);
    void Wait(Entry& entry, EHtmlNode& page, const FragmentRef& ref);
    // Checks the references waiting from `newest` on, oldest first, and frees their records.
    void CheckWaiting(std::uint32_t newest, const ENode* target, const std::uint32_t* ids);
    void Check(EHtmlNode& page, const FragmentRef& ref, const std::uint32_t* ids) const;

    Sink sink_;
    // Every page's ids are kept to the end of the walk (a later page may point at them): all
    // in one store that grows without copying, found through a flat table, so that a big site
    // pays a few bytes per page beyond the ids themselves. References to pages not read yet
    // wait in one array of records, chained by page through the same table.
    TBlockStore<std::uint32_t> ids_;
    std::vector<Entry> table_;  // open addressing; a power of two long
    std::size_t pages_ = 0;
    std::vector<Waiting> waiting_;
    std::uint32_t free_ = kNone;        // the first free record of waiting_
    std::vector<std::uint32_t> chain_;  // reused while checking a chain
};

// Line, written text and fragment of a reference, read from the page's file.
FragmentFinding DescribeFragment(EHtmlNode& page, const FragmentRef& ref);

}  // namespace tw
