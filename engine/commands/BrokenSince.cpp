#include "engine/commands/BrokenSince.h"

#include <algorithm>
#include <set>

#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/html/UrlText.h"
#include "engine/model/Iterators.h"
#include "engine/model/Node.h"
#include "engine/model/ParseResult.h"
#include "engine/model/Site.h"

namespace tw {

namespace {

bool ByPlace(const BrokenLink& a, const BrokenLink& b) {
    return a.page != b.page ? a.page < b.page : a.line < b.line;
}

// The page's URLs, parsed for the call when they were not already.
template <class Each>
void ForEachUrl(EHtmlNode& page, Each each) {
    const bool parsed = page.UrlsParsed();
    if (!parsed && !WasRead(page.ParseUrls(nullptr))) return;
    for (const EUrl& url : page.Urls())
        if (!url.IsBaseHref()) each(url);
    if (!parsed) {
        page.ClearTags();
        page.ClearUrls();
    }
}

}  // namespace

std::vector<BrokenLink> LinksInto(EAppSite& site, const std::vector<std::string>& items) {
    std::set<const ENode*> inside;
    for (const std::string& item : items) {
        ENode* node = site.FindExactNode(std::string(StripTrailingSep(item)));
        if (!node) continue;
        for (ENode* below : NodesBelow(node)) inside.insert(below);
    }
    std::set<ENode*> pages;
    for (const ENode* node : inside)
        for (ENode* page : site.backLinks.PagesOf(const_cast<ENode*>(node)))
            if (!inside.count(page)) pages.insert(page);
    std::vector<BrokenLink> links;
    for (ENode* node : pages)
        if (auto* page = dynamic_cast<EHtmlNode*>(node))
            ForEachUrl(*page, [&](const EUrl& url) {
                if (url.target && inside.count(url.target))
                    links.push_back({page->GetPath(), url.line, url.text});
            });
    std::sort(links.begin(), links.end(), ByPlace);
    return links;
}

EBrokenLinksWatch::EBrokenLinksWatch(EAppSite& site) : site_(site), before_(CountsOf(site)) {}

EBrokenLinksWatch::Counts EBrokenLinksWatch::CountsOf(const EAppSite& site) {
    Counts counts;
    for (const auto& [path, entry] : site.brokenLinks)
        counts[{entry.page, FoldCase(path)}] += entry.count;
    return counts;
}

std::vector<BrokenLink> EBrokenLinksWatch::NewlyBroken() const {
    // The paths each page has more broken links to than before.
    std::map<const ENode*, std::set<std::string>> grown;
    for (const auto& [key, count] : CountsOf(site_)) {
        auto it = before_.find(key);
        if (count > (it == before_.end() ? 0 : it->second)) grown[key.first].insert(key.second);
    }
    std::vector<BrokenLink> links;
    for (const auto& [node, paths] : grown) {
        auto* page = dynamic_cast<EHtmlNode*>(const_cast<ENode*>(node));
        if (!page) continue;
        ForEachUrl(*page, [&](const EUrl& url) {
            if (url.IsBroken() && paths.count(FoldCase(SiteRelativeUrlPath(*page, url.text))))
                links.push_back({page->GetPath(), url.line, url.text});
        });
    }
    std::sort(links.begin(), links.end(), ByPlace);
    return links;
}

}  // namespace tw
