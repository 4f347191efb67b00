#pragma once
// A deterministic synthetic web site: the same parameters and seed give the same bytes.

#include <cstdint>
#include <string>

namespace tw::bench {

struct SiteParams {
    int pages = 1000;
    int depth = 3;   // folder levels below the root
    int fanout = 4;  // subfolders per folder
    int linksPerPage = 20;
    int brokenPercent = 2;  // share of links that point nowhere
    int images = 50;
    int otherFiles = 20;
    int pageBytes = 4000;  // approximate size of a page
    bool scripts = true;   // script blocks with URLs in them
    bool styles = true;    // style blocks with @import
    std::uint64_t seed = 1;
};

// Writes the site into `folder` (created; must not exist yet). Returns the number of pages,
// or -1 when something could not be written.
int GenerateSite(const SiteParams& params, const std::string& folder);

}  // namespace tw::bench
