#pragma once
// What a check of a site found, as data: each front end (the command line's text and JSON,
// the window's lists) formats the same findings.

#include <string>
#include <vector>

#include "engine/report/Overview.h"

namespace tw {

struct LinkFinding {
    std::string page;  // full path of the page
    unsigned line = 0;
    unsigned offset = 0;
    std::string url;   // the URL's text as recorded
    std::string path;  // its site-relative path
    std::string file;  // for a case mismatch: the name of the file it resolved to
};

// A "#part" that names no place of its page.
struct FragmentLinkFinding {
    std::string page;
    unsigned line = 0;
    unsigned offset = 0;
    std::string url;  // as written, fragment included
    std::string fragment;
};

struct SyntaxFinding {
    std::string page;
    int line = 0;
    std::string message;
};

// A file or folder that could not be read: its findings are missing from the report.
struct FileError {
    std::string path;
    std::string message;
};

struct CheckResult {
    std::string name, directory, homePage, server;
    SiteSummaryCounts summary;
    bool wholeSite = true;
    std::vector<LinkFinding> broken, untracked, ignored, caseMismatches;
    std::vector<FragmentLinkFinding> brokenFragments;
    std::vector<std::string> orphans;
    std::vector<SyntaxFinding> syntaxErrors;
    std::vector<FileError> fileErrors;

    // Page, then line, then position: the order every output lists findings in.
    void Sort();
};

}  // namespace tw
