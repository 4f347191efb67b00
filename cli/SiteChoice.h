#pragma once
// Which site a command of the command line works on: one defined ad hoc from a folder and
// options (never saved), or one defined in the settings, by name.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/log/Log.h"
#include "engine/model/Site.h"

namespace CLI {
class App;
}

namespace tw::cli {

// Exit statuses of the commands: done; done with problems; bad usage or nothing done;
// cancelled.
constexpr int kDone = 0, kProblems = 1, kUsage = 2, kCancelled = 130;
// Says what went wrong on standard error ("tidewright VERB: PROBLEM"); returns `status`.
int Fail(const std::string& verb, const std::string& problem, int status = kUsage);

// Parses a verb's arguments; an exit status when the run ends here (help shown: done; a
// mistake: bad usage, said on standard error).
std::optional<int> Parse(CLI::App& app, int argc, char** argv);

struct SiteOptions {
    std::string directory, home, server, site;
    std::optional<std::string> defaults;
    std::vector<std::string> excluded;
    // A command that changes the site holds its lock from before the load to its end;
    // `wait` waits for another command on the site as long as it takes.
    bool lock = false, wait = false;
};

// --site NAME | --site-dir DIR [--home PAGE] [--server URL], as every site command takes them.
void AddSiteOptions(CLI::App& app, SiteOptions& where);

// --wait, for the commands that change a site.
void AddWaitOption(CLI::App& app, SiteOptions& where);
// Holds the lock of the site whose folder is `directory` until the process ends, waiting a
// few seconds (or, with `wait`, as long as it takes) for another command on it, and saying
// so. False with the reason in `problem` ("cancelled" on Ctrl+C) when it could not be had.
bool HoldSiteLock(const std::string& directory, bool wait, std::string& problem);

// The site of the options; null with the reason in `problem` when there is none.
std::unique_ptr<EAppSite> MakeSite(const SiteOptions& options, std::string& problem);

// A path made absolute and real (links resolved) when it exists.
std::string Absolute(const std::string& path);
// A path given on the command line: as it stands when it exists, else below the site folder.
std::string InSite(const std::string& path, const std::string& directory);

// A path named on the command line, taken as written: the folders above it are made real
// (links, "." and ".." resolved), the item itself is not, so that a symbolic link named is
// the link and not what it points at. A name of "." or ".." is resolved with the rest.
std::string AsNamed(const std::string& path);

// A path made real (links resolved), without a trailing separator.
std::string Real(const std::string& path);
// Whether a real path is the site's folder or lies below it.
bool Inside(const EAppSite& site, const std::string& path);
// The path below the site's folder ("sub/a.htm"), or the path itself when outside.
std::string Relative(const EAppSite& site, const std::string& path);
// The sites defined in the settings that can be used, in their order.
std::vector<std::unique_ptr<EAppSite>> DefinedSites();
// The site a command works on: the one named, the one given by folder, or the defined site
// whose folder holds `first`. Loaded, and known to the registry for this run; null with the
// reason in `problem` ("cancelled" when the load was). Without `load`, known but not loaded.
EAppSite* OpenSite(const SiteOptions& where, const std::string& first, std::string& problem,
                   bool load = true);

// The log of the commands that change a site: errors go to standard error; the report
// sections a load writes are not wanted.
class QuietLog : public ELog {
  public:
    QuietLog() : discard_(0, ESection::Stream::None) {}
    ESection* OpenSection(int titleId) override {
        return titleId == kErrorSectionId ? ELog::OpenSection(titleId) : &discard_;
    }
    void CloseSection(ESection* section) override {
        if (section != &discard_) ELog::CloseSection(section);
    }

  private:
    ESection discard_;
};

}  // namespace tw::cli
