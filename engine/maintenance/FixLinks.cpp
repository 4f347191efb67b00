#include "engine/maintenance/FixLinks.h"

#include <algorithm>

#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/LinkRewriter.h"
#include "engine/commands/RewritePass.h"
#include "engine/html/UrlText.h"
#include "engine/model/Changes.h"
#include "engine/model/Iterators.h"
#include "engine/model/Node.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

constexpr int kName = 335;

}  // namespace

ESiteFixLinksCommand::ESiteFixLinksCommand(EAppSite* site, EHtmlNode* file, std::string fromUrl,
                                           std::string toUrl, bool allFiles)
    : site_(site),
      file_(file),
      fromUrl_(std::move(fromUrl)),
      toUrl_(std::move(toUrl)),
      allFiles_(allFiles) {
    if (file_ && IsLocalUrl(*file_, fromUrl_)) fromUrl_ = SiteRelativeUrlPath(*file_, fromUrl_);
}

std::string ESiteFixLinksCommand::GetName() const {
    return LoadMessage(kName, {fromUrl_});
}

std::string ESiteFixLinksCommand::Serialize() const {
    return Joined(GetClassName(), {fromUrl_, toUrl_, allFiles_ ? "All" : "Single"});
}

bool ESiteFixLinksCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 3 || fields[1].empty() || fields[2].empty()) return false;
    fromUrl_ = fields[1];
    toUrl_ = fields[2];
    allFiles_ = fields.size() > 3 && fields[3] == "All";
    return true;
}

std::vector<std::string> ESiteFixLinksCommand::RewrittenFiles() const {
    std::vector<std::string> pages;
    for (const PageChange& change : changes_) pages.push_back(change.path);
    return pages;
}

void ESiteFixLinksCommand::Restamp(const std::string& path, const FileStamp& stamp) {
    for (PageChange& change : changes_)
        if (change.path == path) change.stamp = stamp;
}

std::vector<EHtmlNode*> ESiteFixLinksCommand::PagesToSearch() const {
    std::vector<EHtmlNode*> pages;
    if (!allFiles_) {
        if (file_) pages.push_back(file_);
        return pages;
    }
    // The pages the link maps name; when the link is in neither, every page of the site.
    for (const ELinkMap* map : {&site_->brokenLinks, &site_->untrackedLinks}) {
        auto [from, to] = map->equal_range(fromUrl_);
        for (auto it = from; it != to; ++it)
            if (auto* page = dynamic_cast<EHtmlNode*>(it->second.page)) pages.push_back(page);
        if (!pages.empty()) return pages;
    }
    if (!site_->Root()) return pages;
    TIterPreOrderTyped it(site_->Root());
    for (it.First(); !it.IsDone(); it.Next())
        if (auto* page = dynamic_cast<EHtmlNode*>(it.CurrentItem()); page && page->IsLinkSource())
            pages.push_back(page);
    return pages;
}

std::vector<Splice> ESiteFixLinksCommand::SplicesFor(EHtmlNode& page,
                                                     const std::string& content) const {
    std::vector<Splice> splices;
    page.ClearTags();
    page.ClearUrls();
    if (!WasRead(page.ParseUrlsOf(content, nullptr))) return splices;
    const UrlContext context = UrlContext::Of(page);
    const std::string& siteDir = site_->GetDirectory();
    const std::string target = ResolveToFilePath(toUrl_, siteDir, siteDir);
    std::string base = page.GetDirectory();
    for (const EUrl& url : page.Urls()) {
        if (url.IsExternal() || url.end >= content.size()) continue;
        const std::string local = LocalUrlPath(context, url.text);
        if (url.IsBaseHref()) {
            // Relative URLs after the base resolve against the folder it names.
            if (!local.empty())
                base = BaseFolder(local, ResolveToFilePath(local, page.GetDirectory(), siteDir));
            continue;
        }
        if (local.empty() || !EqualsNoCase(SiteRelativeUrlPath(page, url.text), fromUrl_)) continue;
        splices.push_back(
            {url.start, url.end + 1, UrlTextFor(url, local, content, base, target, siteDir)});
    }
    page.ClearTags();
    page.ClearUrls();
    return splices;
}

std::vector<ESiteFixLinksCommand::PagePreview> ESiteFixLinksCommand::Preview() const {
    std::vector<PagePreview> previews;
    if (!site_ || (!allFiles_ && !file_)) return previews;
    for (tw::PagePreview& p :
         PreviewPages(PagesToSearch(), [&](EHtmlNode&page, std::size_t, const std::string&bytes) {
             return SplicesFor(page, bytes);
         }))
        previews.push_back(
            {p.page->GetPath(), std::move(p.oldContent), std::move(p.newContent), p.links});
    return previews;
}

bool ESiteFixLinksCommand::DoIt() {
    changes_.clear();
    problems_.clear();
    if (!site_ || (!allFiles_ && !file_)) return false;
    RewriteOutcome pass = RewritePages(*site_, PagesToSearch(),
                                       [&](EHtmlNode& page, std::size_t, const std::string& bytes) {
                                           return SplicesFor(page, bytes);
                                       });
    if (!pass.Finished()) {
        // A cancel or a full disk before the commit: no page was written.
        reversed = true;
        return false;
    }
    changes_ = std::move(pass.changes);
    problems_ = std::move(pass.problems);
    for (EHtmlNode* page : pass.rewritten) site_->FixPageLink(page, fromUrl_, toUrl_);
    Refresh();
    undoable = !changes_.empty();
    return problems_.empty();
}

bool ESiteFixLinksCommand::UndoIt() {
    if (!site_ || !PagesAsLeft(changes_)) return false;
    std::vector<std::string> pages = RewrittenFiles();
    bool ok = RestorePages(changes_);
    // The pages hold their old bytes again: their links are read anew.
    for (const std::string& path : pages)
        if (auto* page = dynamic_cast<EHtmlNode*>(site_->FindExactNode(path)))
            site_->RefreshPageLinks(page);
    Refresh();
    return ok;
}

void ESiteFixLinksCommand::Refresh() {
    // The old and the new target may have gained or lost the pages that reach them.
    const std::string folder = file_ ? file_->GetDirectory() : site_->GetDirectory();
    for (const std::string& url : {toUrl_, fromUrl_}) {
        std::string path = ResolveToFilePath(url, folder, site_->GetDirectory());
        if (ENode* node = site_->FindNode(path)) site_->ReevaluateReachability(node);
    }
    EChanges::Instance().OrphansChanged();
}

}  // namespace tw
