#pragma once
// What a page's URLs must become after items of its site moved, so that every URL names the
// same file as before. Only URLs that no longer lead there are changed, and each keeps its
// form: relative stays relative (with its "./"), root-relative stays root-relative, an
// absolute URL keeps its scheme and host; the fragment and query are outside the span and
// stay; segments that did not change keep their spelling and percent-encoding; a URL written
// with character references is written back with them.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/commands/PageRewrite.h"
#include "engine/commands/Transfer.h"

namespace tw {

class EAppSite;
class EHtmlNode;
struct EUrl;

// The URL writer every rewrite uses: the text to put in place of `url`'s span (its bytes in
// `content`; `local` its local path) so that it names `target`, a file path of the site, in
// the URL's own form. `folder` (with a trailing separator) is where the URL's relative form
// resolves: the page's folder, or the one its <base> names.
std::string UrlTextFor(const EUrl& url, std::string_view local, const std::string& content,
                       const std::string& folder, const std::string& target,
                       const std::string& siteDir);

// The folder relative URLs resolve against after a <base> whose local path is `local` and that
// names the file path `named` (a trailing separator included).
std::string BaseFolder(std::string_view local, const std::string& named);

class ELinkRewriter {
  public:
    ELinkRewriter(const EAppSite& site, const std::vector<MovedPath>& moves);

    // Where a path of before the moves is now (itself when nothing moved it).
    std::string Map(std::string_view before) const;

    // The splices for the page that stood at `pageBefore` and stands (or will stand) at
    // `pageNow`; `content` is the page's bytes. The page's URLs are read from its node's file
    // (and its parsed data dropped again).
    std::vector<Splice> SplicesFor(EHtmlNode& page, const std::string& pageBefore,
                                   const std::string& pageNow, const std::string& content) const;

  private:
    const EAppSite& site_;
    std::unordered_map<std::string, std::string> moves_;   // old path -> new path
    std::unordered_map<std::string, std::string> folded_;  // the same, by folded old path
};

}  // namespace tw
