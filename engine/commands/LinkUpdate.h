#pragma once
// Keeping a site's links valid across a move or rename: the pages that will need rewriting are
// noted before the file work (every page that refers to a moved item, and every page among
// the moved items); afterwards the nodes follow, the pages are rewritten (only the URL
// texts that must change), and the link web is brought up to date. What each page looked
// like is kept, so an undo gives every page back byte for byte.

#include <string>
#include <vector>

#include "core/platform/FileUtils.h"
#include "engine/commands/LinkRewriter.h"

namespace tw {

class EAppSite;
class ENode;
class EHtmlNode;

struct RewriteOutcome;

// Before an undo moves items back (`moves`: as the command made them): the pages outside them
// whose links lead to the moved items where they are now, other than `restored` (the pages
// the undo gives their old bytes), are rewritten to lead to them where the undo puts them. A link
// written after the command, by the user or another command, so still leads to its item after the
// undo. Nothing is written when the pass is cancelled or a write fails.
RewriteOutcome PointLinksBack(EAppSite& site, const std::vector<MovedPath>& moves,
                              const std::vector<std::string>& restored);

class ELinkUpdate {
  public:
    explicit ELinkUpdate(EAppSite& site) : site_(site) {}

    // Before the file work: the items about to move.
    void Prepare(const std::vector<std::string>& sources);
    // After the file work, with the items that did move: nodes follow, pages are rewritten,
    // the web is updated. A progress ("Updating Links", a window from four pages on) can
    // cancel between pages: false then, as when a page could not be written (WriteFailed);
    // either way no page was changed.
    bool Apply(const std::vector<MovedPath>& moved);
    // Before the files move back: whether every rewritten page is still as the update left
    // it (logs the first that is not).
    bool CanUndo() const;
    // Gives every rewritten page its old bytes (before the files move back).
    bool RestorePages();
    // Links to the moved items written since (in pages this update did not rewrite) are
    // pointed back at where the undo puts them (before the files move back). False when a
    // write failed: nothing was written.
    bool PointLinksBack();
    // After the files moved back: nodes return, and the web follows.
    void Unapply();

    // What Apply would write, without changing anything: each page's path before and after
    // and its content before and after.
    struct PagePreview {
        std::string before, after, oldContent, newContent;
        int links = 0;
    };
    std::vector<PagePreview> Preview(const std::vector<MovedPath>& moves) const;

    const std::vector<PageChange>& Changes() const { return changes_; }
    // A page given back by a later command's undo is as this update left it.
    void Restamp(const std::string& path, const FileStamp& stamp) {
        for (PageChange& change : changes_)
            if (change.path == path) change.stamp = stamp;
    }
    // Pages that could not be read or rewritten, each as "PAGE: why": their links to the
    // moved items are broken now.
    const std::vector<std::string>& Problems() const { return problems_; }
    // A rename's update writes every URL it changes to the log's "URL LINK RENAMING:" section
    // ("In file PAGE", then each old text "-------->" its new one, " (case change)" when only
    // the capitals differ).
    void LogRenaming(bool on) { logRenaming_ = on; }
    // A problem the command met beside the pages ("PATH: why").
    void NoteProblem(std::string problem) { problems_.push_back(std::move(problem)); }
    // Whether the last Apply stopped because a write failed (the disk is full): the command
    // reverses itself without asking.
    bool WriteFailed() const { return writeFailed_; }

  private:
    void Refresh(const std::vector<ENode*>& pages);
    // The pages whose links to a folder may lead elsewhere now that a page named like one of
    // the site's default pages moved (or was renamed to such a name).
    std::vector<ENode*> DefaultPageReaders(const std::vector<MovedPath>& moved) const;
    std::vector<EHtmlNode*> Pages() const;  // the noted pages, in order

    EAppSite& site_;
    std::vector<std::pair<EHtmlNode*, std::string>> pages_;  // page, its path before
    std::vector<MovedPath> moved_;
    std::vector<PageChange> changes_;
    std::vector<std::string> problems_;
    std::vector<ENode*> touched_;  // pages whose recorded links the update changed
    bool writeFailed_ = false;
    bool logRenaming_ = false;
};

}  // namespace tw
