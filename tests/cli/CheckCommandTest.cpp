#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/SiteGenerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/Shell.h"
#include "core/strings/CaseFold.h"
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
    // Runs a shell script with the program as $0 and `args` as $1, $2, ...: for what a plain
    // run cannot do (standard error, signals, another user, a full device).
    Run Sh(const std::string& script, std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"/bin/sh", "-c", script, TW_CLI});
        Run r;
        r.out = RunCapture(args, &r.status).value_or("<did not run>");
        return r;
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
              "$SITE/products/item.html:4: HTML syntax error, no starting \"<\" near "
              "\"<body><p>Length > 4 metres\"\n\n");
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
        // The home page must lie inside the site once the path is resolved.
        {{PathOf("textonly"), "--home", "../demo2/index.html"}},
        {{PathOf("textonly"), "--home", PathOf("demo2/index.html")}},
        // A folder to leave out that is not there would check the site in sections.
        {{PathOf("textonly"), "--exclude", "nothere"}},
    };
    WriteFile("demo2/index.html", "");
    for (const Case& c : cases) {
        Run r = Check(c.args);
        EXPECT_EQ(r.status, 2) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(r.out, "");
    }
    Run help = Check({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--total-orphans"), std::string::npos);
    Run helpCheck = Sh("exec \"$0\" help check");
    EXPECT_EQ(helpCheck.status, 0);
    EXPECT_EQ(helpCheck.out, help.out);
    // After "--" a folder may start with '-'.
    WriteFile("-odd/index.html", "<a href=gone.html>");
    Run odd = Sh("cd \"$1\" && exec \"$0\" check -- -odd", {Root()});
    EXPECT_EQ(odd.status, 1);
    EXPECT_NE(odd.out.find("broken link \"gone.html\""), std::string::npos) << odd.out;
}

// Pages and folders that cannot be read are findings: on standard error, in the report, in
// its summary, and in the exit status. A home page that cannot be read stops the check.
TEST_F(CheckCommandTest, UnreadableFilesMakeTheReportIncomplete) {
    std::string site = MakeFolder("site");
    WriteFile("site/index.html", "<a href=a.html><a href=sub/b.html>");
    WriteFile("site/a.html", "<a href=gone.html>");
    WriteFile("site/sub/b.html", "");
    ASSERT_EQ(::chmod(Root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(PathOf("site/a.html").c_str(), 0), 0);
    ASSERT_EQ(::chmod(PathOf("site/sub").c_str(), 0), 0);
    // Permissions do not bind root: run as nobody then.
    const std::string as =
        ::getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    Run r = Sh(as + "\"$0\" check \"$1\" 2>\"$2\"", {site, PathOf("stderr")});
    Run json = Sh(as + "\"$0\" check \"$1\" --format json 2>/dev/null", {site});
    ::chmod(PathOf("site/sub").c_str(), 0755);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find(site + "/a.html: error: File open failed\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(site + "/sub: error: Folder could not be read\n"), std::string::npos);
    EXPECT_NE(r.out.find("     2 files or folders could not be read"), std::string::npos) << r.out;
    EXPECT_NE(ReadFile(PathOf("stderr")).find(site + "/a.html"), std::string::npos);
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"fileErrors\": 2}"), std::string::npos) << json.out;

    ASSERT_EQ(::chmod(PathOf("site/index.html").c_str(), 0), 0);
    Run home = Sh(as + "\"$0\" check \"$1\" 2>&1", {site});
    EXPECT_EQ(home.status, 2);
    EXPECT_NE(home.out.find("index.html cannot be read"), std::string::npos) << home.out;
}

// Whatever the bytes of names and URLs, JSON stays UTF-8 and text keeps one finding a line;
// a report that cannot be written is a failure, not a success.
TEST_F(CheckCommandTest, OutputIsExactAndReachesItsReader) {
    std::string site = MakeFolder("site");
    WriteFile("site/index.html",
              "<a href=\"x%00y.html\"><a href=\"caf\xE9.html\">"
              "<a href=\"\xED\xA0\x80.html\"><a href=\"\xC0\xAF.html\">");
    WriteFile("site/\xFFodd.html", "<a href=gone.html>");  // an orphan with a Latin-1 name
    Run text = Check({site});
    EXPECT_NE(text.out.find("broken link \"x%00y.html\"\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(site + "/\xFFodd.html: orphan\n"), std::string::npos);
    Run json = Check({site, "--format", "json"});
    EXPECT_EQ(json.status, 1);
    for (std::size_t i = 0; i < json.out.size();) {
        char32_t cp = 0;
        std::size_t n =
            static_cast<unsigned char>(json.out[i]) < 0x80 ? 1 : DecodeUtf8(json.out, i, cp);
        ASSERT_NE(n, 0u) << "not UTF-8 at byte " << i << ": " << json.out;
        i += n;
    }
    EXPECT_NE(json.out.find("\"url\": \"x\\u0000y.html\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("/\xEF\xBF\xBDodd.html\""), std::string::npos);

    Run fullStatus = Sh("\"$0\" check \"$1\" >/dev/full 2>/dev/null", {site});
    EXPECT_EQ(fullStatus.status, 2);
}

// With no place to keep settings, a check gives the same report, and says why once.
TEST_F(CheckCommandTest, SettingsThatCannotBeSavedChangeNothing) {
    std::string site = DemoSite();
    Run normal = Check({site});
    std::string file = WriteFile("not-a-folder", "x");
    Run r =
        Sh("TIDEWRIGHT_HOME=\"$2\" \"$0\" check \"$1\" 2>\"$3\"", {site, file, PathOf("stderr")});
    EXPECT_EQ(r.status, normal.status);
    EXPECT_EQ(r.out, normal.out);
    std::string err = ReadFile(PathOf("stderr"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("settings cannot be saved"), std::string::npos) << err;
}

// Ctrl+C while the report is being written (here: while its reader waits) is a cancel too.
TEST_F(CheckCommandTest, InterruptWhileWritingTheReportExitsWith130) {
    bench::SiteParams params;
    params.pages = 400;
    params.brokenPercent = 30;  // a report far larger than a pipe holds
    std::string site = PathOf("generated");
    ASSERT_EQ(bench::GenerateSite(params, site), 400);
    Run r =
        Sh("mkfifo \"$2\" && { \"$0\" check \"$1\" --format json >\"$2\" 2>/dev/null & pid=$!; "
           "exec 3<\"$2\"; head -c 16 <&3 >/dev/null; kill -INT $pid; cat <&3 >/dev/null; "
           "wait $pid; echo $?; }",
           {site, PathOf("fifo")});
    EXPECT_EQ(r.out, "130\n");
}

TEST_F(CheckCommandTest, DefinedSitesAreCheckedByName) {
    std::string site = DemoSite();
    // A site whose folder is gone (a drive not mounted today) must not hide the ones after it.
    WriteFile("home/Tidewright.ini",
              "[Site1]\nName=Gone\nDirectory=/nonexistent/x/\nHomePage=/nonexistent/x/i.htm\n"
              "[Site2]\nName=Club\nDirectory=" +
                  site + "\nHomePage=" + site +
                  "/index.html\nServer=www.example.org\nServerDefaults=index.htm\n");
    EXPECT_EQ(Check({"--site", "gone"}).status, 2);
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

namespace tw {
namespace {

// Pages read on several cores give the report of one core, byte for byte: syntax errors, file
// errors and problems in the same order, for the walk from the home page, the orphans, and a
// site checked in sections.
TEST_F(CheckCommandTest, ReadingOnSeveralCoresChangesNoByte) {
    bench::SiteParams params;
    params.pages = 300;
    params.images = 10;
    params.brokenPercent = 10;
    params.seed = 7;
    std::string site = PathOf("generated");
    ASSERT_EQ(bench::GenerateSite(params, site), 300);
    for (int i = 0; i < 5; ++i)  // pages with syntax errors, some of them orphans
        WriteFile("generated/bad" + std::to_string(i) + ".html",
                  "<p><b>bold\n<a href=\"index.html\" title=\"x>home</a>\n<img src=\"gone.gif\"");
    WriteFile("generated/index.html", ReadFile(site + "/index.html") +
                                          "<a href=\"bad0.html\">b</a><a href=\"bad1.html\">b</a>");
    ASSERT_EQ(::mkfifo(PathOf("generated/fifo.html").c_str(), 0644), 0);  // no page: a file
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, {"--format", "json"}, {"--exclude", site + "/d1"}}) {
        std::vector<std::string> args{site};
        args.insert(args.end(), extra.begin(), extra.end());
        auto with = [&](const char* jobs) {
            std::vector<std::string> a = args;
            a.insert(a.end(), {"--jobs", jobs});
            return Check(a);
        };
        const Run one = with("1");
        EXPECT_NE(one.out.find("syntax"), std::string::npos);
        for (const char* jobs : {"2", "4"}) {
            const Run many = with(jobs);
            EXPECT_EQ(many.status, one.status);
            EXPECT_EQ(many.out, one.out)
                << "--jobs " << jobs << (extra.empty() ? "" : " " + extra[0]);
        }
    }
}

}  // namespace
}  // namespace tw
