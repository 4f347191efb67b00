#pragma once
// Collecting the orphans of a site: the files (and folders) no visitor can reach.

#include <set>

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

}  // namespace tw
