#include "engine/maintenance/FixLinks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/html/UrlText.h"
#include "engine/model/Changes.h"
#include "engine/model/Iterators.h"
#include "engine/model/Node.h"
#include "engine/model/Site.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kName = 335, kUpdatingLinks = 307;

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

void ESiteFixLinksCommand::Restamp(const std::string& path) {
    for (PageChange& change : changes_)
        if (change.path == path) change.stamp = StampOf(path);
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
    // The three written forms of the new target.
    const std::string relative = EncodeUrl(RelativeUrl(page, toUrl_), false);
    const std::string asEntered = EncodeUrl(toUrl_, false);
    const std::string absolute = EncodeUrl(ServerUrl(toUrl_, site_->GetServer()), false);
    for (const EUrl& url : page.Urls()) {
        if (url.IsExternal() || url.IsBaseHref() || url.end >= content.size()) continue;
        if (!EqualsNoCase(SiteRelativeUrlPath(page, url.text), fromUrl_)) continue;
        const std::string& text = url.Has(EUrl::kFormRelative)       ? relative
                                  : url.Has(EUrl::kFormRootRelative) ? asEntered
                                                                     : absolute;
        splices.push_back({url.start, url.end + 1, text});
    }
    page.ClearTags();
    page.ClearUrls();
    return splices;
}

std::vector<ESiteFixLinksCommand::PagePreview> ESiteFixLinksCommand::Preview() const {
    std::vector<PagePreview> previews;
    if (!site_ || (!allFiles_ && !file_)) return previews;
    for (EHtmlNode* page : PagesToSearch()) {
        PagePreview preview{page->GetPath(), {}, {}, 0};
        if (!ReadWholeFile(page->GetPath(), preview.oldContent)) continue;
        std::vector<Splice> splices = SplicesFor(*page, preview.oldContent);
        if (splices.empty()) continue;
        preview.links = static_cast<int>(splices.size());
        preview.newContent = Spliced(preview.oldContent, splices);
        previews.push_back(std::move(preview));
    }
    return previews;
}

bool ESiteFixLinksCommand::DoIt() {
    changes_.clear();
    problems_.clear();
    if (!site_ || (!allFiles_ && !file_)) return false;
    const std::vector<EHtmlNode*> pages = PagesToSearch();
    std::vector<EHtmlNode*> written;
    EPageWriter writer;
    writer.SetSiteFolder(site_->GetDirectory());
    auto progress = EUiServices::Instance().CreateProgress(
        pages.size() >= 4 ? ProgressKind::Dialog : ProgressKind::Silent);
    progress->Begin(LoadString(kUpdatingLinks), static_cast<int>(pages.size()), nullptr);
    for (EHtmlNode* page : pages) {
        // A cancel stops after the page in hand; what was done so far stays, and is undone
        // exactly by Undo.
        ShowFolder(*progress, page->GetDirectory());
        if (abortRequested) break;
        progress->Step(page->GetPath(), 1);
        std::string content;
        if (!ReadWholeFile(page->GetPath(), content)) {
            // Its links may lead to what changed: the user must hear that it was not looked at.
            problems_.push_back(page->GetPath() + ": could not be read (" + std::strerror(errno) +
                                "); its links were not rewritten");
            continue;
        }
        std::vector<Splice> splices = SplicesFor(*page, content);
        if (splices.empty()) continue;
        std::string why;
        std::optional<PageChange> change =
            StageChange(writer, page->GetPath(), content, splices, &why);
        if (writer.WriteFailed()) break;
        if (!change) {
            problems_.push_back(why);
            continue;
        }
        changes_.push_back(std::move(*change));
        written.push_back(page);
    }
    progress->End();
    std::vector<std::string> notReplaced;
    if (!writer.WriteFailed()) notReplaced = writer.Commit();
    if (writer.WriteFailed()) {
        // A full disk stops the fix like a cancel, before any page was replaced.
        changes_.clear();
        reversed = true;
        return false;
    }
    const std::vector<bool> kept = SettleCommitted(changes_, notReplaced);
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!kept[i]) {
            problems_.push_back(written[i]->GetPath() + ": could not be replaced");
            continue;
        }
        site_->FixPageLink(written[i], fromUrl_, toUrl_);
        EChanges::Instance().PageLinksChanged(written[i]->GetPath());
    }
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
