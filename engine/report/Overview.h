#pragma once
// The site overview: files, folders, pages, images, links, broken links and orphans of a
// site, as plain text (template 295) or as an HTML paragraph (template 310).

#include <optional>
#include <string>
#include <string_view>

#include "engine/model/Visitor.h"

namespace tw {

class EAppSite;

class ESiteOverview : public EVisitor {
  public:
    bool VisitFile(EFileNode* node) override;
    bool VisitHtml(EHtmlNode* page) override;

    int htmlFiles = 0;
    int imageFiles = 0;
    int externalLinks = 0;
    int internalLinks = 0;
};

struct SiteSummaryCounts {
    int files = 0;
    int folders = 0;
    std::uint64_t bytes = 0;
    int htmlFiles = 0;
    int imageFiles = 0;
    int otherFiles = 0;
    int internalLinks = 0;
    int externalLinks = 0;
    int brokenLinks = 0;
    int orphans = 0;  // 0 when only sections are tracked
};

// The counts behind the summary. `bytes`, when given, is SiteFolderBytes of the site's folder
// worked out beforehand (a check reads the folder's sizes while the site loads).
SiteSummaryCounts CountSite(const EAppSite& site, std::optional<std::uint64_t> bytes = {});
// Bytes of every file below a folder, subfolders included (links to folders not followed).
std::uint64_t SiteFolderBytes(std::string_view folder);
// The summary in template 295 (plain) or 310 (HTML).
std::string SiteSummary(const EAppSite& site, int templateId, int* orphansOut = nullptr,
                        int* brokenOut = nullptr);
std::string FormatSiteSummary(const SiteSummaryCounts& counts, int templateId, bool wholeSite);

}  // namespace tw
