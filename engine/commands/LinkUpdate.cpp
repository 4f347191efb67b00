#include "engine/commands/LinkUpdate.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/Strings.h"
#include "engine/commands/PageRewrite.h"
#include "engine/model/Changes.h"
#include "engine/model/Iterators.h"
#include "engine/model/Site.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kUpdatingLinks = 31056;

// The node and everything below it.
std::vector<ENode*> WithSubtree(ENode* node) {
    std::vector<ENode*> nodes;
    TIterPreOrderTyped it(node);
    for (it.First(); !it.IsDone(); it.Next()) nodes.push_back(it.CurrentItem());
    return nodes;
}

// The pages of a pass that are symbolic links to the file of another page of the pass: that
// file is rewritten once, as itself (through the link its relative links would be rewritten
// for another folder).
std::set<ENode*> AliasesOfPassPages(const std::vector<std::pair<EHtmlNode*, std::string>>& pages) {
    std::set<ENode*> aliases;
    std::vector<std::pair<EHtmlNode*, std::string>> links;  // link page, its real file
    for (const auto& [page, before] : pages)
        if (IsSymbolicLink(page->GetPath())) links.emplace_back(page, RealPath(page->GetPath()));
    if (links.empty()) return aliases;
    std::set<std::string> files;
    for (const auto& [page, before] : pages)
        if (!IsSymbolicLink(page->GetPath())) files.insert(RealPath(page->GetPath()));
    for (const auto& [page, real] : links)
        if (files.count(real)) aliases.insert(page);
    return aliases;
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
        for (ENode* n : WithSubtree(node)) {
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
        for (ENode* n : WithSubtree(node)) movedNodes.push_back(n);
    }
    // Links that waited, broken, for a name an item now has lead to it.
    for (ENode* node : movedNodes)
        for (ENode* page : site_.ResolveWaitingLinks(node)) touched_.push_back(page);

    ELinkRewriter rewriter(site_, moved);
    bool finished = true;
    std::vector<ENode*> failed;
    std::vector<EHtmlNode*> staged;  // the page of each change, in order
    EPageWriter writer;
    writer.SetSiteFolder(site_.GetDirectory());
    auto progress = EUiServices::Instance().CreateProgress(
        pages_.size() >= 4 ? ProgressKind::Dialog : ProgressKind::Silent);
    progress->Begin(LoadString(kUpdatingLinks), static_cast<int>(pages_.size()), nullptr);
    const std::set<ENode*> aliases = AliasesOfPassPages(pages_);
    for (const auto& [page, before] : pages_) {
        if (aliases.count(page)) continue;  // its file is rewritten as its own page
        bool cancel = false;
        progress->SetFolder(page->GetDirectory(), &cancel);
        if (cancel) {
            finished = false;
            break;
        }
        progress->Step(page->GetPath(), 1);
        std::string content;
        if (!ReadWholeFile(page->GetPath(), content)) {
            // Its links may lead to what changed: the user must hear that it was not looked at.
            problems_.push_back(page->GetPath() + ": could not be read (" + std::strerror(errno) +
                                "); its links were not rewritten");
            continue;
        }
        std::vector<Splice> splices = rewriter.SplicesFor(*page, before, page->GetPath(), content);
        if (splices.empty()) continue;
        std::string why;
        std::optional<PageChange> change =
            StageChange(writer, page->GetPath(), content, splices, &why);
        if (!change) {
            problems_.push_back(why);
            failed.push_back(page);
            continue;
        }
        changes_.push_back(std::move(*change));
        staged.push_back(page);
    }
    progress->End();
    // A page that could not be written (a full disk) stops the update like a cancel.
    if (writer.WriteFailed()) writeFailed_ = true, finished = false;
    // A cancel leaves every page as it was; otherwise all are replaced together.
    std::vector<std::string> notReplaced;
    if (finished) {
        notReplaced = writer.Commit();
        if (writer.WriteFailed()) writeFailed_ = true, finished = false;  // none was replaced
    }
    if (!finished) {
        changes_.clear();
    } else {
        const std::vector<bool> kept = SettleCommitted(changes_, notReplaced);
        for (std::size_t i = 0; i < staged.size(); ++i) {
            if (kept[i]) {
                changes.PageLinksChanged(staged[i]->GetPath());
                continue;
            }
            problems_.push_back(staged[i]->GetPath() +
                                ": could not be replaced; its links to what moved are broken");
            failed.push_back(staged[i]);
        }
    }
    // A page that kept its old URLs has broken links now: the web reads it again.
    Refresh(failed);
    touched_.insert(touched_.end(), failed.begin(), failed.end());
    for (ENode* node : movedNodes) site_.ReevaluateReachability(node);
    changes.OrphansChanged();
    return finished;
}

std::vector<ELinkUpdate::PagePreview> ELinkUpdate::Preview(
    const std::vector<MovedPath>& moves) const {
    std::vector<PagePreview> previews;
    ELinkRewriter rewriter(site_, moves);
    for (const auto& [page, before] : pages_) {
        const std::string after = rewriter.Map(before);
        PagePreview preview{before, after, {}, {}, 0};
        ReadWholeFile(page->GetPath(), preview.oldContent);
        std::vector<Splice> splices = rewriter.SplicesFor(*page, before, after, preview.oldContent);
        if (splices.empty()) continue;
        preview.links = static_cast<int>(splices.size());
        preview.newContent = Spliced(preview.oldContent, splices);
        previews.push_back(std::move(preview));
    }
    return previews;
}

bool ELinkUpdate::CanUndo() const {
    return PagesAsLeft(changes_);
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
        for (ENode* n : WithSubtree(node)) movedNodes.push_back(n);
    }
    // Links resolved by the move wait again; pages that could not be rewritten are whole again.
    Refresh(touched_);
    for (ENode* node : movedNodes) site_.ReevaluateReachability(node);
    EChanges::Instance().OrphansChanged();
    moved_.clear();
    touched_.clear();
}

void ELinkUpdate::Refresh(const std::vector<ENode*>& pages) {
    std::set<ENode*> done;
    for (ENode* node : pages)
        if (auto* page = dynamic_cast<EHtmlNode*>(node); page && done.insert(page).second)
            site_.RefreshPageLinks(page);
}

}  // namespace tw
