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
    void Check(EHtmlNode& page, const FragmentRef& ref, const std::vector<std::uint32_t>& ids);

    struct Waiting {
        EHtmlNode* page;
        FragmentRef ref;
    };
    Sink sink_;
    std::unordered_map<ENode*, std::vector<std::uint32_t>> ids_;
    std::unordered_map<ENode*, std::vector<Waiting>> waiting_;
};

// Line, written text and fragment of a reference, read from the page's file.
FragmentFinding DescribeFragment(EHtmlNode& page, const FragmentRef& ref);

}  // namespace tw
