#pragma once
// The passes whose sections make up the statistics report: every broken link by page and line,
// every external (or mailto) link, and the sortable table of page weights and download times;
// and the pass that drops what the others needed kept. Each runs over the site tree after the
// pages' URLs were read (EFindUrlLinks) and writes into the report section of the log.

#include <cstdint>
#include <set>
#include <string>

#include "engine/model/Visitor.h"

namespace tw {

class ENode;

class EReportBrokenLinks : public EVisitor {
  public:
    EReportBrokenLinks();
    ~EReportBrokenLinks() override;
    bool VisitHtml(EHtmlNode* page) override;
};

class EReportExternal : public EVisitor {
  public:
    enum Kind { kExternal = 1, kMailto = 2 };
    explicit EReportExternal(int kind);
    ~EReportExternal() override;
    bool VisitHtml(EHtmlNode* page) override;

  private:
    std::set<std::string> listed_;
    ESection* htmlSection_ = nullptr;
    int kind_;
};

// A page's weight with everything it embeds; "!" a broken embedded link, "*" an external one.
struct PageWeight {
    std::uint64_t bytes = 0;
    bool brokenEmbedded = false;
    bool externalEmbedded = false;
};
PageWeight EmbeddedWeight(EHtmlNode& page, bool withFrames);

class EReportDownloadTimes : public EVisitor {
  public:
    explicit EReportDownloadTimes(ENode* homePage);
    ~EReportDownloadTimes() override;
    bool VisitHtml(EHtmlNode* page) override;

  private:
    ENode* homePage_;
    int homeRow_ = -1;
};

class EClearCachedTags : public EVisitor {
  public:
    bool VisitHtml(EHtmlNode* page) override;
};

}  // namespace tw
