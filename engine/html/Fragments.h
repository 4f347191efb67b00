#pragma once
// Checks "page.htm#part" and "#part" against the ids and <a> names of the page they point
// at. Pages are read in walk order, so a reference may come before its target is read: it
// waits, keyed by the target, and is checked when the target's ids arrive. Ids are kept as
// hashes, never as text.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
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
    // A page's ids: how many, then the ids sorted, in one run of `ids_`.
    struct Ids {
        const ENode* page = nullptr;
        const std::uint32_t* run = nullptr;
    };
    const Ids* Find(const ENode* page) const;
    const Ids& Keep(const ENode* page, const std::vector<std::uint32_t>& ids);
    void Check(EHtmlNode& page, const FragmentRef& ref, const Ids& ids) const;

    struct Waiting {
        EHtmlNode* page;
        FragmentRef ref;
    };
    Sink sink_;
    // Every page's ids are kept to the end of the walk (a later page may point at them): all
    // in one store that grows without copying, found through a flat table, so that a big site
    // pays a few bytes per page beyond the ids themselves.
    TBlockStore<std::uint32_t> ids_;
    std::vector<Ids> table_;  // open addressing; a power of two long
    std::size_t pages_ = 0;
    std::unordered_map<ENode*, std::vector<Waiting>> waiting_;
};

// Line, written text and fragment of a reference, read from the page's file.
FragmentFinding DescribeFragment(EHtmlNode& page, const FragmentRef& ref);

}  // namespace tw
