#include "engine/maintenance/Orphans.h"

#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "engine/model/Site.h"

namespace tw {

EGatherOrphans::EGatherOrphans(const EAppSite& site)
    : EGatherOrphans(site, SettingsStore::Instance().ReadBool("0TotalOrphans")) {}

EGatherOrphans::EGatherOrphans(const EAppSite& site, bool totalOrphans)
    : site_(site), totalOrphans_(totalOrphans) {}

bool EGatherOrphans::Note(ENode* node) {
    // The orphan rule holds only inside a fully tracked site, and never for its root, whose
    // folder lies outside it.
    if (site_.IsWholeSite() && node != site_.Root() && site_.IsOrphan(node, totalOrphans_))
        found.insert(node);
    return true;
}

bool EGatherOrphans::VisitFile(EFileNode* node) {
    return Note(node);
}
bool EGatherOrphans::VisitHtml(EHtmlNode* node) {
    return Note(node);
}
bool EGatherOrphans::VisitDir(EDirNode* node) {
    return Note(node);
}

}  // namespace tw
