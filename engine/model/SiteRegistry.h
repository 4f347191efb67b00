#pragma once
// The program's list of defined sites, stored in the application profile as sections
// "Site1", "Site2", ..., and the questions the views ask of it about any path.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/FileUtils.h"
#include "engine/model/Site.h"

namespace tw {

class ESiteRegistry {
  public:
    static ESiteRegistry& Instance();

    // Reads the site definitions anew; the first invalid one ends the list.
    void LoadAllSites();
    // Renumbers the sites 1, 2, ... and clears the section a removed site left behind.
    void SaveAllSites();
    void AddSite(std::unique_ptr<EAppSite> site);
    // A site for this run only (the command line's --site-dir): listed, never saved.
    EAppSite* AdoptSite(std::unique_ptr<EAppSite> site);
    void RemoveSite(EAppSite* site);
    // Loads every site (asking first when "1WarnBeginTracking" is on); stops at a failure.
    void ReloadAllSites();
    // Drops every site without touching the profile.
    void Clear() { sites_.clear(); }

    EAppSite* FindTrackedSite(std::string_view path) const;
    bool IsTrackedPath(std::string_view path) const;
    bool IsOrphanPath(std::string_view path) const;
    // -1 outside tracked sites; a page's broken count, or the sum below a folder.
    int GetBrokenLinkCount(std::string_view path) const;

    const std::vector<std::unique_ptr<EAppSite>>& Sites() const { return sites_; }
    void First() { position_ = 0; }
    void Next() { ++position_; }
    bool IsDone() const { return position_ >= sites_.size(); }
    EAppSite* Current() const { return IsDone() ? nullptr : sites_[position_].get(); }

    void SetChanged(bool changed) { changed_ = changed; }
    bool IsChanged() const { return changed_; }
    void AddChangedSite(EAppSite* site) { changedSites_.insert(site); }
    // Reloads the sites changed on disk while the application was inactive.
    void CheckReload();

    // Page information of the selected path, for the status bar and the details pane.
    void LoadPageInfo(std::string_view path);
    // The URLs of a page with their lines; returns the page's base directory, or empty when
    // the path is no HTML page. Right after LoadPageInfo of the same unchanged page, the URLs
    // it read are handed over instead of reading the page again.
    std::string GetPageUrls(std::string_view path, std::vector<EUrl>& urls,
                            std::vector<std::uint32_t>& lines);

    std::string pageTitle;
    int pageUrlCount = 0;
    int pageExternalCount = 0;
    int pageBrokenCount = 0;

  private:
    // The URLs LoadPageInfo read, for the GetPageUrls that usually follows it.
    struct ReadPage {
        std::string path;
        std::vector<EUrl> urls;
        std::string base;
        std::uint64_t generation = 0;
        FileStamp stamp;
    };
    ReadPage lastRead_;
    std::vector<std::unique_ptr<EAppSite>> sites_;
    std::size_t position_ = 0;
    bool changed_ = false;
    std::set<EAppSite*> changedSites_;
};

}  // namespace tw
