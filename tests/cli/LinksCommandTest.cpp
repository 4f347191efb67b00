// tidewright links: every URL of a page with its line, its bytes in the file, where it was
// found, its status and its target — read without loading the rest of the site's web.

#include <gtest/gtest.h>

#include "core/strings/PathText.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

class LinksCommandTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        page_ = WriteFile("site/index.html",
                          "<html><head><link rel=stylesheet href=\"css/a.css\">\n"
                          "<meta http-equiv=\"refresh\" content=\"9; url=b.html\"></head>\n"
                          "<body><a href=\"b.html#there\">b</a> <a href=\"b.html#nowhere\">x</a>\n"
                          "<a href=\"B.HTML\">case</a> <a href=\"gone.html\">gone</a>\n"
                          "<a href=\"old.html\">ignored</a> <a href=\".hidden.html\">hidden</a>\n"
                          "<img srcset=\"p.png 1x, q.png 2x\"> <a href=\"https://x.org/\">x</a>\n"
                          "<div style=\"background: url(p.png)\"></div>\n"
                          "<script>go('b.html')</script></body></html>\n");
        WriteFile("site/b.html", "<h1 id=\"there\">B</h1>");
        WriteFile("site/css/a.css", "body { background: url(../p.png) }");
        WriteFile("site/p.png", "P");
        WriteFile("site/q.png", "Q");
        WriteFile("site/.hidden.html", "");
        WriteFile("home/Config/site_links.txt", "=\n_Ignore\n=\n/old.html (1)\n");
    }
    Run Tw(std::vector<std::string> args) {
        args.insert(args.begin(), {TW_CLI, "links", "--site-dir", PathOf("site")});
        return RunProgram(args);
    }
    std::string page_;
};

TEST_F(LinksCommandTest, EveryUrlWithItsLineSpanSourceStatusAndTarget) {
    Run r = Tw({page_});
    EXPECT_EQ(r.status, 1);  // gone.html
    EXPECT_EQ(r.out,
              "index.html:1: good \"css/a.css\" -> /css/a.css\n"
              "index.html:2: good \"b.html\" -> /b.html\n"
              "index.html:3: good \"b.html#there\" -> /b.html\n"
              "index.html:3: fragment \"b.html#nowhere\" -> /b.html\n"
              "index.html:4: case \"B.HTML\" -> /b.html\n"
              "index.html:4: broken \"gone.html\" -> /gone.html\n"
              "index.html:5: ignored \"old.html\" -> /old.html\n"
              "index.html:5: untracked \".hidden.html\" -> /.hidden.html\n"
              "index.html:6: good \"p.png\" -> /p.png\n"
              "index.html:6: good \"q.png\" -> /q.png\n"
              "index.html:6: external \"https://x.org/\"\n"
              "index.html:7: good \"p.png\" -> /p.png\n"
              "index.html:8: good \"b.html\" -> /b.html\n");
    // JSON: the span's bytes are the whole URL as written, its fragment apart; where it was
    // found.
    Run json = Tw({page_, "--format", "json", "--status", "fragment,external"});
    const std::string text = ReadFile(page_);
    const std::size_t start = text.find("b.html#nowhere");
    EXPECT_EQ(json.out,
              "{\"pages\": [{\"page\": \"" + page_ +
                  "\", \"urls\": [{\"url\": \"b.html#nowhere\", \"line\": 3, \"start\": " +
                  std::to_string(start) + ", \"end\": " + std::to_string(start + 13) +
                  ", \"source\": \"href\", \"fragment\": \"nowhere\", \"status\": \"fragment\", "
                  "\"target\": \"/b.html\"}, "
                  "{\"url\": \"https://x.org/\", \"line\": 6, \"start\": " +
                  std::to_string(text.find("https://x.org/")) +
                  ", \"end\": " + std::to_string(text.find("https://x.org/") + 13) +
                  ", \"source\": \"href\", \"fragment\": null, \"status\": \"external\", "
                  "\"target\": null}]}]}\n");
    EXPECT_NE(
        Tw({page_, "--format", "json", "--status", "good"}).out.find("\"source\": \"srcset\""),
        std::string::npos);
}

TEST_F(LinksCommandTest, StylesheetsPagesAndRefusals) {
    Run css = Tw({"css/a.css", "b.html"});
    EXPECT_EQ(css.status, 0);
    EXPECT_EQ(css.out, "css/a.css:1: good \"../p.png\" -> /p.png\n");
    EXPECT_EQ(Tw({"p.png"}).status, 2);         // not a page
    EXPECT_EQ(Tw({"nothere.html"}).status, 2);  // not in the site
    EXPECT_EQ(Tw({page_, "--status", "bogus"}).status, 2);
    // Without a site: the page's folder, its home page found there.
    Run plain = RunProgram({TW_CLI, "links", PathOf("site/b.html")});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "");
}

}  // namespace
}  // namespace tw
