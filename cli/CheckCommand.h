#pragma once

namespace tw::cli {

// tidewright check ...: loads a site as tracking it does and reports what is wrong with it.
// Exit status: 0 no broken links, 1 broken links found, 2 bad usage or a site that cannot
// be loaded, 130 cancelled.
int RunCheck(int argc, char** argv);
void PrintCheckHelp();

}  // namespace tw::cli
