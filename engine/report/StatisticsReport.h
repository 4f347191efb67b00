#pragma once
// The statistics report of a tracked site: one self-contained HTML file with a summary, then
// the file errors met while it was made, the syntax errors, orphans, broken links, external
// and mailto links and a sortable table of download times.

#include <string>

namespace tw {

class EAppSite;

struct ReportOptions {
    // Load the site as the report's first pass, every page keeping its URLs for the passes
    // after it, instead of reading the pages of the loaded web once more: each page is read
    // once. For a site not loaded yet (the command line); a cancel leaves it unloaded.
    bool load = false;
};

// Writes the report to `path`. False when the site's folder has no node, the user cancelled a
// pass, or the file could not be written (logged); no file is left then.
bool GenerateReport(EAppSite& site, const std::string& path, const ReportOptions& options = {});

}  // namespace tw
