#include "engine/report/Overview.h"

#include <sys/stat.h>

#include <cmath>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/model/Site.h"
#include "engine/model/Traverse.h"

namespace tw {
namespace {

std::uint64_t FolderBytes(const std::string& folder) {
    std::uint64_t total = 0;
    DirectoryEnumerator entries(folder + kPathSep, "*");
    std::string path;
    while (entries.Next(path, true)) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode))
            total += FolderBytes(path);
        else if (S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

}  // namespace

bool ESiteOverview::VisitFile(EFileNode* node) {
    if (IsImageFile(node->GetPath())) ++imageFiles;
    return true;
}

bool ESiteOverview::VisitHtml(EHtmlNode* page) {
    if (page->IsHtml()) ++htmlFiles;
    // A page that was never parsed holds -1: it has no links counted.
    externalLinks += std::max(page->externalUrlCount, 0);
    internalLinks += std::max(page->localUrlCount, 0);
    return true;
}

std::uint64_t SiteFolderBytes(std::string_view folder) {
    return FolderBytes(std::string(StripTrailingSep(folder)));
}

SiteSummaryCounts CountSite(const EAppSite& site, std::optional<std::uint64_t> bytes) {
    SiteSummaryCounts c;
    c.brokenLinks = site.TotalBrokenCount();
    ESiteOverview overview;
    if (ENode* root = site.FindNode(site.GetDirectory()))
        TTraverse<TIterPreOrderTyped>(root, overview).Run("", 50);
    c.bytes = bytes ? *bytes : SiteFolderBytes(site.GetDirectory());
    c.files = site.NodeCount() - site.FolderCount();
    c.folders = site.FolderCount();
    c.htmlFiles = overview.htmlFiles;
    c.imageFiles = overview.imageFiles;
    c.otherFiles = c.files - c.htmlFiles - c.imageFiles;
    c.internalLinks = overview.internalLinks;
    c.externalLinks = overview.externalLinks;
    c.orphans = site.IsWholeSite() ? static_cast<int>(site.orphans.size()) : 0;
    return c;
}

std::string FormatSiteSummary(const SiteSummaryCounts& c, int templateId, bool wholeSite) {
    std::string size = FormatPrintf("%.0f KB", std::ceil(static_cast<double>(c.bytes) / 1024.0));
    std::string orphanText =
        wholeSite ? FormatPrintf(std::string(LoadString(357)).c_str(), c.orphans) : "";
    return FormatPrintf(std::string(LoadString(templateId)).c_str(), c.files, c.folders,
                        size.c_str(), c.htmlFiles, c.imageFiles, c.otherFiles, c.internalLinks,
                        c.externalLinks, c.brokenLinks, orphanText.c_str());
}

std::string SiteSummary(const EAppSite& site, int templateId, int* orphansOut, int* brokenOut) {
    SiteSummaryCounts c = CountSite(site);
    if (orphansOut) *orphansOut = c.orphans;
    if (brokenOut) *brokenOut = c.brokenLinks;
    return FormatSiteSummary(c, templateId, site.IsWholeSite());
}

}  // namespace tw
