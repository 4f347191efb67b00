#pragma once
// The passes that build the link web.

#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/model/PointerSet.h"
#include "engine/model/Site.h"
#include "engine/model/Visitor.h"

namespace tw {

class ESection;
class EFragmentCheck;

// What the link pass found at one URL that does not lead to a file: for front ends that list
// problems as data (the command line's output).
// CaseMismatch: the link works only where case is ignored (it still counts as good here).
enum class LinkProblem { Broken, Untracked, Ignored, CaseMismatch };
using LinkProblemSink = std::function<void(EHtmlNode& page, const EUrl& url, LinkProblem problem)>;

// Parses every page it visits and records its links in the site's link web.
class EParseAhead;

class EFindUrlsCreateFromMap : public EVisitor {
  public:
    // Opens the "HTML SYNTAX ERRORS:" section (emptied first) when the setting
    // "1ReportSyntaxErrors" is on.
    // `reportSyntax` overrides the setting when given.
    EFindUrlsCreateFromMap(EAppSite* site, bool freeAfterVisit,
                           std::optional<bool> reportSyntax = std::nullopt);
    ~EFindUrlsCreateFromMap() override;

    bool VisitFile(EFileNode* node) override;
    bool VisitHtml(EHtmlNode* page) override;

    TPointerSet<ENode> visited;
    EAppSite* site;
    bool freeAfterVisit;
    bool keepUrls = false;                // each page keeps its whole URL list
    EParseAhead* ahead = nullptr;         // optional: pages read on other cores
    std::vector<EHtmlNode*> nextPages;    // the pages announced to `ahead` after a page
    LinkProblemSink onProblem;            // optional
    EFragmentCheck* fragments = nullptr;  // optional: checks "#part" of every page visited
};

// Counts the pages and files it visits into a caller's set, parsing each page's URLs.
class EFindUrlLinks : public EVisitor {
  public:
    EFindUrlLinks(std::set<ENode*>& nodes, bool openSection);
    ~EFindUrlLinks() override;
    bool VisitFile(EFileNode* node) override;
    bool VisitHtml(EHtmlNode* page) override;

  private:
    std::set<ENode*>& nodes_;
};

}  // namespace tw
