#pragma once
// Finding a new target for a link: the files of a site whose names match a name or a
// wildcard pattern, folder by folder (each folder, then its subfolders, depth first), and the
// places a link is written, as lines to show ("Line 12:  <a href=...>text</a>").

#include <string>
#include <string_view>
#include <vector>

namespace tw {

class EAppSite;

// Full paths of the entries below `siteDirectory` whose names match `pattern` (shell
// wildcards; a plain name matches itself). Folders are listed too when `withFolders`.
std::vector<std::string> FindTargetMatches(std::string_view siteDirectory, std::string_view pattern,
                                           bool withFolders);

// The last part of a link ("img/a.gif" -> "a.gif").
std::string LinkFileName(std::string_view link);

// One occurrence of a link in a page: its line and the tag that holds it (for "a", up to its
// closing tag), line breaks and runs of blanks made single blanks, a few entities decoded.
struct LinkInstance {
    int line = 0;
    std::string tag;
};
// The occurrences in `page` of URLs whose site-relative path is `link` (or whose text is
// `link`, for an absolute URL).
std::vector<LinkInstance> FindLinkInstances(const EAppSite& site, std::string_view page,
                                            std::string_view link);
// The tag around the byte range [start, end) of `content`, tidied as above.
std::string TagAround(std::string_view content, std::size_t start, std::size_t end);

// The pages that hold `link`, from the site's broken, untracked and ignored lists in that
// order, at most `most` of them, with the sum of their counts.
std::vector<std::string> PagesWithLink(const EAppSite& site, std::string_view link,
                                       std::size_t most, int* count = nullptr);

}  // namespace tw
