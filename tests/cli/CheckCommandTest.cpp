#include <gtest/gtest.h>

#include "bench/SiteGenerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/Shell.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class CheckCommandTest : public TestHome {
  protected:
    struct Run {
        int status = -1;
        std::string out;
    };
    Run Check(std::vector<std::string> args) {
        args.insert(args.begin(), {TW_CLI, "check"});
        Run r;
        r.out = RunCapture(args, &r.status).value_or("<did not run>");
        return r;
    }
    static std::string Replace(std::string text, const std::string& from, const std::string& to) {
        for (std::size_t i = 0; (i = text.find(from, i)) != std::string::npos; i += to.size())
            text.replace(i, from.size(), to);
        return text;
    }
    // The demo site copied into the test's folder, so the test cannot change the original.
    std::string DemoSite() {
        std::string site = MakeFolder("demo-site");
        EXPECT_TRUE(CopyFolderTree(std::string(TW_SOURCE) + "/examples/demo-site", site, true));
        return site;
    }
};

TEST_F(CheckCommandTest, JsonOfTheDemoSiteIsTheContract) {
    std::string site = DemoSite();
    Run r = Check({site, "--format", "json"});
    EXPECT_EQ(r.status, 1);
    std::string golden = ReadFile(std::string(TW_FIXTURES) + "/demo-site.json");
    EXPECT_EQ(Replace(r.out, site, "$SITE"), golden);
}

TEST_F(CheckCommandTest, TextListsEachProblemThenTheOverview) {
    std::string site = DemoSite();
    Run r = Check({site});
    EXPECT_EQ(r.status, 1);
    std::string out = Replace(r.out, site, "$SITE");
    EXPECT_EQ(out.substr(0, out.find("OVERVIEW:")),
              "$SITE/index.html:21: broken link \"calendar.html\"\n"
              "$SITE/news.html:6: case mismatch \"Images/Photo.jpg\" (file is \"photo.jpg\")\n"
              "$SITE/about/index.htm:5: broken fragment \"../products/list.html#prices\"\n"
              "$SITE/old/forgotten.html: orphan\n"
              "$SITE/products/item.html:4: HTML syntax error, no starting \"<\" near\n\n");
    EXPECT_NE(out.find("     1 broken links         1 orphan files\n"), std::string::npos) << out;
}

TEST_F(CheckCommandTest, OptionsChangeWhatIsReported) {
    std::string site = DemoSite();
    Run noSyntax = Check({site, "--no-syntax", "--format=json"});
    EXPECT_NE(noSyntax.out.find("\"syntaxErrors\": []"), std::string::npos);
    Run sections = Check({site, "--exclude", "old", "--format", "json"});
    EXPECT_NE(sections.out.find("\"orphans\": []"), std::string::npos) << sections.out;
    Run home = Check({site, "--home", "old/forgotten.html", "--format", "json"});
    EXPECT_NE(home.out.find("\"orphans\": 0"), std::string::npos) << home.out;
    WriteFile("demo-site/calendar.html", "<html>");
    Run fixed = Check({site});
    EXPECT_EQ(fixed.status, 0);
    // Two pages that link to each other but not from the home page: orphans only when
    // counted from the home page.
    WriteFile("demo-site/island1.htm", "<a href=island2.htm>");
    WriteFile("demo-site/island2.htm", "<a href=island1.htm>");
    Run reach = Check({site, "--format", "json"});
    EXPECT_NE(reach.out.find("\"orphans\": 3"), std::string::npos) << reach.out;
    Run total = Check({site, "--total-orphans", "--format", "json"});
    EXPECT_NE(total.out.find("\"orphans\": [\n    \"" + site + "/old/forgotten.html\"\n  ]"),
              std::string::npos)
        << total.out;
}

TEST_F(CheckCommandTest, BadUsageAndUnloadableSitesExitWithTwo) {
    std::string empty = MakeFolder("empty");
    WriteFile("textonly/index.html", "");
    WriteFile("textonly/notes.txt", "just text");
    struct Case {
        std::vector<std::string> args;
    } cases[] = {
        {{}},
        {{PathOf("missing")}},
        {{empty}},
        {{PathOf("textonly"), "--home", "notes.txt"}},
        {{empty, "--format", "xml"}},
        {{empty, "--bogus"}},
        {{"--site", "nothing-defined"}},
        {{empty, PathOf("textonly")}},
    };
    for (const Case& c : cases) {
        Run r = Check(c.args);
        EXPECT_EQ(r.status, 2) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(r.out, "");
    }
    Run help = Check({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--total-orphans"), std::string::npos);
}

TEST_F(CheckCommandTest, DefinedSitesAreCheckedByName) {
    std::string site = DemoSite();
    WriteFile("home/Tidewright.ini",
              "[Site1]\nName=Club\nDirectory=" + site + "\nHomePage=" + site +
                  "/index.html\nServer=www.example.org\nServerDefaults=index.htm\n");
    Run r = Check({"--site", "club", "--format", "json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"name\": \"Club\""), std::string::npos);
    EXPECT_NE(r.out.find("\"server\": \"www.example.org\""), std::string::npos);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

// A generated site's whole report, kept as a file: speed work must not change a byte of it.
TEST_F(CheckCommandTest, GeneratedSiteReportIsUnchanged) {
    bench::SiteParams params;
    params.pages = 150;
    params.images = 10;
    params.otherFiles = 5;
    params.brokenPercent = 5;
    params.seed = 42;
    std::string site = PathOf("generated");
    ASSERT_EQ(bench::GenerateSite(params, site), 150);
    Run r = Check({site, "--format", "json"});
    EXPECT_EQ(r.status, 1);
    std::string golden = ReadFile(std::string(TW_FIXTURES) + "/synthetic-150.json");
    EXPECT_EQ(Replace(r.out, site, "$SITE"), golden);
}

}  // namespace
}  // namespace tw
