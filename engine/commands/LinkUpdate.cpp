#include "engine/commands/LinkUpdate.h"

#include <algorithm>
#include <set>

#include "core/log/Log.h"
#include "core/log/Section.h"
#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/PageRewrite.h"
#include "engine/commands/RewritePass.h"
#include "engine/model/Changes.h"
#include "engine/model/Iterators.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

constexpr int kRenamingSectionId = 28433;

// "In file PAGE", then for each changed URL its line, its old text and its new one.
void LogSplices(ESection& log, const std::string& page, const std::string& bytes,
                const std::vector<Splice>& splices) {
    if (splices.empty()) return;
    log.Write("In file ");
    log.WriteFileRefLine(page);
    int line = 1;
    std::size_t counted = 0;
    for (const Splice& s : splices) {
        line += static_cast<int>(std::count(bytes.begin() + static_cast<std::ptrdiff_t>(counted),
                                            bytes.begin() + s.start, '\n'));
        counted = s.start;
        const std::string old = bytes.substr(s.start, s.end - s.start);
        log.WriteLineAt(line, old + "\n   -------->  " + s.text +
                                  (EqualsNoCase(old, s.text) ? " (case change)" : ""));
    }
}

}  // namespace

void ELinkUpdate::Prepare(const std::vector<std::string>& sources) {
    pages_.clear();
    moved_.clear();
    changes_.clear();
    problems_.clear();
    // Pages whose links could not be read may refer to what moves: the user must hear it.
    for (const std::string& page : site_.unreadablePages)
        if (PathExists(page))
            problems_.push_back(page +
                                ": could not be read; its links to what moved, if any, were not "
                                "rewritten");
    touched_.clear();
    writeFailed_ = false;
    std::set<ENode*> seen;
    auto note = [&](ENode* node) {
        auto* page = dynamic_cast<EHtmlNode*>(node);
        if (page && page->IsLinkSource() && seen.insert(page).second)
            pages_.emplace_back(page, page->GetPath());
    };
    for (const std::string& source : sources) {
        ENode* node = site_.FindExactNode(source);
        if (!node) continue;
        for (ENode* n : NodesBelow(node)) {
            note(n);
            for (ENode* referrer : site_.backLinks.PagesOf(n)) note(referrer);
        }
    }
}

bool ELinkUpdate::Apply(const std::vector<MovedPath>& moved) {
    moved_ = moved;
    EChanges& changes = EChanges::Instance();
    std::vector<ENode*> movedNodes;
    for (const MovedPath& m : moved) {
        ENode* node = site_.FindExactNode(m.from);
        if (!node || !site_.MoveNode(node, m.to)) continue;
        for (ENode* n : NodesBelow(node)) movedNodes.push_back(n);
    }
    // Links that waited, broken, for a name an item now has lead to it.
    for (ENode* node : movedNodes)
        for (ENode* page : site_.ResolveWaitingLinks(node)) touched_.push_back(page);

    ELinkRewriter rewriter(site_, moved);
    ESection* log = logRenaming_ ? ELog::Instance().OpenSection(kRenamingSectionId) : nullptr;
    RewriteOutcome pass = RewritePages(
        site_, Pages(),
        [&](EHtmlNode& page, std::size_t i, const std::string& bytes) {
            return rewriter.SplicesFor(page, pages_[i].second, page.GetPath(), bytes);
        },
        [&](EHtmlNode& page, const std::string& bytes, const std::vector<Splice>& splices) {
            if (log) LogSplices(*log, page.GetPath(), bytes, splices);
        });
    if (log && pass.changes.empty()) log->WriteLine("No local URL links needed to be renamed.");
    writeFailed_ = pass.writeFailed;
    const bool finished = pass.Finished();
    changes_ = std::move(pass.changes);
    problems_.insert(problems_.end(), pass.problems.begin(), pass.problems.end());
    std::vector<ENode*> failed(pass.notRewritten.begin(), pass.notRewritten.end());
    // A page that kept its old URLs has broken links now: the web reads it again. So does
    // every page that named a folder whose default page changed: "about/" led to the page
    // that was its default one, and leads to another or to none now.
    for (ENode* page : DefaultPageReaders(moved)) failed.push_back(page);
    Refresh(failed);
    touched_.insert(touched_.end(), failed.begin(), failed.end());
    for (ENode* node : movedNodes) site_.ReevaluateReachability(node);
    changes.OrphansChanged();
    return finished;
}

std::vector<ELinkUpdate::PagePreview> ELinkUpdate::Preview(
    const std::vector<MovedPath>& moves) const {
    ELinkRewriter rewriter(site_, moves);
    std::vector<PagePreview> previews;
    for (tw::PagePreview& p :
         PreviewPages(Pages(), [&](EHtmlNode&page, std::size_t i, const std::string&bytes) {
             const std::string& before = pages_[i].second;
             return rewriter.SplicesFor(page, before, rewriter.Map(before), bytes);
         })) {
        const std::string& before = pages_[p.index].second;
        previews.push_back({before, rewriter.Map(before), std::move(p.oldContent),
                            std::move(p.newContent), p.links});
    }
    return previews;
}

bool ELinkUpdate::CanUndo() const {
    return PagesAsLeft(changes_);
}

RewriteOutcome PointLinksBack(EAppSite& site, const std::vector<MovedPath>& moves,
                              const std::vector<std::string>& restored) {
    std::vector<MovedPath> back;
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) back.push_back({it->to, it->from});
    const std::set<std::string> skip(restored.begin(), restored.end());
    std::set<ENode*> seen;
    std::vector<EHtmlNode*> pages;
    // A page given back, or a symbolic link to one (it shows the same bytes), is the
    // command's own.
    const auto restoredFile = [&](const std::string& path) {
        return skip.count(path) || (IsSymbolicLink(path) && skip.count(RealPath(path)));
    };
    const auto note = [&](ENode* node) {
        auto* page = dynamic_cast<EHtmlNode*>(node);
        if (page && page->IsLinkSource() && !restoredFile(page->GetPath()) &&
            seen.insert(page).second)
            pages.push_back(page);
    };
    // Only pages outside what moved: the moved pages' own links are the command's to give
    // back (and were not written, when the command is reversing itself).
    std::set<ENode*> moved;
    for (const MovedPath& m : moves)
        if (ENode* node = site.FindExactNode(m.to))
            for (ENode* n : NodesBelow(node)) moved.insert(n);
    for (ENode* n : moved)
        for (ENode* referrer : site.backLinks.PagesOf(n))
            if (!moved.count(referrer)) note(referrer);
    ELinkRewriter rewriter(site, back);
    return RewritePages(site, pages, [&](EHtmlNode& page, std::size_t, const std::string& bytes) {
        return rewriter.SplicesFor(page, page.GetPath(), rewriter.Map(page.GetPath()), bytes);
    });
}

bool ELinkUpdate::PointLinksBack() {
    std::vector<std::string> restored;
    for (const PageChange& change : changes_) restored.push_back(change.path);
    const RewriteOutcome pass = tw::PointLinksBack(site_, moved_, restored);
    problems_.insert(problems_.end(), pass.problems.begin(), pass.problems.end());
    return pass.Finished();
}

bool ELinkUpdate::RestorePages() {
    return tw::RestorePages(changes_);
}

void ELinkUpdate::Unapply() {
    // Last moved, first back: a folder returns before what was moved out of it.
    std::vector<ENode*> movedNodes;
    for (auto it = moved_.rbegin(); it != moved_.rend(); ++it) {
        ENode* node = site_.FindExactNode(it->to);
        if (!node || !site_.MoveNode(node, it->from)) continue;
        for (ENode* n : NodesBelow(node)) movedNodes.push_back(n);
    }
    // Links resolved by the move wait again; pages that could not be rewritten are whole again.
    Refresh(touched_);
    for (ENode* node : movedNodes) site_.ReevaluateReachability(node);
    EChanges::Instance().OrphansChanged();
    moved_.clear();
    touched_.clear();
}

std::vector<ENode*> ELinkUpdate::DefaultPageReaders(const std::vector<MovedPath>& moved) const {
    const std::string_view defaults = site_.GetServerDefaults();
    const auto isDefault = [&](const std::string& path) {
        const std::string_view name = PathName(path);
        for (std::size_t start = 0; start < defaults.size();) {
            std::size_t end = defaults.find(';', start);
            if (end == std::string_view::npos) end = defaults.size();
            if (EqualsNoCase(defaults.substr(start, end - start), name)) return true;
            start = end + 1;
        }
        return false;
    };
    std::vector<ENode*> pages;
    for (const MovedPath& m : moved) {
        if (IsFolder(m.to) || (!isDefault(m.from) && !isDefault(m.to))) continue;
        for (const auto& [page, before] : pages_) pages.push_back(page);
        // Links that named a folder without a default page may lead to this one now.
        for (const std::string& folder :
             {std::string(PathDirectory(m.from)), std::string(PathDirectory(m.to))}) {
            if (ENode* node = site_.FindExactNode(folder)) {
                std::string key = site_.SiteRelativePath(node);
                for (int slash = 0; slash < 2; ++slash, key.push_back('/')) {
                    auto [from, to] = site_.brokenLinks.equal_range(key);
                    for (auto it = from; it != to; ++it) pages.push_back(it->second.page);
                }
            }
        }
        break;
    }
    return pages;
}

std::vector<EHtmlNode*> ELinkUpdate::Pages() const {
    std::vector<EHtmlNode*> pages;
    for (const auto& [page, before] : pages_) pages.push_back(page);
    return pages;
}

void ELinkUpdate::Refresh(const std::vector<ENode*>& pages) {
    std::set<ENode*> done;
    for (ENode* node : pages)
        if (auto* page = dynamic_cast<EHtmlNode*>(node); page && done.insert(page).second)
            site_.RefreshPageLinks(page);
}

}  // namespace tw
