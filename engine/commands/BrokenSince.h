#pragma once
// The links a command broke. The site's web keeps its broken links by page and path; they are
// noted before the command, and afterwards each page with more broken links to a path than
// before is read again for the lines and texts of those links. A command that keeps every
// link valid lists nothing; one that could not (a folder's default page renamed, a page
// copied where its relative links do not hold, a linked page sent to the trash) says so.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tw {

class EAppSite;
class ENode;

struct BrokenLink {
    std::string page;  // where the link is written
    std::uint32_t line = 0;
    std::string url;  // the URL as the page's links list shows it (decoded, no fragment)
};

// The links that lead into the items (a file, or a folder and all below it) from pages that
// are not among them: what removing the items would break.
std::vector<BrokenLink> LinksInto(EAppSite& site, const std::vector<std::string>& items);

class EBrokenLinksWatch {
  public:
    // Notes the site's broken links now.
    explicit EBrokenLinksWatch(EAppSite& site);
    // The links broken now that were not when the watch began, by page and line.
    std::vector<BrokenLink> NewlyBroken() const;

  private:
    using Counts = std::map<std::pair<const ENode*, std::string>, int>;
    static Counts CountsOf(const EAppSite& site);

    EAppSite& site_;
    Counts before_;  // broken links per page and (folded) site path
};

}  // namespace tw
