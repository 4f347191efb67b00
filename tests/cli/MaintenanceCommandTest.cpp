// The command line's maintenance commands on a real site: orphans listed and moved away (and
// back with undo), a broken link fixed everywhere and undone, the ignore list kept in the
// links file, the report and the overview written.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/Shell.h"
#include "core/strings/PathText.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

class MaintenanceCommandTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        WriteFile("site/index.html",
                  "<a href=\"docs/a.html\">A</a> <a href=\"Calendar.html#june\">cal</a>\n");
        WriteFile("site/docs/a.html", "<a href=\"../calendar.html\">cal</a>\n");
        WriteFile("site/events/calendar.html", "events");
        WriteFile("site/old/forgotten.html", "<a href=\"../index.html\">home</a>");
        site_ = PathOf("site");
    }
    // A command on the site, and one as given.
    Run Tw(std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--site-dir", site_});
        return Plain(args);
    }
    Run Plain(std::vector<std::string> args) {
        args.insert(args.begin(), TW_CLI);
        return RunProgram(args);
    }
    std::map<std::string, std::string> Snapshot() { return FilesBelow(site_); }
    std::string site_;
};

TEST_F(MaintenanceCommandTest, OrphansAreListedMovedAwayAndBroughtBack) {
    Run list = Tw({"orphans"});
    EXPECT_EQ(list.status, 0);
    // No page reaches either folder's page; but pages name calendar.html (in links that are
    // broken now): that one is kept, for its links may be meant to lead to it.
    EXPECT_EQ(list.out, "orphan   old\nkept     events (referenced: a page that stays names it)\n");
    const auto before = Snapshot();
    Run dry = Tw({"orphans", "--move-to", PathOf("attic"), "--dry-run"});
    EXPECT_EQ(dry.out, "would move old\nwould keep events (referenced)\n");
    EXPECT_EQ(Snapshot(), before);
    Run move = Tw({"orphans", "--move-to", PathOf("attic")});
    EXPECT_EQ(move.status, 0) << move.out;
    EXPECT_EQ(move.out, "moved old -> " + PathOf("attic/site/old") + "\n");
    EXPECT_TRUE(PathExists(PathOf("attic/site/old/forgotten.html")));
    EXPECT_EQ(Plain({"orphans", "--site-dir", site_}).out,
              "kept     events (referenced: a page that stays names it)\n");
    Run undo = Plain({"undo", "--site-dir", site_});
    EXPECT_EQ(undo.out, "undid remove orphans in " + site_ + "\n");
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(PathExists(PathOf("attic")));
}

TEST_F(MaintenanceCommandTest, FixSuggestsRepairsAndUndoes) {
    Run suggest = Tw({"fix", "/calendar.html", "--suggest"});
    EXPECT_EQ(suggest.out, "/events/calendar.html\n");
    const auto before = Snapshot();
    Run fix = Tw({"fix", "/calendar.html", "events/calendar.html"});
    EXPECT_EQ(fix.status, 0) << fix.out;
    EXPECT_EQ(fix.out, "rewrote docs/a.html (1 link)\nrewrote index.html (1 link)\n");
    // Each URL keeps its form: relative from its page, the fragment kept.
    EXPECT_EQ(ReadFile(PathOf("site/index.html")),
              "<a href=\"docs/a.html\">A</a> <a href=\"events/calendar.html#june\">cal</a>\n");
    EXPECT_EQ(ReadFile(PathOf("site/docs/a.html")),
              "<a href=\"../events/calendar.html\">cal</a>\n");
    EXPECT_EQ(Plain({"check", site_}).status, 0);
    const std::string history = Plain({"history", "--site-dir", site_}).out;
    EXPECT_TRUE(history.ends_with("  fix links for \"/calendar.html\"\n")) << history;
    EXPECT_EQ(Plain({"undo", "--site-dir", site_}).status, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Plain({"redo", "--site-dir", site_}).status, 0);
    EXPECT_EQ(Plain({"check", site_}).status, 0);
    // A target that is not there would leave the link broken: refused.
    Run nowhere = Tw({"fix", "/calendar.html", "/nowhere.html"});
    EXPECT_EQ(nowhere.status, 2);
}

TEST_F(MaintenanceCommandTest, IgnoreListLivesInTheLinksFile) {
    Run add = Tw({"ignore", "/calendar.html"});
    EXPECT_EQ(add.status, 0) << add.out;
    EXPECT_EQ(Tw({"ignore", "--list"}).out, "/Calendar.html (2 instances)\n");  // as first seen
    // Ignored links are not broken for the check any more.
    EXPECT_EQ(Plain({"check", site_}).status, 0);
    EXPECT_EQ(Tw({"ignore", "/not-broken.html"}).status, 2);
    EXPECT_EQ(Tw({"ignore", "--remove", "/calendar.html"}).status, 0);
    EXPECT_EQ(Tw({"ignore", "--list"}).out, "");
    EXPECT_EQ(Plain({"check", site_}).status, 1);
}

TEST_F(MaintenanceCommandTest, ReportAndOverview) {
    Run report = Tw({"report", "-o", PathOf("out/report")});
    EXPECT_EQ(report.status, 0) << report.out;
    EXPECT_EQ(report.out, PathOf("out/report.html") + "\n");
    const std::string html = ReadFile(PathOf("out/report.html"));
    EXPECT_NE(html.find("<li><a href=#brokenlinks>2 broken links</a></li>"), std::string::npos);
    EXPECT_EQ(Tw({"report", "-o", PathOf("out/report.html")}).status, 0);  // replaces it
    Run overview = Tw({"overview"});
    EXPECT_EQ(overview.status, 0);
    EXPECT_NE(overview.out.find("Overview of the \"site\" web site:"), std::string::npos);
    EXPECT_NE(overview.out.find("     2 broken links         2 orphan files"), std::string::npos)
        << overview.out;
}

}  // namespace
}  // namespace tw
