// Every place a page or stylesheet can name a file, each URL checked against the exact bytes
// it was written as: link rewriting will splice exactly these spans.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/html/Fragments.h"
#include "engine/html/UrlText.h"
#include "engine/maintenance/Orphans.h"
#include "engine/model/Traverse.h"
#include "engine/services/Browse.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using test::SiteTest;

class UrlSourcesTest : public SiteTest {
  protected:
    // Loads a site of fixed files plus page.htm holding `html`, and describes each URL of
    // page.htm as "source:BYTES->target" (BYTES: the file's bytes at the URL's span; E for
    // an external URL, a bare "!" for a local one that resolves to nothing).
    std::string UrlsOf(const std::string& html) {
        MakeSite({{"index.htm", "<a href=page.htm>"},
                  {"page.htm", html},
                  {"a.htm", "<p id=part>"},
                  {"b.htm", ""},
                  {"my page.htm", ""},
                  {"x.gif", "GIF89a\x80\x81"},
                  {"s.css", ""},
                  {"img/a.png", "\x89PNG\x80"},
                  {"img/a,b.png", "\x89PNG\x80"},
                  {"sub/index.htm", ""}},
                 "index.htm");
        EXPECT_TRUE(Load());
        EHtmlNode* page = Page("page.htm");
        page->ParseUrls(nullptr);
        std::ostringstream out;
        for (const EUrl& u : page->Urls()) {
            if (out.tellp() > 0) out << " | ";
            out << UrlSourceName(u.source) << ":" << html.substr(u.start, u.end - u.start + 1);
            if (u.IsExternal())
                out << " E";
            else
                out << "->" << (u.target ? PathName(u.target->GetPath()) : std::string("!"));
        }
        site_.reset();
        RemoveFolderTree(PathOf("site"));
        return out.str();
    }
};

TEST_F(UrlSourcesTest, EverySourceWithItsExactSpan) {
    struct Case {
        const char* html;
        const char* urls;
    } cases[] = {
        {"<img src=x.gif srcset=\"x.gif 1x, img/a.png 2x\">",
         "src:x.gif->x.gif | srcset:x.gif->x.gif | srcset:img/a.png->a.png"},
        // A URL may hold commas; trailing commas end a candidate without descriptors.
        {"<picture><source srcset=\"img/a,b.png 100w,x.gif 200w\"><source srcset=\"x.gif,, a.htm "
         "2x\">",
         "srcset:img/a,b.png->a,b.png | srcset:x.gif->x.gif | srcset:x.gif->x.gif | "
         "srcset:a.htm->a.htm"},
        {"<video poster=x.gif></video><object data='x.gif'></object>",
         "poster:x.gif->x.gif | data:x.gif->x.gif"},
        {"<form><button formaction=a.htm><input formaction=\"b.htm\"></form>",
         "formaction:a.htm->a.htm | formaction:b.htm->b.htm"},
        {"<svg><use xlink:href=\"x.gif#icon\"/></svg>", "xlink:href:x.gif->x.gif"},
        {"<meta http-equiv=\"Refresh\" content=\"5; url=a.htm\">", "refresh:a.htm->a.htm"},
        {"<meta http-equiv=refresh content=\"0;URL='sub/index.htm'\">",
         "refresh:sub/index.htm->index.htm"},
        {"<meta property=\"og:image\" content=\"/x.gif\"><meta name=twitter:image "
         "content=\"https://elsewhere.org/x.gif\">",
         "meta content:/x.gif->x.gif"},
        {"<p style=\"background: url('x.gif')\">", "style url():x.gif->x.gif"},
        {"<div style=\"background:url(&quot;x.gif&quot;)\">", "style url():x.gif->x.gif"},
        {"<style>@import url(s.css) print; @import \"a.htm\" layer(x);\n"
         "@import url('b.htm') screen and (min-width: 9px);\n"
         "body { background: URL( x.gif ) } /* url(my page.htm) */ p:after { content: "
         "'url(b.htm)' }</style>",
         "@import:s.css->s.css | @import:a.htm->a.htm | @import:b.htm->b.htm | "
         "style url():x.gif->x.gif"},
        {"<script type=module>import x from \"./a.htm\"; import './b.htm';\n"
         "import {y} from 'lib'; export * from \"/x.gif\";</script>",
         "import:./a.htm->a.htm | import:./b.htm->b.htm | import:/x.gif->x.gif"},
        // Character references are decoded and white space dropped; the span stays raw.
        {"<a href=\"my&#32;page.htm?x=1&amp;y=2\">", "href:my&#32;page.htm->my page.htm"},
        {"<a href=\"  a.htm\n \">", "href:a.htm->a.htm"},
        // A backslash in a relative URL is a '/', as browsers read it.
        {"<a href=\"sub\\index.htm\">", "href:sub\\index.htm->index.htm"},
        // An escape inside a script string: the span covers what was written.
        {"<script>f('a\\.htm')</script>", "script:a\\.htm->a.htm"},
    };
    for (const Case& c : cases) EXPECT_EQ(UrlsOf(c.html), c.urls) << c.html;
}

// Each of these gave a false result: a missed link, a false external or a false broken one.
TEST_F(UrlSourcesTest, NoFalseResults) {
    struct Case {
        const char* html;
        const char* urls;
    } cases[] = {
        // A string with a colon is not a URL unless its scheme is one.
        {"<script>var s = f('Note: empty'); $('li:first'); $(\"input:checked\")</script>", ""},
        {"<script>w.open('mailto:me@example.org')</script>", "script:mailto:me@example.org E"},
        // "//" inside a string is not a comment.
        {"<script>w.open(\"https://example.org/a\"); x.src = 'b.htm';</script>",
         "script:https://example.org/a E | script:b.htm->b.htm"},
        {"<script>var r = /\\/\\//; x.src = 'b.htm';</script>", "script:b.htm->b.htm"},
        // The start of a URL the script builds is not a link.
        {"<script>img.src = \"img/\" + n + \".png\"; f('img/' + n); "
         "g(`img/${n}.png`)</script>",
         ""},
        // A bracket in a quoted value does not end the tag.
        {"<a title=\"a > b\" href=a.htm>", "href:a.htm->a.htm"},
        // A base naming a page stands for the page's folder.
        {"<base href=\"sub/index.htm\"><a href=index.htm>",
         "href:sub/index.htm->index.htm | href:index.htm->index.htm"},
        // "ftp%3A//x" is a relative path: the scheme is looked for before decoding.
        {"<a href=\"ftp%3A//x\">", "href:ftp%3A//x->!"},
        // "." before ".." must not swallow the "..".
        {"<a href=\"./sub/../a.htm\">", "href:./sub/../a.htm->a.htm"},
    };
    for (const Case& c : cases) EXPECT_EQ(UrlsOf(c.html), c.urls) << c.html;
}

// One site where every file is used by exactly one construct: nothing is an orphan, nothing
// is broken, and nothing local passes for external.
TEST_F(UrlSourcesTest, ASiteReachedOnlyThroughTheNewSources) {
    MakeSite({{"index.html", "<meta http-equiv=refresh content=\"0; url=home.html\">"},
              {"home.html",
               "<link rel=stylesheet href=css/site.css>\n"
               "<img srcset=\"img/small.png 1x, img/big.png 2x\">\n"
               "<video poster=img/poster.png></video><object data=media/clip.svg></object>\n"
               "<button formaction=form.html>\n<svg><use xlink:href=\"img/sprite.svg#i\"/></svg>\n"
               "<meta property=og:image content=\"/img/og.png\">\n"
               "<p style=\"background:url(img/inline.png)\">\n"
               "<script type=module>import m from './js/app.js';</script>"},
              {"form.html", ""},
              {"css/site.css",
               "@import url(\"print.css\") print;\nbody { background: url(../img/bg.png) }\n"
               "@font-face { src: url('../fonts/f.woff2') format('woff2') }"},
              {"css/print.css", "h1 { background: url(/img/print.png) }"},
              {"img/small.png", "x"},
              {"img/big.png", "x"},
              {"img/poster.png", "x"},
              {"img/sprite.svg", "x"},
              {"img/og.png", "x"},
              {"img/inline.png", "x"},
              {"img/bg.png", "x"},
              {"img/print.png", "x"},
              {"media/clip.svg", "x"},
              {"fonts/f.woff2", "x"},
              {"js/app.js", "x"}},
             "index.html", {}, "index.html");
    int external = 0;
    LoadOptions options;
    options.onProblem = [&](EHtmlNode& page, const EUrl& url, LinkProblem) {
        ADD_FAILURE() << page.GetPath() << ":" << url.line << " " << url.text;
    };
    ASSERT_TRUE(Load(options));
    EGatherOrphans orphans(*site_, false);
    TTraverse<TIterPreOrderTyped>(site_->Root(), orphans).Run("", 50);
    for (ENode* node : orphans.found) ADD_FAILURE() << "orphan: " << node->GetPath();
    for (const char* sheet : {"css/site.css", "css/print.css", "home.html"}) {
        EHtmlNode* page = Page(sheet);
        ASSERT_NE(page, nullptr) << sheet;
        page->ParseUrls(nullptr);
        for (const EUrl& url : page->Urls()) external += url.IsExternal();
    }
    EXPECT_EQ(external, 0);
    EXPECT_TRUE(Page("css/site.css")->IsStyleSheet());
    ExpectConsistent();
}

TEST_F(UrlSourcesTest, BrokenLinksInAStyleSheetNameItsLine) {
    MakeSite({{"index.htm", "<link rel=stylesheet href=s.css>"},
              {"s.css", "a { }\n\nb { background: url(gone.png) }"}});
    std::vector<std::string> found;
    LoadOptions options;
    options.onProblem = [&](EHtmlNode& page, const EUrl& url, LinkProblem problem) {
        if (problem == LinkProblem::Broken)
            found.push_back(std::string(PathName(page.GetPath())) + ":" + std::to_string(url.line) +
                            " " + url.text);
    };
    ASSERT_TRUE(Load(options));
    EXPECT_EQ(found, std::vector<std::string>{"s.css:3 gone.png"});
    EXPECT_EQ(Broken("s.css"), 1);
    ExpectConsistent();
}

TEST_F(UrlSourcesTest, CaseMismatchesResolveAndAreReported) {
    MakeSite({{"index.htm", "<a href=About.htm>\n<a href=about.htm>\n<a href=Sub/>"},
              {"about.htm", ""},
              {"sub/Index.htm", ""}},
             "index.htm", {}, "index.htm");
    std::vector<std::string> found;
    LoadOptions options;
    options.onProblem = [&](EHtmlNode&, const EUrl& url, LinkProblem problem) {
        if (problem == LinkProblem::CaseMismatch)
            found.push_back(std::to_string(url.line) + " " +
                            std::string(PathName(url.target->GetPath())));
    };
    ASSERT_TRUE(Load(options));
    EXPECT_EQ(found, (std::vector<std::string>{"1 about.htm", "3 Index.htm"}));
    EXPECT_EQ(Broken("index.htm"), 0);
}

TEST_F(UrlSourcesTest, FragmentsAreCheckedAgainstTheTargetsIds) {
    MakeSite({{"index.htm",
               "<a href=#here>\n<a href=#nowhere>\n<a href=a.htm#part>\n<a href=a.htm#gone>\n"
               "<a href=b.htm#x%20y><a href=#top><p id=here><a href=s.css#x><img src=p.svg#y>"},
              {"a.htm", "<a href=index.htm#here><h2 id=\"part\">x</h2><a href=b.htm#no>"},
              {"b.htm", "<a name=\"x y\">"},
              {"s.css", "p { color: red }"},  // only pages have places
              {"p.svg", "<svg/>"}});
    std::vector<std::string> found;
    LoadOptions options;
    options.onBrokenFragment = [&](EHtmlNode& page, const FragmentRef& ref) {
        FragmentFinding f = DescribeFragment(page, ref);
        found.push_back(std::string(PathName(page.GetPath())) + ":" + std::to_string(f.line) + " " +
                        f.url + " " + f.fragment);
    };
    ASSERT_TRUE(Load(options));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (std::vector<std::string>{"a.htm:1 b.htm#no no", "index.htm:2 #nowhere nowhere",
                                        "index.htm:4 a.htm#gone gone"}));
    EXPECT_FALSE(site_->CollectsFragments());
}

TEST_F(UrlSourcesTest, RedirectingHomePageLeadsTheWalk) {
    MakeSite({{"index.html", "<meta http-equiv=\"refresh\" content=\"0;url=docs/index.html\">"},
              {"docs/index.html", "<a href=a.html>"},
              {"docs/a.html", ""}},
             "index.html", {}, "index.html");
    ASSERT_TRUE(Load());
    EXPECT_TRUE(site_->orphans.empty());
    // Whatever is asked later, the home page stays reachable.
    site_->ReevaluateReachability(Node("index.html"));
    EXPECT_EQ(site_->orphans.count(Node("index.html")), 0u);
}

TEST_F(UrlSourcesTest, DanglingLinksAreMissingFilesAndExecutablePagesArePages) {
    MakeSite({{"index.html", "<a href=gone.htm><a href=tool.html>"}, {"tool.html", "x"}},
             "index.html", {}, "index.html");
    ASSERT_EQ(::symlink("nowhere.htm", SitePath("gone.htm").c_str()), 0);
    ASSERT_EQ(::chmod(SitePath("index.html").c_str(), 0755), 0);
    EXPECT_EQ(DefaultPage(SitePath("")), SitePath("index.html"));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Node("gone.htm"), nullptr);
    EXPECT_EQ(Broken("index.html"), 1);
    EXPECT_NE(Page("index.html"), nullptr);
}

}  // namespace
}  // namespace tw
