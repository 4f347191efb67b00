// Moves and renames inside a tracked site: every page that refers to what moved is rewritten
// so each URL names the same file, nothing outside the URL texts changes, the check finds the
// same broken links as before, and undo gives back every file byte for byte.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>

#include "core/log/AppLog.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/commands/History.h"
#include "engine/commands/SiteCommands.h"
#include "engine/commands/SiteLock.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "tests/support/ScriptedServices.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using Files = std::map<std::string, std::string>;

class LinkRewriteTest : public test::SiteTest {
  protected:
    void SetUp() override {
        SiteTest::SetUp();
        MakeSite(
            {
                {"index.html",
                 "<html><head><link rel=stylesheet href=\"css/site.css\">\n"
                 "<meta http-equiv=\"refresh\" content=\"30; url=docs/intro.html\"></head>\n"
                 "<body><a href=\"docs/intro.html#top\">fragment</a>\n"
                 "<a href='./docs/intro.html?x=1'>dot and query</a>\n"
                 "<a href=\"/docs/guide.html\">root</a>\n"
                 "<a href=\"http://www.example.org/docs/guide.html\">absolute</a>\n"
                 "<a href=\"docs/\">default document</a>\n"
                 "<a href=\"docs/My%20Page.html\">percent</a>\n"
                 "<a href=\"DOCS/Intro.html\">upper case</a>\n"
                 "<img src=img/logo.png srcset=\"img/logo.png 1x, img/logo@2x.png 2x\">\n"
                 "<a href=\"a&amp;b.html\">reference</a>\n"
                 "<script>go('docs/intro.html')</script>\n"
                 "<a href=\"gone.html\">broken</a></body></html>\n"},
                {"a&b.html", "<a href=\"docs/guide.html\">"},
                {"docs/index.html", "<a href=\"../index.html\"><a href=intro.html>"},
                {"docs/intro.html",
                 "<a href=\"../index.html\">up</a> <a href=\"guide.html#s2\">guide</a>\n"
                 "<img src=\"../img/logo.png\"><a href=\"/nothere.html\">broken</a>\n"
                 "<a href=\"/css/site.css\">css</a> <a href=\"intro.html\">self</a>\n"},
                {"docs/guide.html", "<a href=\"intro.html\"><a href=\"../docs/My%20Page.html\">"},
                {"docs/My Page.html", "<a href=\"guide.html\">"},
                {"docs/based.html",
                 "<base href=\"../img/\"><img src=\"logo.png\"><a href=\"bg.png\">"},
                {"css/site.css",
                 "body { background: url(../img/bg.png) }\n@import \"print.css\";\n"},
                {"css/print.css", "p { background: url('/img/logo.png') }"},
                {"img/logo.png", "PNG1"},
                {"img/logo@2x.png", "PNG2"},
                {"img/bg.png", "PNG3"},
                {"manual/", ""},
            },
            "index.html", "www.example.org", "index.html");
        // The site is found by the commands through the registry.
        site = ESiteRegistry::Instance().AdoptSite(std::move(site_));
        ASSERT_TRUE(LoadSite(*site));
        brokenBefore_ = BrokenTexts();
    }
    void TearDown() override {
        ESiteRegistry::Instance().Clear();
        SiteTest::TearDown();
    }
    std::string S(const std::string& relative) { return SitePath(relative); }

    Files Snapshot() {
        Files files;
        std::function<void(const std::string&)> walk = [&](const std::string& dir) {
            DirectoryEnumerator entries(dir + kPathSep, "*");
            std::string path;
            while (entries.Next(path, true)) {
                if (IsFolder(path))
                    walk(path);
                else
                    files[path.substr(S("").size())] = ReadFile(path);
            }
        };
        walk(std::string(StripTrailingSep(S(""))));
        return files;
    }
    // The broken links a fresh check of the site finds, as URL texts.
    std::vector<std::string> BrokenTexts() {
        EAppSite fresh("fresh", S(""), S("index.html"), "www.example.org", "index.html");
        std::vector<std::string> broken;
        LoadOptions options;
        options.onProblem = [&](EHtmlNode&, const EUrl& url, LinkProblem kind) {
            if (kind == LinkProblem::Broken) broken.push_back(url.text);
        };
        EXPECT_TRUE(LoadSite(fresh, options));
        std::sort(broken.begin(), broken.end());
        return broken;
    }
    // A page with every URL span cut out: what must not change. (Read from a copy: the page
    // may no longer be where it was.)
    std::string Skeleton(const std::string& path, const std::string& content) {
        const std::string copy =
            WriteFile("skeleton" + std::string(PathExtension(path).empty() ? "" : ".") +
                          std::string(PathExtension(path)),
                      content);
        EHtmlNode page(copy);
        page.ParseUrls(nullptr);
        std::string out;
        std::size_t at = 0;
        for (const EUrl& url : page.Urls()) {
            if (url.start < at) continue;
            out.append(content, at, url.start - at);
            out += '|';
            at = url.end + 1;
        }
        out.append(content, std::min(at, content.size()), std::string::npos);
        return out;
    }
    // Runs the command, checks the result, undoes it and checks every byte came back.
    void RunAndUndo(std::unique_ptr<ECommand> command,
                    const std::map<std::string, std::string>& expected) {
        Files before = Snapshot();
        ASSERT_TRUE(history_.ExecuteCommand(std::move(command))) << Errors();
        Files after = Snapshot();
        for (const auto& [path, text] : expected) {
            auto it = after.find(path);
            ASSERT_NE(it, after.end()) << path;
            EXPECT_NE(it->second.find(text), std::string::npos) << path << ":\n" << it->second;
        }
        EXPECT_EQ(BrokenTexts(), brokenBefore_);
        ExpectConsistentSite();
        // Outside the URL texts every byte of every page is as it was.
        for (const auto& [path, content] : after) {
            if (!path.ends_with(".html") && !path.ends_with(".css")) continue;
            auto same = std::find_if(before.begin(), before.end(), [&](const auto& b) {
                return Skeleton(b.first, b.second) == Skeleton(path, content);
            });
            EXPECT_NE(same, before.end()) << "changed outside its URLs: " << path;
        }
        ASSERT_TRUE(history_.Undo()) << Errors();
        EXPECT_EQ(Snapshot(), before);
        ExpectConsistentSite();
        ASSERT_TRUE(history_.Redo()) << Errors();
        EXPECT_EQ(Snapshot(), after);
        ASSERT_TRUE(history_.Undo()) << Errors();
    }
    void ExpectConsistentSite() {
        std::string why;
        EXPECT_TRUE(site->IsConsistent(&why)) << why;
    }

    EAppSite* site = nullptr;
    std::vector<std::string> brokenBefore_;
    ECommandHistory history_;
};

TEST_F(LinkRewriteTest, MovingAFolderOfPages) {
    RunAndUndo(std::make_unique<ESiteMoveCommand>(S("docs"), S("manual")),
               {{"index.html", "href=\"manual/docs/intro.html#top\""},
                {"index.html", "href='./manual/docs/intro.html?x=1'"},
                {"index.html", "href=\"/manual/docs/guide.html\""},
                {"index.html", "href=\"http://www.example.org/manual/docs/guide.html\""},
                {"index.html", "href=\"manual/docs/\""},
                {"index.html", "href=\"manual/docs/My%20Page.html\""},
                {"index.html", "url=manual/docs/intro.html"},
                {"index.html", "go('manual/docs/intro.html')"},
                {"a&b.html", "href=\"manual/docs/guide.html\""},
                {"manual/docs/intro.html", "href=\"../../index.html\""},
                {"manual/docs/intro.html", "src=\"../../img/logo.png\""},
                {"manual/docs/intro.html", "href=\"guide.html#s2\""},
                {"manual/docs/based.html", "<base href=\"../../img/\"><img src=\"logo.png\">"}});
}

TEST_F(LinkRewriteTest, MovingAPageUpAndDown) {
    RunAndUndo(std::make_unique<ESiteMoveCommand>(S("docs/intro.html"), S("")),
               {{"index.html", "href=\"intro.html#top\""},
                {"intro.html", "href=\"index.html\">up"},
                {"intro.html", "href=\"docs/guide.html#s2\""},
                {"intro.html", "src=\"img/logo.png\""},
                {"docs/index.html", "href=../intro.html>"}});
    RunAndUndo(std::make_unique<ESiteMoveCommand>(S("docs/guide.html"), S("manual")),
               {{"index.html", "href=\"/manual/guide.html\""},
                {"manual/guide.html", "href=\"../docs/intro.html\""},
                {"manual/guide.html", "href=\"../docs/My%20Page.html\""},
                {"docs/My Page.html", "href=\"../manual/guide.html\""}});
}

TEST_F(LinkRewriteTest, RenamingAFolderAndAFile) {
    RunAndUndo(std::make_unique<ESiteRenameCommand>(S("img"), S("images")),
               {{"index.html",
                 "src=images/logo.png srcset=\"images/logo.png 1x, "
                 "images/logo@2x.png 2x\""},
                {"css/site.css", "url(../images/bg.png)"},
                {"css/print.css", "url('/images/logo.png')"},
                {"docs/based.html", "<base href=\"../images/\"><img src=\"logo.png\">"}});
    RunAndUndo(std::make_unique<ESiteRenameCommand>(S("docs/guide.html"), S("docs/how to.html")),
               {{"docs/intro.html", "href=\"how%20to.html#s2\""},
                {"index.html", "href=\"/docs/how%20to.html\""}});
}

// Capitals are a new name for a server that tells case apart: every URL spelt the old way is
// rewritten, and the log's "URL LINK RENAMING:" section says so, line by line.
TEST_F(LinkRewriteTest, ACaseOnlyRenameRewritesTheOldCapitals) {
    const Files before = Snapshot();
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ESiteRenameCommand>(S("docs"), S("Docs"))))
        << Errors();
    const std::string index = ReadFile(S("index.html"));
    for (const char* text :
         {"<a href=\"Docs/intro.html#top\">", "<a href=\"/Docs/guide.html\">",
          "<a href=\"Docs/Intro.html\">", "url=Docs/intro.html", "go('Docs/intro.html')"})
        EXPECT_NE(index.find(text), std::string::npos) << text << "\n" << index;
    const std::string log = log_->ReportSection()->Contents();
    EXPECT_NE(log.find("In file "), std::string::npos) << log;
    EXPECT_NE(log.find("docs/intro.html"), std::string::npos) << log;
    EXPECT_NE(log.find("Docs/intro.html (case change)"), std::string::npos) << log;
    EXPECT_EQ(BrokenTexts(), brokenBefore_);
    ExpectConsistentSite();
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(), before);
    ExpectConsistentSite();
}

// A command of the window that breaks links says so on the status line, naming the first.
TEST_F(LinkRewriteTest, TheStatusLineTellsTheLinksACommandBreaks) {
    test::ScopedScript script;
    ASSERT_TRUE(history_.ExecuteCommand(
        std::make_unique<ESiteRenameCommand>(S("img/logo.png"), S("img/mark.png"))));
    EXPECT_EQ(script->statusMessages.back().find("broke"), std::string::npos)
        << script->statusMessages.back();
    // The folder's default page renamed: "docs/" leads nowhere now.
    ASSERT_TRUE(history_.ExecuteCommand(
        std::make_unique<ESiteRenameCommand>(S("docs/index.html"), S("docs/start.html"))));
    EXPECT_NE(script->statusMessages.back().find("it broke 1 link: " + S("index.html") + ":"),
              std::string::npos)
        << script->statusMessages.back();
    EXPECT_NE(script->statusMessages.back().find("\"docs/\""), std::string::npos);
}

TEST_F(LinkRewriteTest, MovingAnImage) {
    RunAndUndo(std::make_unique<ESiteMoveCommand>(S("img/logo.png"), S("docs")),
               {{"index.html", "src=docs/logo.png srcset=\"docs/logo.png 1x"},
                {"docs/intro.html", "src=\"logo.png\""},
                {"css/print.css", "url('/docs/logo.png')"},
                {"docs/based.html", "<img src=\"../docs/logo.png\">"}});
}

// Two commands that rewrite the same pages: undone in turn, each finds the pages as it left
// them, and the site comes back byte for byte.
TEST_F(LinkRewriteTest, CommandsUndoneInTurnGiveBackEveryByte) {
    Files before = Snapshot();
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ESiteRenameCommand>(S("img"), S("pics"))));
    ASSERT_TRUE(
        history_.ExecuteCommand(std::make_unique<ESiteMoveCommand>(S("docs"), S("manual"))));
    EXPECT_NE(ReadFile(S("manual/docs/intro.html")).find("../../pics/logo.png"), std::string::npos);
    ASSERT_TRUE(history_.Undo()) << Errors();
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(), before);
    ExpectConsistentSite();
    // An edit made since refuses the undo, and nothing changes.
    ASSERT_TRUE(history_.Redo());
    WriteFile("site/index.html", "edited");
    Files edited = Snapshot();
    EXPECT_FALSE(history_.Undo());
    EXPECT_EQ(Snapshot(), edited);
}

// Pages moved where no site tracks them: the user is warned first, and Cancel does nothing.
TEST_F(LinkRewriteTest, MovingUntrackedPagesWarnsFirst) {
    WriteFile("loose/p.html", "<a href=q.html>");
    MakeFolder("elsewhere");
    test::ScopedScript script;
    script->answers = {Answer::Cancel, Answer::Ok};
    EXPECT_FALSE(history_.ExecuteCommand(
        std::make_unique<ESiteMoveCommand>(PathOf("loose/p.html"), PathOf("elsewhere"))));
    EXPECT_TRUE(PathExists(PathOf("loose/p.html")));
    EXPECT_FALSE(history_.CanUndo());
    EXPECT_TRUE(history_.ExecuteCommand(
        std::make_unique<ESiteMoveCommand>(PathOf("loose/p.html"), PathOf("elsewhere"))));
    EXPECT_TRUE(PathExists(PathOf("elsewhere/p.html")));
    EXPECT_EQ(script->questionsAsked, 2);
}

// A page waiting, broken, for the new name reaches the renamed file; the link that named the
// old name is rewritten; undo gives both pages and the web back.
TEST_F(LinkRewriteTest, ARenameToANameAPageWaitsFor) {
    WriteFile("site/waiting.html", "<a href=later.html>later</a> <a href=now.html>now</a>");
    WriteFile("site/now.html", "");
    ASSERT_TRUE(LoadSite(*site));
    const Files before = Snapshot();
    ENode* now = site->FindExactNode(S("now.html"));
    ASSERT_TRUE(now);
    EXPECT_EQ(site->brokenLinks.count("/later.html"), 1u);
    ASSERT_TRUE(history_.ExecuteCommand(
        std::make_unique<ESiteRenameCommand>(S("now.html"), S("later.html"))))
        << Errors();
    EXPECT_EQ(ReadFile(S("waiting.html")),
              "<a href=later.html>later</a> <a href=later.html>now</a>");
    EXPECT_EQ(site->FindExactNode(S("later.html")), now);
    EXPECT_EQ(site->brokenLinks.count("/later.html"), 0u);
    ExpectConsistentSite();
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(site->FindExactNode(S("now.html")), now);
    EXPECT_EQ(site->brokenLinks.count("/later.html"), 1u);
    ExpectConsistentSite();
}

// A cancel while links are updated, answered "Yes": the whole command is reversed and
// nothing enters the history.
TEST_F(LinkRewriteTest, ACancelMidwayReversesEverything) {
    Files before = Snapshot();
    test::ScopedScript script;
    script->faultInPass = "Updating Links";
    script->answers = {Answer::Yes};
    EXPECT_FALSE(
        history_.ExecuteCommand(std::make_unique<ESiteMoveCommand>(S("docs"), S("manual"))));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(history_.CanUndo());
    ExpectConsistentSite();
}

// While another program runs a command on the site, the window's command waits briefly, then
// says so and changes nothing; once it has ended, the same command runs.
TEST_F(LinkRewriteTest, ACommandOfTheWindowWaitsForAnotherOnTheSite) {
    Files before = Snapshot();
    test::ScopedScript script;
    // Another process holds the site's lock until told to end.
    int ready[2], end[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(end), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        ::close(end[1]);
        EFileLock lock;
        const bool held = lock.Acquire(SiteLockPath(S("")), {});
        char byte = held ? '1' : '0';
        [[maybe_unused]] ssize_t n = ::write(ready[1], &byte, 1);
        n = ::read(end[0], &byte, 1);  // until the test closes its end
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, '1');
    ::setenv("TIDEWRIGHT_LOCK_WAIT", "0.1", 1);
    EXPECT_FALSE(
        history_.ExecuteCommand(std::make_unique<ESiteMoveCommand>(S("docs"), S("manual"))));
    ::unsetenv("TIDEWRIGHT_LOCK_WAIT");
    ::close(end[1]);
    ::waitpid(other, nullptr, 0);
    EXPECT_EQ(Snapshot(), before);
    ASSERT_EQ(script->messageBoxes.size(), 1u);
    EXPECT_EQ(script->messageBoxes.back(),
              "Another command is changing this site (pid " + std::to_string(other) +
                  "), so nothing was done. Try again when it has ended.");
    EXPECT_TRUE(
        history_.ExecuteCommand(std::make_unique<ESiteMoveCommand>(S("docs"), S("manual"))));
    EXPECT_TRUE(PathExists(S("manual/docs/intro.html")));
}

}  // namespace
}  // namespace tw
