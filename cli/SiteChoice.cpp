#include "cli/SiteChoice.h"

#include <unistd.h>

#include <CLI/CLI.hpp>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/commands/SiteLock.h"
#include "engine/html/UrlText.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/Browse.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {

int Fail(const std::string& verb, const std::string& problem, int status) {
    std::fprintf(stderr, "tidewright %s: %s\n", verb.c_str(), problem.c_str());
    return status;
}

std::optional<int> Parse(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> args;  // CLI11 takes them last first
    for (int i = argc - 1; i >= 0; --i) args.emplace_back(argv[i]);
    try {
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kDone : kUsage;
    }
    return std::nullopt;
}

void AddSiteOptions(CLI::App& app, SiteOptions& where) {
    app.add_option("--site", where.site, "a site defined in the settings, by name");
    app.add_option("--site-dir", where.directory, "the site's folder (a site for this run only)");
    app.add_option("--home", where.home, "with --site-dir: the home page");
    app.add_option("--server", where.server, "with --site-dir: the address it is published under");
}

void AddWaitOption(CLI::App& app, SiteOptions& where) {
    app.add_flag("--wait", where.wait,
                 "when another command is changing the site, wait until it ends (without it: "
                 "give up after a few seconds)");
}

bool HoldSiteLock(const std::string& directory, bool wait, std::string& problem) {
    LockWait patience;
    patience.seconds = wait ? -1 : SiteLockPatience();
    patience.waiting = [](long pid) {
        std::fprintf(stderr, "tidewright: %s\n", WaitingText(pid).c_str());
    };
    patience.cancelled = [] { return EConsoleServices::CancelRequested(); };
    std::vector<EFileLock> locks;
    long holder = 0;
    if (LockSites({directory}, patience, locks, &holder)) {
        // Held until the process ends: the kernel releases it however the process ends.
        for (EFileLock& lock : locks) lock.KeepUntilExit();
        return true;
    }
    if (EConsoleServices::CancelRequested())
        problem = "cancelled";
    else if (holder == 0 && errno != EWOULDBLOCK)
        problem = "the site's lock " + SiteLockPath(directory) +
                  " cannot be taken: " + std::strerror(errno) + "; nothing was done";
    else
        problem =
            WaitingText(holder) + ": gave up; nothing was done (--wait waits as long as it takes)";
    return false;
}

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

std::string AsNamed(const std::string& given) {
    std::string path = given;
    if (path.empty() || path.front() != kPathSep) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd)) path = JoinPath(cwd, path);
    }
    while (path.size() > 1 && path.back() == kPathSep) path.pop_back();
    if (path.size() == 1) return path;  // the root
    const std::string name(PathName(path));
    std::string parent(PathDirectory(path));
    if (parent.empty()) parent = std::string(1, kPathSep);
    if (name == "." || name == "..") {
        char real[PATH_MAX];
        if (::realpath(path.c_str(), real)) return real;
        const std::string above = AsNamed(parent);
        return name == "." ? above : std::string(PathDirectory(above));
    }
    // A folder that does not exist yet (mkdir a/b/c) is worked out level by level.
    return JoinPath(PathExists(parent) ? RealPath(parent) : AsNamed(parent), name);
}

std::string Real(const std::string& path) {
    return std::string(StripTrailingSep(Absolute(path)));
}

bool Inside(const EAppSite& site, const std::string& path) {
    const std::string folder(StripTrailingSep(Absolute(site.GetDirectory())));
    return path == folder || path.starts_with(folder + kPathSep);
}

std::vector<std::unique_ptr<EAppSite>> DefinedSites() {
    std::vector<std::unique_ptr<EAppSite>> sites;
    for (int id = 1;; ++id) {
        auto candidate = std::make_unique<EAppSite>();
        const bool usable = candidate->LoadAs(id);
        if (candidate->GetName().empty()) break;
        if (usable) sites.push_back(std::move(candidate));
    }
    return sites;
}

EAppSite* OpenSite(const SiteOptions& where, const std::string& first, std::string& problem,
                   bool load) {
    std::unique_ptr<EAppSite> site;
    if (!where.site.empty() || !where.directory.empty()) {
        site = MakeSite(where, problem);
    } else {
        const std::string real = Real(first);
        for (std::unique_ptr<EAppSite>& candidate : DefinedSites()) {
            if (Inside(*candidate, real)) {
                site = std::move(candidate);
                break;
            }
        }
        if (!site)
            problem = "no defined site holds " + first +
                      "; give the site with --site-dir DIR (or --site NAME) so that its links "
                      "are kept valid";
    }
    if (!site) return nullptr;
    if (!PathExists(site->GetHomePage())) {
        problem = "home page " + site->GetHomePage() + " does not exist";
        return nullptr;
    }
    // Before the load: what is read must not change under the command.
    if (where.lock && !HoldSiteLock(site->GetDirectory(), where.wait, problem)) return nullptr;
    EAppSite* adopted = ESiteRegistry::Instance().AdoptSite(std::move(site));
    if (!load) return adopted;
    LoadOptions options;
    options.showLoadErrors = false;
    options.reportSyntaxErrors = false;
    if (!LoadSite(*adopted, options)) {
        problem = adopted->GetLoadState() == LoadState::OutOfMemory
                      ? "out of memory while loading the site"
                      : "cancelled";
        return nullptr;
    }
    return adopted;
}

std::string Relative(const EAppSite& site, const std::string& path) {
    // The site's folder as given and as resolved: a page may be named either way. Resolving
    // the folder costs a system call per level, so only when the folder as given fails.
    auto below = [&](std::string_view folder) {
        return path.size() > folder.size() && path.starts_with(folder) &&
               path[folder.size()] == kPathSep;
    };
    const std::string_view given = StripTrailingSep(site.GetDirectory());
    if (below(given)) return path.substr(given.size() + 1);
    const std::string real = Real(site.GetDirectory());
    return below(real) ? path.substr(real.size() + 1) : path;
}

}  // namespace tw::cli
