// The link web checked against the pages on disk: every container the web keeps is computed
// afresh from the pages' URLs and compared with what the incremental updates left. Tests run
// it after every change, so that a command which drifts from the files is caught where it
// happens, not when a later command acts on a stale entry.

#include <map>
#include <set>
#include <vector>

#include "core/settings/SettingsStore.h"
#include "core/strings/CaseFold.h"
#include "engine/html/UrlText.h"
#include "engine/model/Iterators.h"
#include "engine/model/LinkStatus.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

using Counts = std::map<std::pair<std::string, ENode*>, int>;

// The counts a map holds per (folded path, page); entries without a page are the ignore
// list's own (they stand for a path, not an occurrence) and count nothing.
Counts CountsOf(const ELinkMap& map) {
    Counts counts;
    for (const auto& [path, entry] : map)
        if (entry.page && entry.count) counts[{FoldCase(path), entry.page}] += entry.count;
    return counts;
}

struct Expected {
    std::set<std::pair<ENode*, ENode*>> backLinks;
    Counts broken, untracked, ignored;
    std::map<ENode*, std::vector<ENode*>> targets;  // for the walk from the home page
};

}  // namespace

bool EAppSite::IsConsistent(std::string* why) {
    auto fail = [&](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    Expected expected;
    std::vector<ENode*> tree;
    if (root_) {
        TIterPreOrderTyped it(root_.get());
        for (it.First(); !it.IsDone(); it.Next()) tree.push_back(it.CurrentItem());
    }
    for (ENode* node : tree) {
        if (pathIndex_.FindExact(node->GetPath()) != node)
            return fail("the path index does not hold " + node->GetPath());
        auto* page = dynamic_cast<EHtmlNode*>(node);
        if (!page || !page->IsLinkSource() || !IsPathTracked(page->GetPath())) continue;
        const bool kept = page->UrlsParsed();
        page->ClearTags();
        page->ClearUrls();
        if (!WasRead(page->ParseUrls(nullptr))) continue;
        int broken = 0;
        for (const EUrl& url : page->Urls()) {
            if (url.target) {
                expected.backLinks.emplace(url.target, page);
                expected.targets[page].push_back(url.target);
            }
            if (url.IsExternal() || url.target) continue;
            std::string key = FoldCase(SiteRelativeUrlPath(*page, url.text));
            const LinkStatus status = ClassifyLink(url, true);
            if (status == LinkStatus::Untracked) {
                ++expected.untracked[{key, page}];
            } else if (status == LinkStatus::Ignored) {
                ++expected.ignored[{key, page}];
            } else {
                ++broken;
                ++expected.broken[{key, page}];
            }
        }
        if (!kept) {
            page->ClearTags();
            page->ClearUrls();
        }
        auto count = brokenCountByPage.find(page);
        int actual = count == brokenCountByPage.end() ? 0 : count->second;
        if (actual != broken)
            return fail("broken count of " + page->GetPath() + " is " + std::to_string(actual) +
                        ", its URLs say " + std::to_string(broken));
    }
    if (pathIndex_.size() != tree.size())
        return fail("the path index holds " + std::to_string(pathIndex_.size()) +
                    " nodes, the tree " + std::to_string(tree.size()));
    if (expected.backLinks != backLinks.Pairs())
        return fail("back-links: " + std::to_string(backLinks.size()) + " recorded, " +
                    std::to_string(expected.backLinks.size()) + " from the pages");
    const std::pair<const ELinkMap*, const Counts*> maps[] = {
        {&brokenLinks, &expected.broken},
        {&untrackedLinks, &expected.untracked},
        {&ignoredLinks, &expected.ignored},
    };
    const char* names[] = {"broken", "untracked", "ignored"};
    for (int m = 0; m < 3; ++m)
        if (CountsOf(*maps[m].first) != *maps[m].second)
            return fail(std::string(names[m]) + " links: the map disagrees with the pages");

    // Orphans: with the whole site tracked, exactly the files the walk from the home page
    // does not reach.
    const std::set<ENode*> live(tree.begin(), tree.end());
    for (ENode* orphan : orphans)
        if (!live.count(orphan)) return fail("the orphan set holds a node that left the tree");
    if (!IsWholeSite() || SettingsStore::Instance().ReadBool("0TotalOrphans")) return true;
    std::set<ENode*> reached;
    std::vector<ENode*> pending;
    if (ENode* home = pathIndex_.FindExact(homePage_)) pending.push_back(home);
    while (!pending.empty()) {
        ENode* node = pending.back();
        pending.pop_back();
        if (!reached.insert(node).second) continue;
        for (ENode* target : expected.targets[node]) pending.push_back(target);
    }
    for (ENode* node : tree) {
        if (node->IsFolder()) continue;
        if (reached.count(node) == orphans.count(node))
            return fail(
                node->GetPath() +
                (reached.count(node) ? " is reached from the home page" : " is not reached") +
                (orphans.count(node) ? " but is an orphan" : " but is not an orphan"));
    }
    return true;
}

}  // namespace tw
