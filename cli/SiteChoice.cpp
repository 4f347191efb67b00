#include "cli/SiteChoice.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/html/UrlText.h"
#include "engine/services/Browse.h"

namespace tw::cli {

std::string Absolute(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    if (!path.empty() && path.front() == kPathSep) return path;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? JoinPath(cwd, path) : path;
}

// A path given on the command line: as it stands when it exists, else below the site folder.
std::string InSite(const std::string& path, const std::string& directory) {
    if (path.empty() || path.front() == kPathSep || PathExists(path)) return Absolute(path);
    return JoinPath(directory, path);
}

std::unique_ptr<EAppSite> MakeSite(const SiteOptions& o, std::string& problem) {
    if (!o.site.empty()) {
        // Every defined section is looked at: one whose folder is gone (a drive not mounted
        // today) must not hide the sites defined after it.
        for (int id = 1;; ++id) {
            auto site = std::make_unique<EAppSite>();
            const bool usable = site->LoadAs(id);
            if (site->GetName().empty()) break;
            if (!EqualsNoCase(site->GetName(), o.site)) continue;
            if (usable) return site;
            problem = "site \"" + o.site + "\": its folder " + site->GetDirectory() +
                      " or its home page " + site->GetHomePage() + " is gone";
            return nullptr;
        }
        problem = "no site named \"" + o.site + "\" is defined";
        return nullptr;
    }
    if (!IsFolder(o.directory)) {
        problem = o.directory + ": no such folder";
        return nullptr;
    }
    std::string directory = Absolute(o.directory);
    std::string home = o.home.empty() ? DefaultPage(directory) : InSite(o.home, directory);
    std::string name(PathName(StripTrailingSep(directory)));
    auto site = std::make_unique<EAppSite>(name.empty() ? "site" : name, directory, home, o.server,
                                           o.defaults.value_or(kServerDefaultNames));
    std::vector<std::string> excluded;
    for (const std::string& folder : o.excluded) {
        std::string path = InSite(folder, directory);
        // A misspelt folder would silently check the whole site in sections.
        if (!IsFolder(path) || !site->Contains(Absolute(path))) {
            problem = "--exclude " + folder + ": no such folder in " + directory;
            return nullptr;
        }
        excluded.push_back(Absolute(path));
    }
    site->SetExcludedFolders(std::move(excluded));
    return site;
}

}  // namespace tw::cli
