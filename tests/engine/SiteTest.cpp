#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/settings/Profile.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/ConsoleServices.h"
#include "engine/services/UiServices.h"
#include "tests/support/ScriptedServices.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using test::SiteTest;

class SiteDefinitionTest : public SiteTest {
  protected:
    void TearDown() override {
        ESiteRegistry::Instance().Clear();
        SiteTest::TearDown();
    }
    std::unique_ptr<EAppSite> Define(const std::string& name) {
        std::string dir = MakeFolder("defs/" + name);
        std::string home = WriteFile("defs/" + name + "/index.htm", "<html>");
        return std::make_unique<EAppSite>(name, dir, home, "http://srv1/", "index.htm");
    }
    std::string Value(const std::string& section, const std::string& key) {
        return profile::ReadString(ProfileFilePath(), section, key, "<none>");
    }
};

TEST_F(SiteDefinitionTest, StoredLayoutAndRenumbering) {
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(Define("one"));
    registry.AddSite(Define("two"));
    auto three = Define("three");
    three->SetExcludedFolders({PathOf("defs/three/private")});
    registry.AddSite(std::move(three));
    EXPECT_EQ(Value("Site1", "Name"), "one");
    EXPECT_EQ(Value("Site1", "Server"), "srv1");
    EXPECT_EQ(Value("Site1", "Directory"), PathOf("defs/one/"));
    EXPECT_EQ(Value("Site3", "0"), PathOf("defs/three/private/"));

    registry.RemoveSite(registry.Sites()[1].get());
    EXPECT_EQ(Value("Site2", "Name"), "three");
    EXPECT_EQ(Value("Site2", "0"), PathOf("defs/three/private/"));
    EXPECT_EQ(Value("Site3", "Name"), "<none>");
    EXPECT_EQ(Value("Site3", "0"), "<none>");

    registry.LoadAllSites();
    ASSERT_EQ(registry.Sites().size(), 2u);
    EXPECT_EQ(registry.Sites()[1]->GetName(), "three");
    EXPECT_FALSE(registry.Sites()[1]->IsWholeSite());
}

TEST_F(SiteDefinitionTest, AnInvalidSectionEndsTheList) {
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(Define("a"));
    registry.AddSite(Define("b"));
    registry.AddSite(Define("c"));
    RemoveFolderTree(PathOf("defs/b"));
    registry.LoadAllSites();
    ASSERT_EQ(registry.Sites().size(), 1u);
    EXPECT_EQ(registry.Sites()[0]->GetName(), "a");
}

TEST_F(SiteDefinitionTest, RegistryAnswersAboutPaths) {
    MakeSite({{"index.htm", "<a href=sub/p.htm><a href=x.htm>"},
              {"sub/p.htm", "<a href=y.htm><a href=z.htm>"}});
    ASSERT_TRUE(Load());
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(std::move(site_));
    EAppSite* site = registry.Sites()[0].get();
    EXPECT_EQ(registry.FindTrackedSite(SitePath("sub/p.htm")), site);
    EXPECT_EQ(registry.FindTrackedSite(PathOf("elsewhere")), nullptr);
    EXPECT_EQ(registry.GetBrokenLinkCount(SitePath("index.htm")), 1);
    EXPECT_EQ(registry.GetBrokenLinkCount(SitePath("sub")), 2);
    EXPECT_EQ(registry.GetBrokenLinkCount(SitePath("")), 3);
    EXPECT_EQ(registry.GetBrokenLinkCount(PathOf("elsewhere")), -1);
    EXPECT_TRUE(registry.IsTrackedPath(SitePath("sub/p.htm")));
    EXPECT_FALSE(registry.IsOrphanPath(SitePath("sub/p.htm")));
    EXPECT_FALSE(registry.IsOrphanPath(SitePath("")));

    registry.LoadPageInfo(SitePath("sub/p.htm"));
    EXPECT_EQ(registry.pageUrlCount, 2);
    EXPECT_EQ(registry.pageBrokenCount, 2);
    std::vector<EUrl> urls;
    std::vector<std::uint32_t> lines;
    EXPECT_EQ(registry.GetPageUrls(SitePath("sub/p.htm"), urls, lines), SitePath("sub/"));
    EXPECT_EQ(urls.size(), 2u);
    EXPECT_FALSE(site->FindNode(SitePath("sub/p.htm"))->HasChildren());  // data dropped again
    // Read again, the same; and a page changed on disk since its details were read is read
    // anew for its links.
    EXPECT_EQ(registry.GetPageUrls(SitePath("sub/p.htm"), urls, lines), SitePath("sub/"));
    EXPECT_EQ(urls.size(), 2u);
    registry.LoadPageInfo(SitePath("sub/p.htm"));
    WriteFile("site/sub/p.htm", "<a href=../index.htm>");
    registry.GetPageUrls(SitePath("sub/p.htm"), urls, lines);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].text, "../index.htm");
    EXPECT_EQ(urls[0].target, site->FindNode(SitePath("index.htm")));
}

TEST_F(SiteDefinitionTest, ReloadCheckAnsweredNoKeepsSitesAsTheyAre) {
    test::ScopedScript script;
    script->answers = {Answer::No};
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(Define("a"));
    registry.AddSite(Define("b"));
    for (auto& s : registry.Sites()) ASSERT_TRUE(LoadSite(*s));
    for (auto& s : registry.Sites()) registry.AddChangedSite(s.get());
    registry.SetChanged(true);
    registry.CheckReload();
    EXPECT_EQ(script->questionsAsked, 1);
    for (auto& s : registry.Sites()) EXPECT_TRUE(s->IsTracking());
    registry.SetChanged(true);
    registry.CheckReload();  // nothing changed since: no question
    EXPECT_EQ(script->questionsAsked, 1);
}

TEST_F(SiteDefinitionTest, ReloadCheckAnsweredYesStopsAtAFailureAndCancelUntracks) {
    struct Case {
        Answer answer;
        std::vector<bool> tracking;  // of a, b, c afterwards
    } cases[] = {
        {Answer::Yes, {true, false, false}},  // b fails to load: c is not tried
        {Answer::Cancel, {false, false, false}},
    };
    for (const Case& c : cases) {
        ESiteRegistry& registry = ESiteRegistry::Instance();
        registry.Clear();
        for (const char* name : {"a", "b", "c"}) registry.AddSite(Define(name));
        for (auto& s : registry.Sites()) ASSERT_TRUE(LoadSite(*s));
        // The second site's load is cancelled.
        test::ScopedScript script;
        script->answers = {c.answer};
        script->progressOfKind = ProgressKind::StartAware;
        script->nth = 2;
        for (auto& s : registry.Sites()) registry.AddChangedSite(s.get());
        registry.SetChanged(true);
        registry.CheckReload();
        std::vector<bool> tracking;
        for (auto& s : registry.Sites()) tracking.push_back(s->IsTracking());
        EXPECT_EQ(tracking, c.tracking);
    }
}

// The information of one page: a page that turned unreadable since the load, and one with
// syntax errors, each say so on the status line.
TEST_F(SiteDefinitionTest, PageInformationSaysWhatIsWrongWithThePage) {
    MakeSite({{"index.htm", "<a href=bad.htm><a href=gone.htm><img src=x.gif>"},
              {"bad.htm", "<a href=index.htm><p title=\"x>"},
              {"x.gif", "GIF89a"}});
    ASSERT_TRUE(Load());
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(std::move(site_));
    test::ScopedScript script;
    registry.LoadPageInfo(SitePath("bad.htm"));
    EXPECT_EQ(script->statusMessages.back(), "Syntax errors in \"bad.htm\"");
    registry.LoadPageInfo(SitePath("index.htm"));
    EXPECT_EQ(registry.pageUrlCount, 3);
    EXPECT_EQ(registry.pageBrokenCount, 1);
    // index.htm is replaced by a FIFO: its node still says HTML, but it cannot be read.
    ::unlink(SitePath("index.htm").c_str());
    ASSERT_EQ(::mkfifo(SitePath("index.htm").c_str(), 0644), 0);
    registry.LoadPageInfo(SitePath("index.htm"));
    EXPECT_EQ(script->statusMessages.back(), "Fatal I/O errors in \"index.htm\"");
    EHtmlNode image(SitePath("x.gif"));
    EXPECT_EQ(image.ParseUrls(nullptr), ParseResult::NotAPage);  // not a page
}

// The kept ignore list: only the "_Ignore" section counts, "=" lines open and close headers,
// entries into excluded folders are dropped, long lines are read in pieces, and what no page
// uses any more is pruned after the load.
TEST_F(SiteTest, TheIgnoreListFileIsReadAndPruned) {
    EAppSite& site = MakeSite({{"index.htm",
                                "<a href=ign1.htm><a href=ign2.htm><a href=other.htm>"
                                "<a href=private/p.htm><a href=long.htm>"},
                               {"private/q.htm", ""}});
    site.SetExcludedFolders({SitePath("private")});
    const std::string longLine(1100, 'x');
    WriteFile("home/Config/test_links.txt",
              "=\n_Broken\n=\n/other.htm (1)\n"                // another section: not ignored
              "=\n_Ignore\n=\n/ign1.htm (2)\n  /ign2.htm  \n"  // with or without a count
              "/private/p.htm (1)\n"                           // into an excluded folder
              "/unused.htm (4)\n" +                            // no page has it: pruned
                  longLine +
                  "/long.htm\n");  // read as two pieces
    ASSERT_TRUE(Load());
    std::vector<std::string> ignored;
    for (const auto& [path, entry] : site.ignoredLinks) ignored.push_back(path);
    EXPECT_EQ(ignored, (std::vector<std::string>{"/ign1.htm", "/ign2.htm"}));
    EXPECT_EQ(Broken("index.htm"), 2);  // other.htm and long.htm
    EXPECT_EQ(site.untrackedLinks.size(), 1u);
    ExpectConsistent();
}

TEST_F(SiteTest, FindNodeIgnoresCaseAndRenamingTheSiteFolderMovesTheSite) {
    EAppSite& site = MakeSite({{"index.htm", ""}, {"Sub/Page.HTM", ""}});
    ASSERT_TRUE(Load());
    EXPECT_EQ(site.FindNode(SitePath("SUB/page.htm")), Node("Sub/Page.HTM"));
    ENode* page = Node("Sub/Page.HTM");
    ASSERT_TRUE(site.Root()->Rename("moved"));
    site.UpdateRenamedPath(PathOf("site"));
    EXPECT_EQ(site.GetDirectory(), PathOf("moved/"));
    EXPECT_EQ(site.GetHomePage(), PathOf("moved/index.htm"));
    EXPECT_EQ(page->GetPath(), PathOf("moved/Sub/Page.HTM"));
    EXPECT_EQ(site.FindNode(PathOf("moved/sub/page.htm")), page);
}

// Gives every title a section of its own, so a test can read what a pass wrote under it.
class SectionPerTitle : public ELog {
  public:
    explicit SectionPerTitle(std::string folder) : folder_(std::move(folder)) {}
    ESection* OpenSection(int titleId) override {
        auto& s = sections_[titleId];
        if (!s) s = std::make_unique<ESection>(titleId, folder_ + "/" + std::to_string(titleId));
        return s.get();
    }
    void CloseSection(ESection*) override {}
    std::string Text(int titleId) {
        return sections_.count(titleId) ? sections_[titleId]->Contents() : "";
    }

  private:
    std::string folder_;
    std::map<int, std::unique_ptr<ESection>> sections_;
};

TEST_F(SiteTest, HiddenFilesAreSkippedAndListed) {
    MakeSite({{"index.htm", "<a href=.secret.htm>"}, {".secret.htm", ""}});
    auto log = std::make_unique<SectionPerTitle>(Root());
    SectionPerTitle* sections = log.get();
    ScopedLog scope(std::move(log));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Node(".secret.htm"), nullptr);
    // The file exists, though it has no node: its link is untracked, not broken.
    EXPECT_EQ(Broken("index.htm"), 0);
    EXPECT_EQ(site_->untrackedLinks.count("/.secret.htm"), 1u);
    EXPECT_EQ(sections->Text(ELog::kHiddenFilesSectionId),
              "hidden file was skipped\n\t" + SitePath(".secret.htm") + "\n");
}

TEST_F(SiteTest, ExcludedFoldersGiveUntrackedLinksAndNoOrphans) {
    EAppSite& site = MakeSite({{"index.htm", "<a href=private/a.htm><a href=b.htm>"},
                               {"private/a.htm", ""},
                               {"private/deeper/c.htm", ""},
                               {"lonely.htm", "<a href=nothere.htm>"}});
    site.SetExcludedFolders({SitePath("private")});
    ASSERT_TRUE(Load());
    EXPECT_NE(Node("private"), nullptr);
    EXPECT_EQ(Node("private/a.htm"), nullptr);
    EXPECT_NE(Node("private/deeper/c.htm"), nullptr);
    EXPECT_EQ(site.untrackedLinks.count("/private/a.htm"), 1u);
    EXPECT_EQ(Broken("index.htm"), 1);
    EXPECT_EQ(Broken("lonely.htm"), 1);  // every page is read in sections
    EXPECT_TRUE(site.orphans.empty());
    ExpectConsistent();
}

TEST_F(SiteTest, CancelDuringLookingForFilesLeavesTheSiteUntracked) {
    EAppSite& site = MakeSite({{"index.htm", ""}, {"a/b.htm", ""}});
    test::ScopedScript script;
    script->faultInPass = "Looking for Files";
    EXPECT_FALSE(Load());
    EXPECT_FALSE(site.IsTracking());
    EXPECT_EQ(site.Root(), nullptr);
    EXPECT_EQ(site.NodeCount(), 0);
}

TEST_F(SiteTest, ALoadThatDoesNotFinishLeavesTheSiteNotLoaded) {
    struct Case {
        const char* pass;
        bool sections;  // a folder excluded: the link pass reads every page in turn
        bool outOfMemory;
        LoadState state;
    } cases[] = {
        {"Checking URL Links", false, false, LoadState::Cancelled},
        {"Checking URL Links", true, false, LoadState::Cancelled},
        {"Checking URLs in Orphan Files", false, false, LoadState::Cancelled},
        {"Checking URL Links", false, true, LoadState::OutOfMemory},
        {"Looking for Files", false, true, LoadState::OutOfMemory},
    };
    for (const Case& c : cases) {
        EAppSite& site = MakeSite({{"index.htm", "<a href=a.htm>"},
                                   {"a.htm", ""},
                                   {"lost.htm", "<a href=a.htm>"},
                                   {"private/p.htm", ""}});
        if (c.sections) site.SetExcludedFolders({SitePath("private")});
        test::ScopedScript script;
        script->faultInPass = c.pass;
        script->outOfMemory = c.outOfMemory;
        EXPECT_FALSE(Load()) << c.pass;
        EXPECT_EQ(site.GetLoadState(), c.state) << c.pass;
        EXPECT_FALSE(site.IsTracking()) << c.pass;
        EXPECT_EQ(site.Root(), nullptr) << c.pass;
        EXPECT_TRUE(site.brokenCountByPage.empty() && site.orphans.empty()) << c.pass;
    }
}

TEST_F(SiteTest, LoopsDeepFoldersAndOddLinksLoadWithoutHarm) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "d/";
    EAppSite& site = MakeSite(
        {{"index.htm",
          "<a href=index.htm><a href=\"my file.htm\"><a href=%zz.htm><a href=../../etc/passwd>"
          "<a href=\"data:text/html,x\"><a href=\"file:///etc\"><a href=\"caf\xC3\xA9.htm\">"
          "<a href=" +
              deep + "end.htm>"},
         {"my file.htm", ""},
         {"caf\xC3\xA9.htm", ""},
         {deep + "end.htm", "<a href=/index.htm>"}});
    ASSERT_EQ(::symlink(SitePath("").c_str(), SitePath("loop").c_str()), 0);
    ASSERT_TRUE(Load());
    EXPECT_NE(Node("loop"), nullptr);
    EXPECT_EQ(Node("loop/index.htm"), nullptr);  // a folder is not entered from inside itself
    EXPECT_NE(Node(deep + "end.htm"), nullptr);
    EXPECT_EQ(Broken("index.htm"), 2);  // %zz.htm and the path above the site
    EXPECT_TRUE(site.orphans.empty() || !site.orphans.count(Node(deep + "end.htm")));
    ExpectConsistent();
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST_F(SiteTest, InterruptFromTheConsoleCancelsTheLoad) {
    EAppSite& site = MakeSite({{"index.htm", "<a href=a.htm>"}, {"a.htm", ""}});
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    EConsoleServices::RequestCancel();
    EXPECT_FALSE(Load());
    EXPECT_FALSE(site.IsTracking());
    EXPECT_EQ(site.Root(), nullptr);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST_F(SiteTest, NamesThatDifferInCaseAloneAreFoundExactlyFirst) {
    EAppSite& site = MakeSite({{"index.htm", "<a href=a.htm><a href=A.htm><a href=A.HTM>"},
                               {"a.htm", ""},
                               {"A.htm", ""}});
    ASSERT_TRUE(Load());
    EXPECT_EQ(site.FindNode(SitePath("a.htm"))->GetName(), "a.htm");
    EXPECT_EQ(site.FindNode(SitePath("A.htm"))->GetName(), "A.htm");
    EXPECT_EQ(site.FindNode(SitePath("A.HTM"))->GetName(), "A.htm");  // first in order
    // Which of the page's links are found only when case is ignored ("c"), read afresh.
    auto caseMarks = [&] {
        EHtmlNode* page = Page("index.htm");
        page->ClearUrls();
        page->ParseUrls(nullptr);
        std::string marks;
        for (const EUrl& u : page->Urls()) marks += u.IsCaseMismatch() ? "c" : "-";
        return marks;
    };
    EXPECT_EQ(caseMarks(), "--c");
    // Removing one leaves the other findable under every spelling.
    ::unlink(SitePath("A.htm").c_str());
    site.RemovePath(SitePath("A.htm"));
    EXPECT_EQ(site.FindNode(SitePath("A.HTM"))->GetName(), "a.htm");
    EXPECT_EQ(caseMarks(), "-cc");
    EXPECT_EQ(Broken("index.htm"), 0);  // its links fall to a.htm
    EXPECT_TRUE(site.backLinks.Has(Node("a.htm"), Node("index.htm")));
    ExpectConsistent();
    ::unlink(SitePath("a.htm").c_str());
    site.RemovePath(SitePath("a.htm"));
    EXPECT_EQ(Broken("index.htm"), 3);
    ExpectConsistent();
}

// Removing or renaming a spelling that has no node of its own acts on nothing: "A.htm" is
// gone from disk, but a.htm (another file) must keep its node.
TEST_F(SiteTest, ASpellingWithoutANodeOfItsOwnTouchesNoOtherFile) {
    EAppSite& site = MakeSite({{"index.htm", "<a href=a.htm>"}, {"a.htm", ""}});
    ASSERT_TRUE(Load());
    ENode* a = Node("a.htm");
    site.RemovePath(SitePath("A.htm"));
    EXPECT_EQ(site.FindExactNode(SitePath("a.htm")), a);
    site.UpdateRenamedPath(SitePath("A.htm"));
    EXPECT_EQ(a->GetPath(), SitePath("a.htm"));
    EXPECT_EQ(site.FindExactNode(SitePath("a.htm")), a);
    EXPECT_EQ(site.FindExactNode(SitePath("A.htm")), nullptr);
    ExpectConsistent();
}

// A renamed folder takes its subtree along, and a renamed home page stays the home page.
TEST_F(SiteTest, RenamingASubfolderAndTheHomePage) {
    EAppSite& site = MakeSite({{"index.htm", "<a href=sub/in/p.htm>"},
                               {"sub/in/p.htm", "<a href=../../index.htm>"},
                               {"Sub/q.htm", ""}});
    ASSERT_TRUE(Load());
    ENode* p = Node("sub/in/p.htm");
    ASSERT_TRUE(Node("sub")->Rename("moved"));
    site.UpdateRenamedPath(SitePath("sub"));
    EXPECT_EQ(p->GetPath(), SitePath("moved/in/p.htm"));
    EXPECT_EQ(site.FindExactNode(SitePath("moved/in/p.htm")), p);
    EXPECT_EQ(site.FindExactNode(SitePath("sub/in/p.htm")), nullptr);
    EXPECT_EQ(Node("Sub/q.htm")->GetPath(), SitePath("Sub/q.htm"));  // the twin stays put

    ENode* home = Node("index.htm");
    ASSERT_TRUE(home->Rename("start.htm"));
    site.UpdateRenamedPath(SitePath("index.htm"));
    EXPECT_EQ(site.GetHomePage(), SitePath("start.htm"));
    EXPECT_EQ(site.FindExactNode(SitePath("start.htm")), home);
    // The pages still name the old paths: rewritten as a rename command would, the web holds.
    WriteFile("site/start.htm", "<a href=moved/in/p.htm>");
    WriteFile("site/moved/in/p.htm", "<a href=../../start.htm>");
    ExpectConsistent();
}

// A FIFO named like a page never blocks a load or a look at the page; a linked folder is a
// shortcut: a folder outside the site is not walked, one inside it is one node, reached once.
TEST_F(SiteTest, SpecialFilesAndLinkedFoldersAreNotEntered) {
    EAppSite& site = MakeSite({{"index.htm",
                                "<a href=fifo.html><a href=out><a href=out/x.htm>"
                                "<a href=inside/p.htm><a href=real/p.htm>"},
                               {"real/p.htm", "<a href=../index.htm>"}});
    WriteFile("outside/x.htm", "");
    ASSERT_EQ(::mkfifo(SitePath("fifo.html").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(PathOf("outside").c_str(), SitePath("out").c_str()), 0);
    ASSERT_EQ(::symlink(SitePath("real").c_str(), SitePath("inside").c_str()), 0);
    ASSERT_TRUE(Load());
    ASSERT_NE(Node("out"), nullptr);
    EXPECT_FALSE(Node("out")->IsFolder());
    EXPECT_EQ(Node("out/x.htm"), nullptr);
    EXPECT_EQ(Node("inside/p.htm"), nullptr);
    EXPECT_EQ(site.NodeCount(), 6);  // the folder, index, real/, real/p.htm, out, inside
    // The FIFO (a system file, left out of the tree) and the files through a shortcut exist
    // but are not tracked: neither good nor broken.
    EXPECT_EQ(Broken("index.htm"), 0);
    EXPECT_EQ(site.untrackedLinks.size(), 3u);
    EXPECT_TRUE(site.backLinks.Has(Node("out"), Node("index.htm")));
    ExpectConsistent();

    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.LoadPageInfo(SitePath("fifo.html"));  // returns at once: not a page
    std::vector<EUrl> urls;
    std::vector<std::uint32_t> lines;
    EXPECT_EQ(registry.GetPageUrls(SitePath("fifo.html"), urls, lines), "");
    EHtmlNode fifo(SitePath("fifo.html"));
    EXPECT_FALSE(fifo.IsHtml());
    EXPECT_EQ(fifo.ParseUrls(nullptr), ParseResult::NotAPage);
}

// Folders nested past the platform's path limit: what cannot be named is reported, never
// dropped without a word.
TEST_F(SiteTest, EntriesPastThePathLimitAreReported) {
    MakeSite({{"index.htm", ""}});
    const std::string name(250, 'd');
    int dir = ::open(SitePath("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 20 && dir >= 0; ++level) {
        ASSERT_EQ(::mkdirat(dir, name.c_str(), 0755), 0);
        int next = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(dir);
        dir = next;
    }
    ::close(dir);
    EXPECT_TRUE(Load());
    EXPECT_NE(Errors().find("Entries whose path is longer than the system allows were not read"),
              std::string::npos)
        << Errors();
    // The tree is deeper than a path can name: rm walks it by descriptor.
    std::string command = "rm -rf '" + SitePath(name) + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

// A new file goes under the folder whose name matches exactly, never under a case twin (a
// file "data" used to take the new "Data/p.htm", and freed its node).
TEST_F(SiteTest, NewFilesHangUnderTheExactFolder) {
    EAppSite& site = MakeSite(
        {{"index.htm", "<a href=Data/p.htm><a href=Sub/f.htm>"}, {"data", "x"}, {"sub/g.htm", ""}});
    ASSERT_TRUE(Load());
    WriteFile("site/Data/p.htm", "");
    WriteFile("site/Sub/f.htm", "");
    for (const char* path : {"Data/p.htm", "Sub/f.htm"}) {
        ENode* node = site.AddPath(SitePath(path));
        ASSERT_NE(node, nullptr) << path;
        EXPECT_EQ(node->GetPath(), SitePath(path));
        EXPECT_EQ(node->GetParent()->GetPath(), std::string(PathDirectory(SitePath(path))));
    }
    EXPECT_EQ(Node("data")->GetPath(), SitePath("data"));
    EXPECT_EQ(Node("sub/g.htm")->GetParent()->GetPath(), SitePath("sub"));
    EXPECT_EQ(Broken("index.htm"), 0);
    ExpectConsistent();
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(ProgressPasses, AnnouncedRunsShareOneNumbering) {
    ProgressPasses::Announce(3);
    for (int pass = 1; pass <= 3; ++pass) {
        ProgressPasses::Scope scope;
        EXPECT_EQ(ProgressPasses::Caption("Loading"),
                  "Loading (Pass " + std::to_string(pass) + " of 3)");
    }
    EXPECT_EQ(ProgressPasses::Count(), 0);  // the third run ended the announcement
    EXPECT_EQ(ProgressPasses::Caption("Loading"), "Loading");
}

TEST_F(SiteDefinitionTest, BeginSiteTrackingCanBeDeclinedAndRemembered) {
    test::ScopedScript script;
    script->answers = {Answer::Cancel};
    script->dontAskAgain = true;
    ESiteRegistry& registry = ESiteRegistry::Instance();
    registry.AddSite(Define("a"));
    registry.ReloadAllSites();
    EXPECT_EQ(script->questionsAsked, 1);
    EXPECT_FALSE(registry.Sites()[0]->IsTracking());
    EXPECT_FALSE(SettingsStore::Instance().ReadBool("1WarnBeginTracking"));
    registry.ReloadAllSites();  // no longer asked: the sites load
    EXPECT_EQ(script->questionsAsked, 1);
    EXPECT_TRUE(registry.Sites()[0]->IsTracking());
}

}  // namespace
}  // namespace tw
