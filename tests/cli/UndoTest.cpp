// Undo as the user's safety net: an afternoon's mixed commands on a small site are undone, one
// by one, back to the very bytes the site started with, and redone to the very bytes it ended
// with; case-only renames keep links for a server that tells case apart; a command says
// which links it breaks.

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "core/platform/FileUtils.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

class UndoTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        WriteFile("site/index.html",
                  "<link rel=stylesheet href=style.css>\n"
                  "<a href=\"docs/a.html#x\">a</a> <a href=docs/b.html>b</a>\n"
                  "<img src=img/p.png> <a href=about/>about</a> <a href=gone.html>?</a>\n");
        WriteFile("site/docs/a.html",
                  "<link rel=stylesheet href=../style.css><a href=../index.html>home</a>\n"
                  "<a href=b.html>b</a> <img src=\"../img/p.png\">\n");
        WriteFile("site/docs/b.html",
                  "<link rel=stylesheet href=\"../style.css\"><a href=\"a.html#x\">a</a>\n");
        WriteFile("site/about/index.html",
                  "<a href=\"../index.html\">home</a> <a href=\"../docs/a.html\">a</a>\n");
        WriteFile("site/old/forgotten.html", "<link rel=stylesheet href=../style.css>\n");
        WriteFile("site/found.html", "<a href=index.html>home</a>\n");
        WriteFile("site/img/p.png", "PNG");
        WriteFile("site/img/q.png", "Q");
        WriteFile("site/style.css", "body { color: black }\n");
        MakeFolder("attic");
    }
    Run Tw(std::vector<std::string> args) {
        args.insert(args.begin(), TW_CLI);
        return RunProgram(args);
    }
    // The site and the folder orphans are moved to: every file's bytes.
    std::map<std::string, std::string> Snapshot() {
        auto files = FilesBelow(PathOf("site"));
        files.merge(FilesBelow(PathOf("attic")));
        return files;
    }
    std::string S(const std::string& path) { return PathOf("site/" + path); }
};

TEST_F(UndoTest, ThirtyMixedCommandsAreUndoneAndRedoneByteForByte) {
    const std::string site = PathOf("site");
    const std::vector<std::vector<std::string>> commands = {
        {"mkdir", S("lib")},
        {"mv", S("style.css"), S("lib")},
        {"rename", S("docs/a.html"), "intro.html"},
        {"cp", S("docs/b.html"), S("about")},
        {"dup", S("img/p.png")},
        {"ln", S("docs/intro.html"), S("about")},
        {"rm", S("img/q.png")},
        {"rename", S("img"), "pictures"},
        {"mv", S("about/b.html"), S("lib")},
        {"mkdir", S("lib/deep/er")},
        {"mv", S("docs/b.html"), S("lib/deep/er")},
        {"rename", S("lib/deep/er/b.html"), "second.html"},
        {"fix", "/gone.html", "found.html"},
        {"orphans", "--move-to", PathOf("attic")},
        {"rename", S("pictures"), "Pictures"},  // capitals only
        {"mkdir", S("x")},
        {"mv", S("docs"), S("x")},
        {"rename", S("x/docs"), "documents"},
        {"cp", S("x/documents/intro.html"), site},
        {"dup", S("intro.html")},
        {"rm", S("intro Copy.html")},
        {"rename", S("lib"), "library"},
        {"mv", S("library/style.css"), site},
        {"mkdir", S("y")},
        {"ln", S("found.html"), S("y")},
        {"rm", "--force", S("y")},
        {"rename", S("Pictures/p.png"), "photo.png"},
        {"mv", S("x/documents"), site},
        {"rename", S("about/index.html"), "club.html"},  // the folder's default page: breaks
        {"rm", "--force", S("library/deep/er/second.html")},
    };
    const auto start = Snapshot();
    for (const auto& command : commands) {
        std::vector<std::string> args = command;
        args.insert(args.begin() + 1, {"--site-dir", site});
        Run run = Tw(args);
        // 1: done, saying which links it broke (the last two break links on purpose).
        ASSERT_LE(run.status, 1) << args[0] << " " << args.back() << "\n" << run.out;
        ASSERT_TRUE(run.status == 0 || run.out.find("now broken") != std::string::npos) << run.out;
    }
    const auto end = Snapshot();
    ASSERT_NE(end, start);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        Run undo = Tw({"undo", "--site-dir", site});
        ASSERT_EQ(undo.status, 0) << "undo " << i + 1 << ": " << undo.out;
    }
    EXPECT_EQ(Snapshot(), start);
    EXPECT_EQ(Tw({"undo", "--site-dir", site}).status, 2);  // nothing left
    for (std::size_t i = 0; i < commands.size(); ++i) {
        Run redo = Tw({"redo", "--site-dir", site});
        ASSERT_LE(redo.status, 1) << "redo " << i + 1 << ": " << redo.out;
    }
    EXPECT_EQ(Snapshot(), end);
}

// On a server that tells case apart "Images/" and "images/" are two folders: a case-only
// rename rewrites every link spelt the old way; with Case.html and case.html side by side,
// each link keeps the file it names.
TEST_F(UndoTest, CaseIsARealDifference) {
    const std::string site = PathOf("site");
    WriteFile("site/Case.html", "upper");
    WriteFile("site/case.html", "lower");
    WriteFile("site/both.html", "<a href=Case.html>C</a> <a href=case.html>c</a>\n");
    Run rename = Tw({"rename", "--site-dir", site, S("img"), "Img"});
    EXPECT_EQ(rename.status, 0) << rename.out;
    EXPECT_NE(ReadFile(S("index.html")).find("<img src=Img/p.png>"), std::string::npos);
    EXPECT_NE(ReadFile(S("docs/a.html")).find("<img src=\"../Img/p.png\">"), std::string::npos);
    EXPECT_EQ(Tw({"check", "--strict-case", site}).status, 1);  // gone.html alone

    ASSERT_EQ(Tw({"rename", "--site-dir", site, S("Case.html"), "Upper.html"}).status, 0);
    EXPECT_EQ(ReadFile(S("both.html")), "<a href=Upper.html>C</a> <a href=case.html>c</a>\n");
    ASSERT_EQ(Tw({"undo", "--site-dir", site}).status, 0);
    ASSERT_EQ(Tw({"rename", "--site-dir", site, S("case.html"), "lower.html"}).status, 0);
    EXPECT_EQ(ReadFile(S("both.html")), "<a href=Case.html>C</a> <a href=lower.html>c</a>\n");
}

// A link written after a rename, to the new name, leads to the item again once the rename is
// undone: the undo points it back.
TEST_F(UndoTest, AnUndoPointsBackLinksWrittenSince) {
    const std::string site = PathOf("site");
    ASSERT_EQ(Tw({"rename", "--site-dir", site, S("docs"), "manual"}).status, 0);
    WriteFile("site/later.html", "<a href=\"manual/b.html\">written since</a>\n");
    // A symbolic link to a page the undo gives back is that page: no page to point back, and
    // nothing to complain of (standard error is read too).
    ASSERT_EQ(::symlink("index.html", S("alias.html").c_str()), 0);
    Run undo = RunProgram(
        {"sh", "-c", "'" + std::string(TW_CLI) + "' undo --site-dir '" + site + "' 2>&1"});
    EXPECT_EQ(undo.status, 0);
    EXPECT_EQ(undo.out,
              "undid rename of \"docs\" in " + site + "\npointed back later.html (1 link)\n");
    EXPECT_EQ(ReadFile(S("later.html")), "<a href=\"docs/b.html\">written since</a>\n");
    EXPECT_EQ(Tw({"check", site}).out.find("later.html:1: broken"), std::string::npos);
}

// Links a command breaks are listed, and the command exits 1: a folder's default page
// renamed, a page copied where its relative links do not hold.
TEST_F(UndoTest, ACommandSaysWhichLinksItBreaks) {
    const std::string site = PathOf("site");
    Run rename = Tw({"rename", "--site-dir", site, S("about/index.html"), "club.html"});
    EXPECT_EQ(rename.status, 1);
    EXPECT_NE(rename.out.find("index.html:3: now broken \"about/\""), std::string::npos)
        << rename.out;
    MakeFolder("site/deep/er");
    Run copy = Tw({"cp", "--site-dir", site, S("found.html"), S("deep/er")});
    EXPECT_EQ(copy.status, 1);
    EXPECT_NE(copy.out.find("deep/er/found.html:1: now broken \"index.html\""), std::string::npos)
        << copy.out;
    // A command that keeps every link says nothing of the kind.
    Run mv = Tw({"mv", "--site-dir", site, S("docs"), S("deep")});
    EXPECT_EQ(mv.status, 0) << mv.out;
    EXPECT_EQ(mv.out.find("now broken"), std::string::npos) << mv.out;
}

}  // namespace
}  // namespace tw
