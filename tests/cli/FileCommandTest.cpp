// The command line's file commands on a real site: links kept valid, what was done printed,
// nothing done outside a site, and a dry run that changes nothing.

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

class FileCommandTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        WriteFile("site/index.html",
                  "<a href=\"docs/a.html#x\">A</a> <img src=\"img/p.png\">\n"
                  "<a href=gone.html>broken</a>\n");
        WriteFile("site/docs/a.html", "<a href=\"../index.html\">home</a>\n");
        WriteFile("site/img/p.png", "PNG");
        MakeFolder("site/new");
        WriteFile("elsewhere/x.html", "");
    }
    Run Tw(std::vector<std::string> args) {
        args.insert(args.begin(), TW_CLI);
        return RunProgram(args);
    }
    std::map<std::string, std::string> Snapshot() { return FilesBelow(PathOf("site")); }
};

TEST_F(FileCommandTest, MoveAndRenameRewriteTheLinksAndSaySo) {
    Run mv = Tw({"mv", "--site-dir", PathOf("site"), PathOf("site/docs"), PathOf("site/new")});
    EXPECT_EQ(mv.status, 0) << mv.out;
    EXPECT_EQ(mv.out,
              "moved docs -> new/docs\nrewrote index.html (1 link)\n"
              "rewrote new/docs/a.html (1 link)\n");
    EXPECT_NE(ReadFile(PathOf("site/index.html")).find("href=\"new/docs/a.html#x\""),
              std::string::npos);
    EXPECT_EQ(ReadFile(PathOf("site/new/docs/a.html")), "<a href=\"../../index.html\">home</a>\n");

    Run rename = Tw({"rename", "--site-dir", PathOf("site"), "--format", "json",
                     PathOf("site/img/p.png"), "photo.png"});
    EXPECT_EQ(rename.status, 0);
    EXPECT_EQ(rename.out, "{\"command\": \"rename\", \"done\": true, \"items\": [{\"from\": \"" +
                              PathOf("site/img/p.png") + "\", \"to\": \"" +
                              PathOf("site/img/photo.png") + "\"}], \"pages\": [{\"path\": \"" +
                              PathOf("site/index.html") +
                              "\", \"links\": 1}], \"problems\": [], \"broken\": []}\n");
    Run check = Tw({"check", PathOf("site")});
    EXPECT_EQ(check.status, 1);  // only gone.html, as before
    EXPECT_NE(check.out.find("     1 broken links"), std::string::npos) << check.out;
}

TEST_F(FileCommandTest, ADryRunShowsTheDiffAndChangesNothing) {
    auto before = Snapshot();
    Run dry = Tw(
        {"mv", "--dry-run", "--site-dir", PathOf("site"), PathOf("site/docs"), PathOf("site/new")});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_NE(dry.out.find("would move docs -> new/docs\n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("--- a/index.html\n+++ b/index.html\n@@ -1,1 +1,1 @@\n"
                           "-<a href=\"docs/a.html#x\">A</a>"),
              std::string::npos)
        << dry.out;
    EXPECT_NE(dry.out.find("--- a/docs/a.html\n+++ b/new/docs/a.html\n"), std::string::npos);
}

// Nothing is moved that would break links without a word: outside a known site, or out of it.
TEST_F(FileCommandTest, WithoutASiteOrOutsideItNothingIsDone) {
    auto before = Snapshot();
    struct Case {
        std::vector<std::string> args;
    } cases[] = {
        {{"mv", PathOf("site/docs"), PathOf("site/new")}},  // no site defined or given
        {{"mv", "--site-dir", PathOf("site"), PathOf("elsewhere/x.html"), PathOf("site/new")}},
        {{"mv", "--site-dir", PathOf("site"), PathOf("site/docs"), PathOf("elsewhere")}},
        {{"rename", "--site-dir", PathOf("site"), PathOf("site/docs"), PathOf("site/new/d")}},
        {{"mv", "--site-dir", PathOf("site"), PathOf("site/missing"), PathOf("site/new")}},
        {{"mv", "--site-dir", PathOf("site"), PathOf("site/docs")}},
    };
    for (const Case& c : cases) {
        Run r = Tw(c.args);
        EXPECT_EQ(r.status, 2) << c.args.back();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Snapshot(), before);
    // A defined site that holds the items is found without being named.
    WriteFile("home/Tidewright.ini", "[Site1]\nName=S\nDirectory=" + PathOf("site") +
                                         "\nHomePage=" + PathOf("site/index.html") + "\n");
    EXPECT_EQ(Tw({"mv", PathOf("site/docs"), PathOf("site/new")}).status, 0);
    EXPECT_NE(ReadFile(PathOf("site/index.html")).find("new/docs/a.html"), std::string::npos);
}

// Commands run from the command line can be undone and redone by later runs, site by site:
// the site named, or the one holding the current folder.
TEST_F(FileCommandTest, UndoRedoAndHistoryAcrossRuns) {
    auto before = Snapshot();
    const std::string site = PathOf("site");
    ASSERT_EQ(Tw({"mv", "--site-dir", site, PathOf("site/docs"), PathOf("site/new")}).status, 0);
    ASSERT_EQ(Tw({"rename", "--site-dir", site, PathOf("site/img"), "pics"}).status, 0);
    // Another site's command is another history.
    WriteFile("other/index.html", "<a href=x.html>x</a>\n");
    WriteFile("other/x.html", "");
    ASSERT_EQ(
        Tw({"rename", "--site-dir", PathOf("other"), PathOf("other/x.html"), "y.html"}).status, 0);
    auto after = Snapshot();
    const std::string history = Tw({"history", "--site-dir", site}).out;
    EXPECT_EQ(history.substr(0, history.find('\n')), "history of " + site);
    EXPECT_NE(history.find("\n  1  done    20"), std::string::npos) << history;  // the time
    EXPECT_NE(history.find("  move of \"docs\"\n  2  done    "), std::string::npos) << history;
    EXPECT_EQ(history.find("x.html"), std::string::npos) << history;
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).out, "undid rename of \"img\" in " + site + "\n");
    // Without a site named: the one holding the current folder; none there is refused.
    Run here = RunProgram({"sh", "-c", "cd '" + site + "/new' && '" + TW_CLI + "' undo"});
    EXPECT_EQ(here.out, "undid move of \"docs\" in " + site + "\n");
    EXPECT_EQ(Snapshot(), before);
    Run nowhere =
        RunProgram({"sh", "-c", "cd '" + PathOf("elsewhere") + "' && '" + TW_CLI + "' undo 2>&1"});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_NE(nowhere.out.find("is in no site"), std::string::npos) << nowhere.out;
    EXPECT_NE(nowhere.out.find(PathOf("other")), std::string::npos) << nowhere.out;
    EXPECT_EQ(ReadFile(PathOf("other/index.html")), "<a href=y.html>x</a>\n");
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).status, 2);  // nothing left
    EXPECT_EQ(Tw({"redo", "--site-dir", site}).status, 0);
    EXPECT_EQ(Tw({"redo", "--site-dir", site}).status, 0);
    EXPECT_EQ(Snapshot(), after);
    // A page changed since: the undo refuses and changes nothing.
    WriteFile("site/index.html", ReadFile(PathOf("site/index.html")) + "<!-- edited -->");
    auto edited = Snapshot();
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).status, 2);
    EXPECT_EQ(Snapshot(), edited);
}

// A delete is undone from the trash; one whose items were emptied from it refuses, and
// history --drop passes over it so that the older commands can still be undone.
TEST_F(FileCommandTest, DeletesAreUndoneAndCanBePassedOver) {
    const std::string site = PathOf("site");
    auto before = Snapshot();
    ASSERT_EQ(Tw({"mv", "--site-dir", site, PathOf("site/docs"), PathOf("site/new")}).status, 0);
    // The picture is linked to: not trashed without --force, and a dry run says what breaks.
    Run refused = Tw({"rm", "--site-dir", site, PathOf("site/img")});
    EXPECT_EQ(refused.status, 2);
    Run dry = Tw({"rm", "--dry-run", "--site-dir", site, PathOf("site/img")});
    EXPECT_EQ(dry.out, "would trash img\nindex.html:1: would break \"img/p.png\"\n");
    Run rm = Tw({"rm", "--force", "--site-dir", site, PathOf("site/img")});
    EXPECT_EQ(rm.status, 1);  // it broke a link, and says which
    EXPECT_EQ(rm.out, "trashed img\nindex.html:1: now broken \"img/p.png\"\n");
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).status, 0);
    EXPECT_EQ(ReadFile(PathOf("site/img/p.png")), "PNG");
    EXPECT_EQ(Tw({"redo", "--site-dir", site}).status, 1);  // breaking the link again
    EXPECT_FALSE(PathExists(PathOf("site/img")));

    ASSERT_TRUE(RemoveFolderTree(PathOf("data/Trash")));  // emptied
    Run gone = Tw({"undo", "--site-dir", site});
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(Tw({"history", "--site-dir", site, "--drop", "2"}).status, 0);
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).status, 0);  // the move, past the delete
    // All as before, but for the picture: it was emptied from the trash.
    before.erase(PathOf("site/img/p.png"));
    before.erase(PathOf("site/img/"));
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(FileCommandTest, TheOtherCommands) {
    const std::string site = PathOf("site");
    EXPECT_EQ(Tw({"mkdir", "--site-dir", site, PathOf("site/made/deep")}).out, "made made/deep\n");
    EXPECT_TRUE(IsFolder(PathOf("site/made/deep")));
    EXPECT_EQ(Tw({"cp", "--site-dir", site, PathOf("site/img/p.png"), PathOf("site/new")}).out,
              "copied img/p.png -> new/p.png\n");
    EXPECT_EQ(Tw({"dup", "--site-dir", site, PathOf("site/img/p.png")}).out,
              "duplicated img/p.png -> img/p Copy.png\n");
    EXPECT_EQ(Tw({"ln", "--site-dir", site, PathOf("site/docs"), PathOf("site/new")}).out,
              "linked new/docs\n");
    EXPECT_TRUE(IsSymbolicLink(PathOf("site/new/docs")));
    Run rm = Tw({"rm", "--site-dir", site, PathOf("site/img/p Copy.png")});
    EXPECT_EQ(rm.out, "trashed img/p Copy.png\n");
    EXPECT_FALSE(PathExists(PathOf("site/img/p Copy.png")));
    EXPECT_TRUE(PathExists(PathOf("data/Trash/files/p Copy.png")));
}

}  // namespace
}  // namespace tw
