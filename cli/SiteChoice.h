#pragma once
// Which site a command of the command line works on: one defined ad hoc from a folder and
// options (never saved), or one defined in the settings, by name.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/Site.h"

namespace tw::cli {

struct SiteOptions {
    std::string directory, home, server, site;
    std::optional<std::string> defaults;
    std::vector<std::string> excluded;
};

// The site of the options; null with the reason in `problem` when there is none.
std::unique_ptr<EAppSite> MakeSite(const SiteOptions& options, std::string& problem);

// A path made absolute and real (links resolved) when it exists.
std::string Absolute(const std::string& path);
// A path given on the command line: as it stands when it exists, else below the site folder.
std::string InSite(const std::string& path, const std::string& directory);

}  // namespace tw::cli
