#include "engine/model/Changes.h"
#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"
#include "engine/services/UiServices.h"

namespace tw {

EAppSite::~EAppSite() {
    // The web's containers point into the tree: empty them before the tree goes.
    backLinks.clear();
    brokenCountByPage.clear();
    orphans.clear();
}

void EAppSite::Clear() {
    ESite::Clear();
    tracking_ = false;
    loadState_ = LoadState::NotLoaded;
    backLinks.clear();
    brokenCountByPage.clear();
    brokenLinks.clear();
    untrackedLinks.clear();
    ignoredLinks.clear();
    orphans.clear();
    unreadablePages.clear();
    EChanges::Instance().FolderChanged(directory_);
}

bool EAppSite::SetTracking(bool on) {
    tracking_ = on;
    if (!on) {
        Clear();
        return true;
    }
    return LoadSite(*this);
}

}  // namespace tw
