// Orphans reviewed and removed, broken links fixed, the links tree and its file: each change
// undone gives back every byte, and the link web stays true to the disk.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/commands/History.h"
#include "engine/commands/SiteCommands.h"
#include "engine/maintenance/FixLinks.h"
#include "engine/maintenance/LinksTree.h"
#include "engine/maintenance/Orphans.h"
#include "engine/maintenance/TargetSearch.h"
#include "engine/model/SiteRegistry.h"
#include "tests/support/ScriptedServices.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using Files = std::map<std::string, std::string>;

class MaintenanceTest : public test::SiteTest {
  protected:
    void SetUp() override {
        SiteTest::SetUp();
        MakeSite({{"index.html",
                   "<a href=\"a.html\">a</a> <a href=\"gone.html#x\">gone</a>\n"
                   "<img src=\"/img/Missing.gif\"> <a href=\"http://www.example.org/gone.html\">"
                   "abs</a>\n"},
                  {"a.html", "<a href=\"../gone.html\">up</a><a href=\"GONE.html?q\">case</a>"},
                  {"about.html", "<p>Our logo.gif was drawn by hand.</p>"},
                  {"sub/b.html", "<a href=\"../gone.html\">b</a>"},
                  {"new.html", "<p>the page gone.html should have been</p>"},
                  {"img/logo.gif", "GIF"},
                  {"img/Missing.gif", ""},
                  {"attic/old.html", "<a href=\"older.html\">older</a><img src=\"pic.png\">"},
                  {"attic/older.html", "<a href=\"old.html\">back</a>"},
                  {"attic/pic.png", "PNG"},
                  {"lone.png", "PNG"},
                  {"script.png", "PNG"},
                  {"empty/", ""}},
                 "index.html", "www.example.org", "index.html");
        ::remove(SitePath("img/Missing.gif").c_str());
        WriteFile("site/index.html",
                  ReadFile(SitePath("index.html")) +
                      "<script>var n = 'script'; show(n + '.png'); img('lone.png')</script>\n");
        site = ESiteRegistry::Instance().AdoptSite(std::move(site_));
        ASSERT_TRUE(LoadSite(*site));
    }
    void TearDown() override {
        ESiteRegistry::Instance().Clear();
        SiteTest::TearDown();
    }
    std::string S(const std::string& relative) { return SitePath(relative); }
    Files Snapshot(const std::string& folder) { return FilesBelow(folder); }
    void ExpectConsistentSite(const char* when = "") {
        std::string why;
        EXPECT_TRUE(site->IsConsistent(&why)) << when << ": " << why;
    }

    EAppSite* site = nullptr;
    ECommandHistory history_;
};

TEST_F(MaintenanceTest, OrphanReviewKeepsWhatAPageStillNames) {
    // A file named in a page's text is kept (a script may build its URL); one named only by
    // pieces ("script" + ".png") cannot be told and goes.
    SettingsStore::Instance().SaveStringList("IgnoreOrphanFile", {S("empty")});
    OrphanReview review = ReviewOrphans(*site);
    // A folder goes whole (sub, attic); lone.png is linked by a script string and no orphan.
    EXPECT_EQ(review.remove, (std::vector<std::string>{S("about.html"), S("attic"), S("img"),
                                                       S("new.html"), S("script.png"), S("sub")}));
    EXPECT_EQ(review.ignored, (std::vector<std::string>{S("empty")}));
    EXPECT_EQ(review.referenced, std::vector<std::string>{});
    // While about.html stays (the user keeps it), the file it names stays with it, and so
    // does the folder that holds that file.
    SettingsStore::Instance().SaveStringList("IgnoreOrphanFile", {S("empty"), S("about.html")});
    review = ReviewOrphans(*site);
    EXPECT_EQ(review.remove,
              (std::vector<std::string>{S("attic"), S("new.html"), S("script.png"), S("sub")}));
    EXPECT_EQ(review.referenced, std::vector<std::string>{S("img")});
}

TEST_F(MaintenanceTest, MovingOrphansOutKeepsTheirFoldersAndUndoGivesThemBack) {
    const Files before = Snapshot(std::string(StripTrailingSep(S(""))));
    MakeFolder("archive");
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<EMoveOrphansCommand>(
        std::vector<std::string>{S("attic"), S("new.html")}, std::string(StripTrailingSep(S(""))),
        PathOf("archive"))))
        << Errors();
    EXPECT_EQ(ReadFile(PathOf("archive/site/attic/old.html")),
              "<a href=\"older.html\">older</a><img src=\"pic.png\">");
    EXPECT_TRUE(PathExists(PathOf("archive/site/new.html")));
    EXPECT_FALSE(site->FindNode(S("attic/old.html")));
    ExpectConsistentSite("after the move");
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(std::string(StripTrailingSep(S("")))), before);
    EXPECT_FALSE(PathExists(PathOf("archive/site")));
    EXPECT_TRUE(site->FindNode(S("attic/old.html")));
    ExpectConsistentSite();
}

TEST_F(MaintenanceTest, MovingOrphansWithinTheSiteRewritesTheLinksAmongThem) {
    // A page of the attic that refers back into the site keeps reaching it from its new place.
    WriteFile("site/attic/old.html", "<a href=\"older.html\">older</a><a href=\"../a.html\">a</a>");
    ASSERT_TRUE(LoadSite(*site));
    const Files before = Snapshot(std::string(StripTrailingSep(S(""))));
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<EMoveOrphansCommand>(
        std::vector<std::string>{S("attic/old.html"), S("attic/older.html")},
        std::string(StripTrailingSep(S(""))), S("sub"))))
        << Errors();
    EXPECT_EQ(ReadFile(S("sub/site/attic/old.html")),
              "<a href=\"older.html\">older</a><a href=\"../../../a.html\">a</a>");
    ExpectConsistentSite();
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(std::string(StripTrailingSep(S("")))), before);
    EXPECT_FALSE(site->FindNode(S("sub/site")));
    ExpectConsistentSite();
}

TEST_F(MaintenanceTest, TrashingOrphansRemovesThemAndTheirNodes) {
    // The dialog's OK: the unticked orphan becomes the whole ignore list.
    SettingsStore::Instance().SaveStringList("IgnoreOrphanFile", {S("gone-long-ago.html")});
    auto command = OrphanRemoval(*site, {S("new.html")}, {S("script.png")}, true, "");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->GetClassName(), "ETrashOrphansCommand");
    EXPECT_EQ(SettingsStore::Instance().LoadStringList("IgnoreOrphanFile"),
              std::vector<std::string>{S("script.png")});
    EXPECT_TRUE(SettingsStore::Instance().ReadBool("SendOrphansToRecycleBin"));
    EXPECT_FALSE(OrphanRemoval(*site, {}, {}, false, PathOf("attic")));
    ASSERT_TRUE(history_.ExecuteCommand(std::move(command))) << Errors();
    EXPECT_FALSE(PathExists(S("new.html")));
    EXPECT_FALSE(site->FindNode(S("new.html")));
    ExpectConsistentSite();
    // Undo brings it back from the trash, with its node; redo trashes it again.
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_TRUE(PathExists(S("new.html")));
    EXPECT_TRUE(site->FindNode(S("new.html")));
    ExpectConsistentSite();
    ASSERT_TRUE(history_.Redo()) << Errors();
    EXPECT_FALSE(PathExists(S("new.html")));
    ExpectConsistentSite();
}

TEST_F(MaintenanceTest, FixingALinkEverywhereKeepsEachFormAndUndoes) {
    const Files before = Snapshot(std::string(StripTrailingSep(S(""))));
    auto fix =
        std::make_unique<ESiteFixLinksCommand>(site, nullptr, "/gone.html", "/new.html", true);
    ESiteFixLinksCommand* command = fix.get();
    ASSERT_TRUE(history_.ExecuteCommand(std::move(fix))) << Errors();
    // Relative from the page's folder, root-relative as entered, absolute with the server;
    // the upper-case spelling is the same link; fragments and queries stay.
    const std::string start =
        "<a href=\"a.html\">a</a> <a href=\"new.html#x\">gone</a>\n"
        "<img src=\"/img/Missing.gif\"> <a href=\"http://www.example.org/new.html\">abs</a>\n";
    EXPECT_EQ(ReadFile(S("index.html")).substr(0, start.size()), start);
    EXPECT_EQ(ReadFile(S("a.html")),
              "<a href=\"../gone.html\">up</a><a href=\"new.html?q\">case</a>");
    EXPECT_EQ(ReadFile(S("sub/b.html")), "<a href=\"../new.html\">b</a>");
    EXPECT_EQ(command->Changes().size(), 3u);
    EXPECT_EQ(site->brokenLinks.count("/gone.html"), 0u);
    EXPECT_FALSE(site->orphans.count(site->FindNode(S("new.html"))));
    ExpectConsistentSite();
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(std::string(StripTrailingSep(S("")))), before);
    EXPECT_EQ(site->brokenLinks.count("/gone.html"), 3u);
    ExpectConsistentSite();
}

TEST_F(MaintenanceTest, FixingALinkInOnePageOnly) {
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ESiteFixLinksCommand>(
        site, dynamic_cast<EHtmlNode*>(site->FindNode(S("sub/b.html"))), "../gone.html",
        "/new.html", false)))
        << Errors();
    EXPECT_EQ(ReadFile(S("sub/b.html")), "<a href=\"../new.html\">b</a>");
    EXPECT_NE(ReadFile(S("a.html")).find("GONE.html"), std::string::npos);
    ExpectConsistentSite();
    auto line = ESiteFixLinksCommand(site, nullptr, "/a b", "/c", false).Serialize();
    EXPECT_EQ(line, "ESiteFixLinksCommand\t/a b\t/c\tSingle");
}

// A fix writes the new target the way a move does: characters that could end an attribute, a
// string or a url() escaped, "./" kept, character references kept; undo gives every byte
// back and redo writes the same again.
TEST_F(MaintenanceTest, AFixWritesTheNewTargetInTheLinksOwnForm) {
    struct Row {
        const char* page;
        const char* target;  // a file made for the link to lead to
        const char* written;
    } rows[] = {
        {"<a href=\"gone.html\">x</a>", "/it's (new).html",
         "<a href=\"it%27s%20%28new%29.html\">x</a>"},
        {"<a href=\"gone.html?a=1&amp;b=2\">x</a>", "/new.html",
         "<a href=\"new.html?a=1&amp;b=2\">x</a>"},
        {"<a href='./gone.html'>x</a>", "/new.html", "<a href='./new.html'>x</a>"},
        {"<a href=\"sub/../gone.html#x\">x</a>", "/sub/b.html", "<a href=\"sub/b.html#x\">x</a>"},
    };
    for (const Row& row : rows) {
        WriteFile("site/fixme.html", row.page);
        WriteFile("site" + std::string(row.target), "target");
        ASSERT_TRUE(LoadSite(*site));
        auto* page = dynamic_cast<EHtmlNode*>(site->FindNode(S("fixme.html")));
        ASSERT_TRUE(page);
        ASSERT_TRUE(history_.ExecuteCommand(
            std::make_unique<ESiteFixLinksCommand>(site, page, "/gone.html", row.target, false)))
            << Errors();
        EXPECT_EQ(ReadFile(S("fixme.html")), row.written) << row.page;
        ASSERT_TRUE(history_.Undo()) << Errors();
        EXPECT_EQ(ReadFile(S("fixme.html")), row.page);
        ASSERT_TRUE(history_.Redo()) << Errors();
        EXPECT_EQ(ReadFile(S("fixme.html")), row.written) << row.page;
        ExpectConsistentSite(row.page);
    }
}

// A cancel in "Updating Links", before the commit, writes nothing for every command that
// rewrites pages: the fix of one link, Fix All, and moving orphans; none enters the history.
TEST_F(MaintenanceTest, ACancelBeforeTheCommitWritesNothing) {
    const std::string root(StripTrailingSep(S("")));
    const Files before = Snapshot(root);
    auto* b = dynamic_cast<EHtmlNode*>(site->FindNode(S("sub/b.html")));
    std::function<std::unique_ptr<ECommand>()> commands[] = {
        [&] {
            return std::make_unique<ESiteFixLinksCommand>(site, b, "../gone.html", "/new.html",
                                                          false);
        },
        [&] {
            return std::make_unique<ESiteFixLinksCommand>(site, nullptr, "/gone.html", "/new.html",
                                                          true);
        },
        [&] {
            return std::make_unique<EMoveOrphansCommand>(
                std::vector<std::string>{S("attic/old.html"), S("attic/older.html")}, root,
                S("sub"));
        },
    };
    for (auto& make : commands) {
        test::ScopedScript script;
        script->faultInPass = "Updating Links";
        script->answers = {Answer::Yes};  // reverse what was done, when asked
        EXPECT_FALSE(history_.ExecuteCommand(make()));
        EXPECT_EQ(Snapshot(root), before);
        EXPECT_FALSE(history_.CanUndo());
        ExpectConsistentSite();
    }
}

// A new target is looked for by the link's file name or a wildcard, folder by folder (each
// folder before its subfolders), letter case aside; the places a link is written are shown
// with their lines and tags.
TEST_F(MaintenanceTest, TargetSearchFindsFilesAndTheLinksPlaces) {
    WriteFile("site/sub/deep/Logo.GIF", "GIF");
    const auto names = [this](const std::vector<std::string>& paths) {
        std::string out;
        for (const std::string& path : paths) out += path.substr(S("").size()) + " ";
        return out;
    };
    EXPECT_EQ(names(FindTargetMatches(S(""), "logo.gif", false)),
              "img/logo.gif sub/deep/Logo.GIF ");
    EXPECT_EQ(names(FindTargetMatches(S(""), "*.png", false)),
              "lone.png script.png attic/pic.png ");
    EXPECT_EQ(names(FindTargetMatches(S(""), "sub", true)), "sub ");
    EXPECT_EQ(names(FindTargetMatches(S(""), "sub", false)), "");
    EXPECT_EQ(names(FindTargetMatches(S(""), "nothing-like-it.*", true)), "");
    EXPECT_EQ(LinkFileName("/img/a.gif"), "a.gif");
    EXPECT_EQ(LinkFileName("a.gif"), "a.gif");

    int count = 0;
    const std::vector<std::string> pages = PagesWithLink(*site, "/gone.html", 9, &count);
    // index.html twice (one of them through the server's address), a.html ("GONE.html" is the
    // same link) and sub/b.html.
    EXPECT_EQ(count, 4);
    EXPECT_EQ(pages.size(), 3u);
    const std::vector<LinkInstance> found = FindLinkInstances(*site, S("a.html"), "/gone.html");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, 1);
    EXPECT_EQ(found[0].tag, "<a href=\"GONE.html?q\">case</a>");
    EXPECT_EQ(TagAround("x <A\r\n  HREF=\"p.html\">one&nbsp;&amp; two&quot;</A> y", 12, 18),
              "<A HREF=\"p.html\">one &amp; two\"</A>");
    EXPECT_EQ(TagAround("<img src=\"a.gif\" alt=\"&lt;\">", 10, 15),
              "<img src=\"a.gif\" alt=\"<\">");
}

TEST_F(MaintenanceTest, LinksTreeGroupsLinksAndKeepsThemInItsFile) {
    // A hand-edited file: a user group, a fixed link broken again, junk lines, a link into a
    // folder that is gone.
    const std::string file = WriteFile("links.txt",
                                       "\n==============================================\n"
                                       "Later (1 unique, 1 total)\n"
                                       "==============================================\n"
                                       "/img/Missing.gif (1 instances)\n"
                                       "junk without a count\n"
                                       "/nofolder/x.html (2 instances)\n\n\n"
                                       "\n==============================================\n"
                                       "_Fixed (2 unique, 4 total)\n"
                                       "==============================================\n"
                                       "/gone.html (3 instances)\n"
                                       "/was-fixed.html (1 instances)\n");
    GLinksTree tree;
    tree.FillFrom(*site, file);
    auto labels = [&] {
        std::vector<std::string> out;
        for (const auto& g : tree.Groups()) out.push_back(GLinksTree::Label(g));
        return out;
    };
    // The junk line counts as a link that is not broken: "fixed", with no count; the link
    // into a missing folder is dropped.
    EXPECT_EQ(labels(), (std::vector<std::string>{
                            "_Broken (2 unique, 5 total)", "_Fixed (2 unique, 1 total)",
                            "_Ignore (0 unique, 0 total)", "Later (1 unique, 1 total)"}));
    // The broken-again link takes its count from the site (4), not from the file (3).
    EXPECT_EQ(tree.Groups()[0].links[0].path, "/gone.html");
    EXPECT_EQ(tree.Groups()[0].links[0].count, 4);
    // Moves: into "_Ignore" ignores in the site, out of it gives the link back.
    const std::size_t ignore = tree.Find(GLinksTree::Kind::Ignore);
    EXPECT_FALSE(tree.CanMove(1, 0));
    EXPECT_FALSE(tree.CanMove(0, 1));
    ASSERT_TRUE(tree.Move(*site, 0, {"/GONE.html"}, ignore));
    EXPECT_EQ(site->brokenLinks.count("/gone.html"), 0u);
    EXPECT_EQ(site->ignoredLinks.count("/gone.html"), 3u);  // entries: one per page
    ASSERT_TRUE(tree.Save(PathOf("saved.txt")));
    GLinksTree again;
    again.FillFrom(*site, PathOf("saved.txt"));
    EXPECT_EQ(again.Text(), tree.Text());
    ASSERT_TRUE(tree.Move(*site, ignore, {"/gone.html"}, 0));
    EXPECT_EQ(site->brokenLinks.count("/gone.html"), 3u);
    ExpectConsistentSite();
    // Removing a user group returns its links to "_Broken", in order.
    ASSERT_TRUE(tree.RemoveGroup(tree.Find("Later")));
    EXPECT_EQ(tree.Groups()[0].links.size(), 3u);
    EXPECT_EQ(tree.Groups()[0].links[2].path, "/img/Missing.gif");
    EXPECT_FALSE(tree.RemoveGroup(0));
    // A fixed link goes to "_Fixed".
    ASSERT_TRUE(tree.MarkFixed(0, "/IMG/missing.gif"));
    EXPECT_EQ(tree.Groups()[0].links.size(), 2u);
    const auto& fixed = tree.Groups()[tree.Find(GLinksTree::Kind::Fixed)].links;
    EXPECT_TRUE(std::any_of(fixed.begin(), fixed.end(),
                            [](const auto& link) { return link.path == "/img/Missing.gif"; }));
    EXPECT_FALSE(tree.MarkFixed(0, "/img/Missing.gif"));
}

}  // namespace
}  // namespace tw
