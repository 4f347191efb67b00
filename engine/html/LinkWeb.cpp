#include "engine/html/LinkWeb.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/html/Fragments.h"
#include "engine/html/ParseAhead.h"
#include "engine/html/UrlText.h"
#include "engine/model/Iterators.h"
#include "engine/model/LinkStatus.h"

namespace tw {
namespace {

// Drops a page's parsed data unless the caller had it parsed before.
class ParsedForNow {
  public:
    explicit ParsedForNow(EHtmlNode* page) : page_(page), keep_(page->UrlsParsed()) {}
    ~ParsedForNow() {
        if (!keep_) {
            page_->ClearTags();
            page_->ClearUrls();
        }
    }

  private:
    EHtmlNode* page_;
    bool keep_;
};

void EraseEntry(ELinkMap& map, std::string_view path, ENode* page) {
    auto [from, to] = map.equal_range(std::string(path));
    for (auto it = from; it != to;) {
        if (it->second.page == page)
            it = map.erase(it);
        else
            ++it;
    }
}

void EraseEntriesOfPage(ELinkMap& map, ENode* page) {
    for (auto it = map.begin(); it != map.end();) {
        if (it->second.page == page)
            it = map.erase(it);
        else
            ++it;
    }
}

}  // namespace

// ---- visitors ----

EFindUrlsCreateFromMap::EFindUrlsCreateFromMap(EAppSite* s, bool free,
                                               std::optional<bool> reportSyntax)
    : site(s), freeAfterVisit(free) {
    if (!reportSyntax.value_or(SettingsStore::Instance().ReadBool("1ReportSyntaxErrors"))) return;
    section = ELog::Instance().OpenSection(ELog::kSyntaxSectionId);
    section->Reset();
    ELog::Instance().CloseSection(section);
    section = ELog::Instance().OpenSection(ELog::kSyntaxSectionId);
}

EFindUrlsCreateFromMap::~EFindUrlsCreateFromMap() {
    if (section) ELog::Instance().CloseSection(section);
}

bool EFindUrlsCreateFromMap::VisitFile(EFileNode* node) {
    visited.insert(node);
    return false;
}

bool EFindUrlsCreateFromMap::VisitHtml(EHtmlNode* page) {
    return site && site->RecordPageLinks(page, *this);
}

EFindUrlLinks::EFindUrlLinks(std::set<ENode*>& nodes, bool openSection) : nodes_(nodes) {
    if (openSection) section = ELog::Instance().OpenSection(ELog::kSyntaxSectionId);
}

EFindUrlLinks::~EFindUrlLinks() {
    if (section) ELog::Instance().CloseSection(section);
}

bool EFindUrlLinks::VisitFile(EFileNode* node) {
    nodes_.insert(node);
    return true;
}

bool EFindUrlLinks::VisitHtml(EHtmlNode* page) {
    nodes_.insert(page);
    ParseResult r = page->ParseUrls(section);
    page->ClearTags();
    if (!WasRead(r)) return false;
    ++count;
    return true;
}

// ---- EAppSite: the link web ----

void EAppSite::Bump(ELinkMap& map, const std::string& path, ENode* page, int by) {
    auto [from, to] = map.equal_range(path);
    for (auto it = from; it != to; ++it) {
        if (it->second.page == page) {
            it->second.count += by;
            return;
        }
    }
    map.emplace(path, ELinkEntry{page, by});
}

std::string EAppSite::SiteRelativePath(const ENode* node) const {
    return SiteRelativePathOf(node->GetPath(), directory_);
}

int EAppSite::TotalBrokenCount() const {
    int total = 0;
    for (const auto& [page, n] : brokenCountByPage) total += n;
    return total;
}

bool EAppSite::RecordPageLinks(EHtmlNode* page, EFindUrlsCreateFromMap& visitor) {
    visitor.visited.insert(page);
    const ParseResult read = visitor.ahead ? visitor.ahead->Take(page, visitor.section)
                                           : page->ParseUrls(visitor.section);
    if (read == ParseResult::Unreadable) unreadablePages.push_back(page->GetPath());
    if (!WasRead(read)) return false;
    ++visitor.count;
    if (visitor.fragments) visitor.fragments->OnPageParsed(*page);
    // A page recorded for the first time cannot have pairs yet: its targets, made unique,
    // are appended without searching the lists of popular targets.
    const auto [entry, fresh] = brokenCountByPage.try_emplace(page, 0);
    int& broken = entry->second;
    broken = 0;
    // Each target once, in the order first met: a page of millions of links to a few files
    // holds a few entries, not a pointer per link.
    TFirstSeen<ENode> targets(page->Urls().size());
    // Occurrences per (map, path) of this page, entered once each after the loop: a fresh
    // page has no entries yet, so they need no search among the entries of other pages.
    struct ProblemLess {
        bool operator()(const std::pair<ELinkMap*, std::string>& a,
                        const std::pair<ELinkMap*, std::string>& b) const {
            if (a.first != b.first) return a.first < b.first;
            return NoCaseLess{}(a.second, b.second);
        }
    };
    std::map<std::pair<ELinkMap*, std::string>, int, ProblemLess> problems;
    bool baseTarget = false;  // a <base> naming a file: its target is no child of the page
    for (const EUrl& url : page->Urls()) {
        if (url.target) {
            targets.Add(url.target);
            baseTarget = baseTarget || url.IsBaseHref();
            if (url.IsCaseMismatch() && visitor.onProblem)
                visitor.onProblem(*page, url, LinkProblem::CaseMismatch);
            continue;
        }
        if (url.IsExternal()) continue;
        std::string path = SiteRelativeUrlPath(*page, url.text);
        const LinkStatus status = ClassifyLink(url, true);
        const LinkProblem problem = status == LinkStatus::Untracked ? LinkProblem::Untracked
                                    : status == LinkStatus::Ignored ? LinkProblem::Ignored
                                                                    : LinkProblem::Broken;
        ELinkMap& map = problem == LinkProblem::Untracked ? untrackedLinks
                        : problem == LinkProblem::Ignored ? ignoredLinks
                                                          : brokenLinks;
        if (problem == LinkProblem::Broken) ++broken;
        ++problems[{&map, std::move(path)}];
        if (visitor.onProblem) visitor.onProblem(*page, url, problem);
    }
    for (auto& [where, count] : problems) {
        if (fresh)
            where.first->emplace(where.second, ELinkEntry{page, count});
        else
            Bump(*where.first, where.second, page, count);
    }
    // A <base> naming a file adds a target the walk does not follow: the walk's targets come
    // first in the list, in the order of the URLs, and what only the base names after them.
    std::size_t walkCount = targets.list.size();
    if (baseTarget) {
        TFirstSeen<ENode> walk(page->Urls().size());
        for (const EUrl& url : page->Urls())
            if (!url.IsExternal() && !url.IsBaseHref() && url.target) walk.Add(url.target);
        walkCount = walk.list.size();
        for (ENode* target : targets.list) walk.Add(target);  // those the base alone names
        targets.list.swap(walk.list);
    }
    // The walk goes on to the pages this one leads to, in the order of its URLs: they can be
    // read ahead meanwhile, in that order.
    if (visitor.ahead) {
        std::vector<EHtmlNode*>& next = visitor.nextPages;  // reused from page to page
        next.clear();
        // Most targets are visited already: asked first, that spares reading their nodes.
        for (ENode* target : std::span(targets.list).first(walkCount)) {
            if (visitor.visited.count(target)) continue;
            if (auto* linked = dynamic_cast<EHtmlNode*>(target); linked && linked->IsLinkSource())
                next.push_back(linked);
        }
        visitor.ahead->Announce(next);
    }
    std::uint32_t queuedAt = EBackLinks::kNotQueued;
    if (fresh)
        queuedAt = backLinks.AddFresh(page, targets.list);
    else
        for (ENode* target : targets.list) backLinks.Add(target, page);
    // Once recorded, a page keeps only what the walk over the web needs from it: where its
    // targets wait in the back-link queue, until the walk has followed them.
    page->ClearTags();
    if (visitor.keepUrls) return true;
    if (visitor.freeAfterVisit) {
        page->ClearUrls();
        return true;
    }
    // The walk reads them where the back links queued them, through the page's site; a page
    // recorded before (not queued) keeps its URLs for the walk instead.
    if (!fresh) return true;
    page->SetSite(this);
    auto released = page->KeepOnlyTargets(queuedAt, static_cast<std::uint32_t>(walkCount));
    if (visitor.ahead) visitor.ahead->Dispose(std::move(released));
    return true;
}

ENode* EAppSite::AddPath(std::string_view path) {
    ENode* node = ESite::AddPath(path);
    if (!node) return nullptr;
    auto* page = dynamic_cast<EHtmlNode*>(node);
    if (page) page->SetSite(this);

    bool reachable = false, referred = false;
    for (ENode* referrer : ResolveWaitingLinks(node)) {
        referred = true;
        if (!IsOrphan(referrer)) reachable = true;
    }
    if (page && IsPathTracked(node->GetPath())) {
        EFindUrlsCreateFromMap recorder(this, true);
        RecordPageLinks(page, recorder);
    }
    if (!node->IsFolder() && (!referred || !reachable)) orphans.insert(node);
    return node;
}

std::vector<ENode*> EAppSite::ResolveWaitingLinks(ENode* node) {
    std::vector<ENode*> pages;
    const std::string path = SiteRelativePath(node);
    auto [from, to] = brokenLinks.equal_range(path);
    for (auto it = from; it != to;) {
        ENode* referrer = it->second.page;
        backLinks.Add(node, referrer);
        brokenCountByPage[referrer] -= it->second.count;
        pages.push_back(referrer);
        it = brokenLinks.erase(it);
    }
    // A link to a file that existed without a node (one of a folder whose nodes are being
    // made one by one) was untracked: it leads to the node now.
    if (!IsPathTracked(node->GetPath())) return pages;
    auto [first, last] = untrackedLinks.equal_range(path);
    for (auto it = first; it != last;) {
        backLinks.Add(node, it->second.page);
        pages.push_back(it->second.page);
        it = untrackedLinks.erase(it);
    }
    return pages;
}

void EAppSite::RefreshPageLinks(EHtmlNode* page) {
    backLinks.RemovePage(page);
    EraseEntriesOfPage(brokenLinks, page);
    EraseEntriesOfPage(untrackedLinks, page);
    EraseEntriesOfPage(ignoredLinks, page);
    brokenCountByPage.erase(page);
    page->ClearTags();
    page->ClearUrls();
    if (!page->IsLinkSource() || !IsPathTracked(page->GetPath())) return;
    EFindUrlsCreateFromMap recorder(this, true, false);
    RecordPageLinks(page, recorder);
}

void EAppSite::ForgetNode(ENode* node) {
    brokenCountByPage.erase(node);
    backLinks.RemovePage(node);
    // A removed page leaves no entry behind in any map: each would point at a dead node.
    EraseEntriesOfPage(brokenLinks, node);
    EraseEntriesOfPage(untrackedLinks, node);
    EraseEntriesOfPage(ignoredLinks, node);
    orphans.erase(node);
}

void EAppSite::RemovePath(std::string_view path) {
    std::string bare(StripTrailingSep(path));
    if (PathExists(bare)) return;
    ENode* node = FindExactNode(bare);
    if (!node) return;
    const std::string p = SiteRelativePath(node);
    // A name that differs in case alone (this platform allows both) takes over the links to
    // the removed one; otherwise every URL that led to it is broken now.
    ENode* variant = pathIndex_.FindOther(node);
    std::vector<ENode*> referrers = backLinks.PagesOf(node);
    for (ENode* referrer : referrers) {
        if (referrer == node) continue;
        auto* page = dynamic_cast<EHtmlNode*>(referrer);
        int n = page ? CountUrlsToNode(page, node) : 0;
        if (n <= 0) continue;
        if (variant) {
            backLinks.Add(variant, referrer);
            continue;
        }
        Bump(brokenLinks, p, referrer, n);
        brokenCountByPage[referrer] += n;
    }
    backLinks.RemoveTarget(node);
    ForgetNode(node);
    ESite::RemovePath(bare);
}

int EAppSite::CountUrlsToNode(EHtmlNode* page, ENode* target) {
    if (!PathExists(page->GetPath())) return 0;
    ParsedForNow scope(page);
    if (!WasRead(page->ParseUrls(nullptr))) return 0;
    return static_cast<int>(std::count_if(page->Urls().begin(), page->Urls().end(),
                                          [&](const EUrl& url) { return url.target == target; }));
}

void EAppSite::FixPageLink(EHtmlNode* page, std::string_view oldUrlPath,
                           std::string_view newUrlPath) {
    page->ClearTags();
    page->ClearUrls();
    ParsedForNow scope(page);
    page->ParseUrls(nullptr);
    int broken = 0, brokenToNew = 0;
    bool oldRemains = false;
    for (const EUrl& url : page->Urls()) {
        if (url.IsBroken()) ++broken;
        if (url.IsExternal()) continue;
        std::string path = SiteRelativeUrlPath(*page, url.text);
        if (EqualsNoCase(path, oldUrlPath)) oldRemains = true;
        if (url.IsBroken() && EqualsNoCase(path, newUrlPath)) ++brokenToNew;
    }
    brokenCountByPage[page] = broken;
    auto fileOf = [&](std::string_view urlPath) {
        return FindNode(ResolveToFilePath(urlPath, directory_, directory_));
    };
    ENode* oldTarget = fileOf(oldUrlPath);
    ENode* newTarget = fileOf(newUrlPath);
    if (!oldRemains) {
        EraseEntry(brokenLinks, oldUrlPath, page);
        if (oldTarget) backLinks.Remove(oldTarget, page);
    }
    if (newTarget) {
        backLinks.Add(newTarget, page);
    } else if (IsLocalUrl(*page, newUrlPath) && brokenToNew > 0) {
        Bump(brokenLinks, std::string(newUrlPath), page, brokenToNew);
    }
}

void EAppSite::IgnoreBrokenLink(std::string_view siteRelativePath) {
    auto [from, to] = brokenLinks.equal_range(std::string(siteRelativePath));
    for (auto it = from; it != to;) {
        brokenCountByPage[it->second.page] -= it->second.count;
        ignoredLinks.emplace(it->first, it->second);
        it = brokenLinks.erase(it);
    }
}

void EAppSite::UnignoreBrokenLink(std::string_view siteRelativePath) {
    auto [from, to] = ignoredLinks.equal_range(std::string(siteRelativePath));
    for (auto it = from; it != to;) {
        if (it->second.page) {
            brokenCountByPage[it->second.page] += it->second.count;
            brokenLinks.emplace(it->first, it->second);
        }
        it = ignoredLinks.erase(it);
    }
}

void EAppSite::FreezeIgnoredLinks(bool frozen) {
    frozenIgnored_.reset();
    if (!frozen) return;
    frozenIgnored_.emplace();
    for (const auto& [path, entry] : ignoredLinks) frozenIgnored_->insert(path);
}

bool EAppSite::HasIgnoredLinks() const {
    return frozenIgnored_ ? !frozenIgnored_->empty() : !ignoredLinks.empty();
}

bool EAppSite::IsIgnoredLink(std::string_view siteRelativePath) const {
    if (frozenIgnored_) return frozenIgnored_->count(std::string(siteRelativePath)) != 0;
    return ignoredLinks.count(std::string(siteRelativePath)) != 0;
}

void EAppSite::ReevaluateReachability(std::string_view path) {
    ReevaluateReachability(FindNode(path));
}

void EAppSite::ReevaluateReachability(ENode* start) {
    if (!start) return;
    const bool total = SettingsStore::Instance().ReadBool("0TotalOrphans");
    // Depth first, with an explicit stack: a long chain of pages must not exhaust the stack.
    std::vector<ENode*> pending{start};
    while (!pending.empty()) {
        ENode* node = pending.back();
        pending.pop_back();
        if (!node) continue;
        // The home page is where every walk starts: it is reachable by definition.
        bool reachable = node->GetPath() == homePage_;
        for (ENode* page : backLinks.PagesOf(node))
            if (!IsOrphan(page, total)) reachable = true;
        bool listed = orphans.count(node) != 0;
        if (!reachable && !listed)
            orphans.insert(node);
        else if (reachable && listed)
            orphans.erase(node);
        else
            continue;
        auto* page = dynamic_cast<EHtmlNode*>(node);
        if (!page) continue;
        ParsedForNow scope(page);
        page->ParseUrls(nullptr);
        const auto& urls = page->Urls();
        for (auto it = urls.rbegin(); it != urls.rend(); ++it)
            if (it->target) pending.push_back(it->target);
    }
}

bool EAppSite::IsOrphan(ENode* node) const {
    return IsOrphan(node, SettingsStore::Instance().ReadBool("0TotalOrphans"));
}

bool EAppSite::IsOrphan(ENode* node, bool totalOrphans) const {
    auto linked = [&](ENode* n) { return backLinks.IsLinked(n); };
    if (node->IsFolder()) {
        auto* folder = static_cast<EDirNode*>(node);
        for (const auto& child : folder->Children()) {
            bool orphan = totalOrphans ? !linked(child.get()) : orphans.count(child.get()) != 0;
            if (!orphan) return false;
        }
        return true;
    }
    if (!totalOrphans) return orphans.count(node) != 0;
    return !linked(node) && node->GetPath() != homePage_;
}

}  // namespace tw
