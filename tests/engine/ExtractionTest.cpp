#include <gtest/gtest.h>

#include <sstream>

#include "core/log/Section.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/html/UrlExtractor.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using test::SiteTest;

// "text@start-end:line FLAGS ->target" per URL, " | " between them.
std::string Describe(EHtmlNode& page) {
    std::ostringstream out;
    const char* letters = "EBR/AMFDNUI";
    bool first = true;
    for (const EUrl& u : page.Urls()) {
        if (!first) out << " | ";
        first = false;
        out << u.text << "@" << u.start << "-" << u.end << ":" << u.line << " ";
        for (int bit = 0; bit < 11; ++bit)
            if (u.flags & (1 << bit)) out << letters[bit];
        if (u.target) out << " ->" << PathName(u.target->GetPath());
    }
    return out.str();
}

class ExtractionTest : public SiteTest {
  protected:
    // Loads a site holding the fixed files plus page.htm with `html`, and describes the URLs
    // of page.htm.
    std::string UrlsOf(const std::string& html, const std::string& server = {}) {
        MakeSite({{"index.htm", "<a href=page.htm>"},
                  {"page.htm", html},
                  {"a.htm", ""},
                  {"b.htm", ""},
                  {"my page.htm", ""},
                  {"x.gif", "GIF89a\x80\x81"},
                  {"s.css", ""},
                  {"sub/index.htm", ""},
                  {"empty/readme.txt", ""}},
                 "index.htm", server);
        EXPECT_TRUE(Load());
        EHtmlNode* page = Page("page.htm");
        page->ParseUrls(nullptr);
        std::string described = Describe(*page);
        site_.reset();
        RemoveFolderTree(PathOf("site"));
        return described;
    }
};

TEST_F(ExtractionTest, AttributesAndTheirForms) {
    struct Case {
        const char* html;
        const char* urls;
    } cases[] = {
        {"<a href=#top>", ""},
        {"<a href=a.htm#top>", "a.htm@8-12:1 R ->a.htm"},
        {"<a href=\"a.htm?x=1#top\">", "a.htm@9-13:1 R ->a.htm"},
        {"<img src=x.gif>", "x.gif@9-13:1 RM ->x.gif"},
        {"<a href=/b.htm>\n<frame src=\"a.htm\">",
         "/b.htm@8-13:1 / ->b.htm | a.htm@28-32:2 RMF ->a.htm"},
        {"<a href=missing.htm>", "missing.htm@8-18:1 R"},
        {"<a href=mailto:someone>", "mailto:someone@8-21:1 EA"},
        {"<a href=\"https://example.org/x\">", "https://example.org/x@9-29:1 EAN"},
        {"<a href=\"my%20page.htm\">", "my page.htm@9-21:1 R ->my page.htm"},
        {"<a href=\"my page.htm\">", "my page.htm@9-19:1 RN ->my page.htm"},
        {"<a href=sub/>", "sub/@8-11:1 RD ->index.htm"},
        {"<a href=empty/>", "empty/@8-13:1 R"},
        {"<a href=A.HTM>", "A.HTM@8-12:1 R ->a.htm"},
        {"<a href=\"javascript:history.go(-1)\">", ""},
        {"<a href=\"javascript: History.GO (-2)\">", ""},
        {"<a href=\"javascript:void(0)\">", "javascript:void(0)@9-26:1 EAN"},
        {"<a href=\"javascript:openWin('a.htm')\">", "a.htm@29-33:1 R ->a.htm"},
        {"<div onclick=\"location='b.htm'\">", "b.htm@24-28:1 R ->b.htm"},
        {"<p onclick=\"location='b.htm'\">", ""},  // p is never searched
        {"<input type=HIDDEN name=Redirect value=a.htm>", "a.htm@39-43:1 R ->a.htm"},
        {"<param name=local value=\"b.htm\">", "b.htm@25-29:1 R ->b.htm"},
        {"<p href=a.htm><b href=a.htm></a href=a.htm>", ""},
        {"<!-- <a href=a.htm> -->", ""},
        {"<a href=\"../../outside.htm\">", "../../outside.htm@9-25:1 R"},
    };
    for (const Case& c : cases) EXPECT_EQ(UrlsOf(c.html), c.urls) << c.html;
}

TEST_F(ExtractionTest, ScriptsAndStyles) {
    struct Case {
        const char* html;
        const char* urls;
    } cases[] = {
        // The assignment pattern finds the quoted src; the re-read does not find it again.
        {"<script>document.write('<img src=\"x.gif\">')</script>", "x.gif@34-38:1 RM ->x.gif"},
        {"<script>document.write('<img src=x.gif>')</script>", "x.gif@33-37:1 RM ->x.gif"},
        // Comments are cut, yet offsets stay those of the file.
        {"<script>// location='a.htm'\n/* href='b.htm' */ x.src = 'b.htm'; "
         "w.open(\"http://h/y\")</script>",
         "b.htm@56-60:2 RM ->b.htm | http://h/y@72-81:2 EA"},
        {"<style>@import url(\"s.css\");\n@import 'a.htm';</style>",
         "s.css@20-24:1 R ->s.css | a.htm@38-42:2 R ->a.htm"},
        {"<script>f('nothing here', 'a.htm')</script>", "a.htm@27-31:1 R ->a.htm"},
    };
    for (const Case& c : cases) EXPECT_EQ(UrlsOf(c.html), c.urls) << c.html;
}

TEST_F(ExtractionTest, ServerAddressMakesAbsoluteUrlsLocal) {
    EXPECT_EQ(
        UrlsOf("<a href=\"http://srv1/~me/a.htm\"><a href=\"http://srv1/b.htm\">", "srv1/~me"),
        "http://srv1/~me/a.htm@9-29:1 AN ->a.htm | http://srv1/b.htm@41-57:1 EA");
}

TEST_F(ExtractionTest, BaseTagsRedirectRelativeUrls) {
    EXPECT_EQ(UrlsOf("<base href=\"sub/\"><a href=index.htm>"),
              "sub/@12-15:1 BR ->sub | index.htm@26-34:1 R ->index.htm");
    EXPECT_EQ(UrlsOf("<base href=\"http://elsewhere/d/\"><a href=a.htm>"),
              "http://elsewhere/d/@12-30:1 EBA | http://elsewhere/d/a.htm@41-45:1 EA");
    // A base that names a page stands for the page's folder.
    EXPECT_EQ(UrlsOf("<base href=\"http://elsewhere/d/p.htm\"><a href=a.htm>"),
              "http://elsewhere/d/p.htm@12-35:1 EBA | http://elsewhere/d/a.htm@46-50:1 EA");
}

// A path written again is worked out once per page: each copy keeps its own place and use,
// and a base met in between makes the same text name another file.
TEST_F(ExtractionTest, RepeatedPathsKeepTheirOwnPlacesAndFollowTheBase) {
    EXPECT_EQ(UrlsOf("<a href=a.htm><img src=a.htm>"),
              "a.htm@8-12:1 R ->a.htm | a.htm@23-27:1 RM ->a.htm");
    EXPECT_EQ(UrlsOf("<a href=a.htm><base href=\"sub/\"><a href=a.htm>"),
              "a.htm@8-12:1 R ->a.htm | sub/@26-29:1 BR ->sub | a.htm@40-44:1 R");
}

TEST_F(ExtractionTest, UnclosedScriptStopsTheRestOfThePage) {
    MakeSite({{"index.htm", "<a href=a.htm>\n<script>var x;\n<a href=b.htm>"}, {"a.htm", ""}});
    ASSERT_TRUE(Load());
    EHtmlNode* page = Page("index.htm");
    page->ClearUrls();
    page->ClearTags();
    ESection section(0, PathOf("errors.txt"));
    EXPECT_EQ(page->ParseUrls(&section), ParseResult::SyntaxErrors);
    EXPECT_EQ(Describe(*page), "a.htm@8-12:1 R ->a.htm");
    EXPECT_EQ(section.Contents(),
              "   line    2: HTML syntax error, no closing \"script\" tag in\n\t" +
                  SitePath("index.htm") + "\n");
}

}  // namespace
}  // namespace tw
