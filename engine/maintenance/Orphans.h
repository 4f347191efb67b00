#pragma once
// Collecting the orphans of a site: the files (and folders) no visitor can reach.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/model/Visitor.h"

namespace tw {

class EAppSite;
class ENode;

class EGatherOrphans : public EVisitor {
  public:
    // The orphan mode is the setting "0TotalOrphans", read once for the pass.
    explicit EGatherOrphans(const EAppSite& site);
    EGatherOrphans(const EAppSite& site, bool totalOrphans);
    bool VisitFile(EFileNode* node) override;
    bool VisitHtml(EHtmlNode* node) override;
    bool VisitDir(EDirNode* node) override;

    std::set<ENode*> found;

  private:
    bool Note(ENode* node);
    const EAppSite& site_;
    bool totalOrphans_;
};

// The orphans of a fully tracked site as their removal sees them, each list sorted by path.
// An orphan that a page staying in the site still names is kept: a page that refers to it in
// any URL, or whose text holds its file name (a script may build its URL from pieces).
struct OrphanReview {
    std::vector<std::string> remove;      // to be removed
    std::vector<std::string> ignored;     // on the "IgnoreOrphanFile" list (exact spelling)
    std::vector<std::string> referenced;  // named by a page that stays: kept
};
// Empty when only sections of the site are tracked.
OrphanReview ReviewOrphans(EAppSite& site);

class ECommand;

// What the "Remove Orphans" dialog's OK does with the list: the unticked paths become the whole
// "IgnoreOrphanFile" list (paths ignored earlier that are no longer listed drop out), the
// destination is remembered ("SendOrphansToRecycleBin", "SendOrphansToDirectory"), and the
// ticked paths are removed by the command returned (null when none is ticked): to the trash,
// or to `folder`, each keeping its place below the site's folder.
std::unique_ptr<ECommand> OrphanRemoval(const EAppSite& site,
                                        const std::vector<std::string>& ticked,
                                        const std::vector<std::string>& unticked, bool toTrash,
                                        const std::string& folder);

}  // namespace tw
