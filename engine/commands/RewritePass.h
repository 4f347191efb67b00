#pragma once
// The one way a command rewrites the pages of a site. Given the pages to touch and a function
// that yields each page's splices from its bytes, the pass reads every page once, stages its
// new bytes beside it (announced in the write-ahead record), and commits them all together;
// then it tells the views which pages changed. Its progress ("Updating Links: N of M") counts
// the commit too and can cancel until the commit begins: a cancel, like a failed write, leaves
// every page as it was, for every command that uses the pass.
//
// Pages are never written outside the site, and a page that is a symbolic link to another
// page of the pass is rewritten once, as that page.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/commands/PageRewrite.h"

namespace tw {

class EAppSite;
class EHtmlNode;

// The new texts for a page (`index`: its place in the list given to the pass), from the
// bytes read; none when the page keeps its bytes. The pass calls it on several cores at once,
// for different pages: it may change the page's node (its parsed URLs), and only read the
// rest of the site.
using PageSplicer =
    std::function<std::vector<Splice>(EHtmlNode& page, std::size_t index, const std::string&)>;
// Told of each page's splices with its bytes, one page after the other in the pass's order,
// before the page is staged (a log of the rewrites).
using SplicedPage = std::function<void(EHtmlNode& page, const std::string& bytes,
                                       const std::vector<Splice>& splices)>;

struct RewriteOutcome {
    std::vector<PageChange> changes;       // the pages rewritten, stamped after the commit
    std::vector<EHtmlNode*> rewritten;     // their nodes, in the same order
    std::vector<EHtmlNode*> notRewritten;  // pages that needed new bytes and kept their old ones
    std::vector<std::string> problems;     // "PAGE: why", for the user
    bool cancelled = false;                // before the commit: nothing was written
    bool writeFailed = false;              // a write failed (a full disk): nothing was written
    bool Finished() const { return !cancelled && !writeFailed; }
};

RewriteOutcome RewritePages(EAppSite& site, const std::vector<EHtmlNode*>& pages,
                            const PageSplicer& splicer, const SplicedPage& spliced = {});

// What the pass would write, changing nothing: each page that would change, its bytes before
// and after, and how many URLs.
struct PagePreview {
    EHtmlNode* page = nullptr;
    std::size_t index = 0;
    std::string oldContent, newContent;
    int links = 0;
};
std::vector<PagePreview> PreviewPages(const std::vector<EHtmlNode*>& pages,
                                      const PageSplicer& splicer);

}  // namespace tw
