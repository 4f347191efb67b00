#include <gtest/gtest.h>
#include <unistd.h>

#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "engine/html/LinkWeb.h"
#include "engine/maintenance/Orphans.h"
#include "engine/model/LinkStatus.h"
#include "engine/model/Traverse.h"
#include "engine/report/Overview.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

using test::SiteTest;

class LinkWebTest : public SiteTest {
  protected:
    int BrokenEntries(const std::string& path) {
        return static_cast<int>(site_->brokenLinks.count(path));
    }
    bool Links(const std::string& target, const std::string& page) {
        return site_->backLinks.Has(Node(target), Node(page));
    }
    std::vector<std::string> Orphans(bool total) {
        EGatherOrphans gather(*site_, total);
        TTraverse<TIterPreOrderTyped>(site_->Root(), gather).Run("", 50);
        std::vector<std::string> names;
        for (ENode* n : gather.found) names.push_back(site_->SiteRelativePath(n));
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(LinkWebTest, LoadRecordsBackLinksBrokenLinksAndOrphans) {
    EAppSite& site = MakeSite({
        {"index.htm", "<a href=a.htm><a href=missing.htm>\n<a href=MISSING.htm><a href=index.htm>"},
        {"a.htm", "<a href=index.htm><img src=pic.gif>"},
        {"pic.gif", "GIF"},
        {"lost/orphan.htm", "<a href=nowhere.htm><a href=../a.htm>"},
        {"lost/self.htm", "<a href=self.htm>"},
        {"empty/.keep", ""},
    });
    ASSERT_TRUE(Load());
    EXPECT_TRUE(site.IsTracking());
    EXPECT_EQ(site.NodeCount(), 8);  // 3 folders and 5 files: the hidden .keep gets no node
    EXPECT_EQ(site.FolderCount(), 3);
    EXPECT_TRUE(Links("a.htm", "index.htm"));
    EXPECT_TRUE(Links("index.htm", "index.htm"));
    EXPECT_TRUE(Links("pic.gif", "a.htm"));
    EXPECT_TRUE(Links("a.htm", "lost/orphan.htm"));  // an orphan's links are recorded too
    EXPECT_EQ(Broken("index.htm"), 2);               // two occurrences, one entry
    EXPECT_EQ(BrokenEntries("/missing.htm"), 1);
    EXPECT_EQ(Broken("lost/orphan.htm"), 1);
    EXPECT_EQ(site.TotalBrokenCount(), 3);
    EXPECT_EQ(Orphans(false),
              (std::vector<std::string>{"/empty", "/lost", "/lost/orphan.htm", "/lost/self.htm"}));
    // Counted as "nothing links to it", the page that links to itself is no orphan.
    EXPECT_EQ(Orphans(true), (std::vector<std::string>{"/empty", "/lost/orphan.htm"}));
    ExpectConsistent();

    SiteSummaryCounts counts = CountSite(site);
    EXPECT_EQ(counts.files, 5);
    EXPECT_EQ(counts.htmlFiles, 4);
    EXPECT_EQ(counts.imageFiles, 1);
    EXPECT_EQ(counts.otherFiles, 0);
    EXPECT_EQ(counts.brokenLinks, 3);
    EXPECT_EQ(counts.orphans, 2);
}

TEST_F(LinkWebTest, CreatingAMissingFileResolvesTheWaitingPages) {
    MakeSite({{"index.htm", "<a href=missing.htm><a href=missing.htm><a href=b.htm>"},
              {"b.htm", "<a href=sub/missing.htm>"}});
    ASSERT_TRUE(Load());
    EXPECT_EQ(Broken("index.htm"), 2);
    WriteFile("site/missing.htm", "<a href=index.htm>");
    ENode* node = site_->AddPath(SitePath("missing.htm"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Broken("index.htm"), 0);
    EXPECT_EQ(BrokenEntries("/missing.htm"), 0);
    EXPECT_TRUE(Links("missing.htm", "index.htm"));
    EXPECT_TRUE(Links("index.htm", "missing.htm"));  // its own links were recorded
    EXPECT_FALSE(site_->IsOrphan(node));             // reached from the home page
    ExpectConsistent();

    // A new folder with a file: both enter tree and index.
    WriteFile("site/sub/missing.htm", "");
    ASSERT_NE(site_->AddPath(SitePath("sub/missing.htm")), nullptr);
    EXPECT_NE(Node("sub"), nullptr);
    EXPECT_EQ(Broken("b.htm"), 0);
    ExpectConsistent();
}

TEST_F(LinkWebTest, DeletingAFileBreaksEveryPageThatLinkedToIt) {
    MakeSite({{"index.htm", "<a href=t.htm><a href=p1.htm><a href=p2.htm>"},
              {"t.htm", "<a href=index.htm>"},
              {"p1.htm", "<a href=t.htm>"},
              {"p2.htm", "<a href=T.HTM><a href=t.htm>"}});
    ASSERT_TRUE(Load());
    ENode* t = Node("t.htm");
    ::unlink(SitePath("t.htm").c_str());
    site_->RemovePath(SitePath("t.htm"));
    EXPECT_EQ(Node("t.htm"), nullptr);
    EXPECT_EQ(BrokenEntries("/t.htm"), 3);
    EXPECT_EQ(Broken("p2.htm"), 2);
    EXPECT_FALSE(site_->backLinks.Has(t, Node("index.htm")));
    EXPECT_EQ(site_->brokenCountByPage.count(t), 0u);
    ExpectConsistent();
}

TEST_F(LinkWebTest, DeletingAFolderTakesItsSubtreeOutOfTheWeb) {
    MakeSite({{"index.htm", "<a href=d/a.htm><a href=d/e/b.htm>"},
              {"d/a.htm", "<a href=e/b.htm><a href=gone.htm>"},
              {"d/e/b.htm", "<a href=../../index.htm>"}});
    ASSERT_TRUE(Load());
    int nodes = site_->NodeCount();
    RemoveFolderTree(SitePath("d"));
    site_->RemovePath(SitePath("d"));
    EXPECT_EQ(site_->NodeCount(), nodes - 4);
    EXPECT_EQ(Broken("index.htm"), 2);
    EXPECT_EQ(BrokenEntries("/gone.htm"), 0);  // the page that held it is gone
    ExpectConsistent();
}

TEST_F(LinkWebTest, IgnoringABrokenLinkAndBack) {
    MakeSite({{"index.htm", "<a href=old.htm><a href=old.htm><a href=other.htm>"}});
    ASSERT_TRUE(Load());
    site_->IgnoreBrokenLink("/old.htm");
    EXPECT_EQ(Broken("index.htm"), 1);
    EXPECT_EQ(site_->ignoredLinks.count("/OLD.htm"), 1u);
    EXPECT_TRUE(site_->IsIgnoredLink("/old.htm"));
    site_->UnignoreBrokenLink("/old.htm");
    EXPECT_EQ(Broken("index.htm"), 3);
    EXPECT_EQ(site_->ignoredLinks.size(), 0u);
    ExpectConsistent();
}

TEST_F(LinkWebTest, StatusOfEachKindOfLink) {
    MakeSite({{"index.htm", "<a href=a.htm><a href=gone.htm><a href=http://x/><a href=ign.htm>"},
              {"a.htm", ""}});
    WriteFile("home/Config/test_links.txt", "=\n_Ignore\n=\n/ign.htm (1)\n");
    ASSERT_TRUE(Load());
    EHtmlNode* page = Page("index.htm");
    page->ParseUrls(nullptr);
    std::vector<std::string_view> names;
    for (const EUrl& u : page->Urls()) names.push_back(InfoOf(ClassifyLink(u, true)).name);
    EXPECT_EQ(names, (std::vector<std::string_view>{"good", "broken", "external", "ignored"}));
    EXPECT_EQ(ClassifyLink(page->Urls()[1], false), LinkStatus::Untracked);
    EXPECT_EQ(site_->ignoredLinks.size(), 1u);  // pruned to what the pages use, with its page
    EXPECT_EQ(site_->ignoredLinks.begin()->second.page, page);
    EXPECT_EQ(Broken("index.htm"), 1);
}

// The walk takes each page's children from where its back links were queued: in the order of
// the links, a base naming a file not counted as one, and intact when back links are asked
// for halfway (here by the problem sink, which also tells the order pages are read in).
TEST_F(LinkWebTest, WalkOrderSurvivesBaseTargetsAndQuestionsMeanwhile) {
    MakeSite({{"index.htm", "<a href=a.htm>"},
              {"a.htm", "<base href=\"c.htm\"><a href=b.htm><a href=c.htm><a href=gone.htm>"},
              {"b.htm", "<a href=gone.htm><a href=d.htm>"},
              {"c.htm", "<a href=gone.htm>"},
              {"d.htm", "<a href=gone.htm>"}});
    for (int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        LoadOptions options;
        options.jobs = jobs;
        std::vector<std::string> order;
        options.onProblem = [&](EHtmlNode& page, const EUrl&, LinkProblem) {
            order.push_back(page.GetName());
            EXPECT_EQ(site_->backLinks.PagesOf(Node("a.htm")).size(), 1u);
        };
        ASSERT_TRUE(Load(options));
        EXPECT_EQ(order, (std::vector<std::string>{"a.htm", "b.htm", "c.htm", "d.htm"}));
        EXPECT_TRUE(Orphans(false).empty());
        EXPECT_TRUE(Links("c.htm", "a.htm"));
        ExpectConsistent();
    }
}

TEST_F(LinkWebTest, ReachabilityFollowsFixedLinks) {
    MakeSite({{"index.htm", "<a href=gone.htm>"},
              {"far.htm", "<a href=farther.htm>"},
              {"farther.htm", ""}});
    ASSERT_TRUE(Load());
    EXPECT_TRUE(site_->IsOrphan(Node("far.htm")));
    EXPECT_TRUE(site_->IsOrphan(Node("farther.htm")));
    // The home page's link is fixed on disk to point at far.htm.
    WriteFile("site/index.htm", "<a href=far.htm>");
    site_->FixPageLink(Page("index.htm"), "/gone.htm", "/far.htm");
    EXPECT_EQ(Broken("index.htm"), 0);
    EXPECT_EQ(BrokenEntries("/gone.htm"), 0);
    site_->ReevaluateReachability(SitePath("far.htm"));
    EXPECT_FALSE(site_->IsOrphan(Node("far.htm")));
    EXPECT_FALSE(site_->IsOrphan(Node("farther.htm")));
    ExpectConsistent();
}

// Every combination of what a URL record says and what its page's site is: one status each,
// and each status one name, message and icon.
TEST(LinkStatusTest, EveryCombinationOfFlagsHasOneStatus) {
    EFileNode target("/site/a.htm");
    struct Row {
        std::uint16_t flags;
        bool hasTarget, siteTracked, brokenFragment;
        std::string_view name;
        int message;
        LinkIcon icon;
    } rows[] = {
        {EUrl::kExternal, false, true, false, "external", 294, LinkIcon::External},
        {EUrl::kExternal, false, false, false, "external", 294, LinkIcon::External},
        {0, true, false, false, "untracked", 290, LinkIcon::Untracked},
        {0, false, false, false, "untracked", 290, LinkIcon::Untracked},
        {EUrl::kUntracked, false, true, false, "untracked", 290, LinkIcon::Untracked},
        {EUrl::kIgnored, false, true, false, "ignored", 364, LinkIcon::Ignored},
        {0, false, true, false, "broken", 291, LinkIcon::Broken},
        {0, false, true, true, "broken", 291, LinkIcon::Broken},
        {EUrl::kCaseMismatch, true, true, false, "case", 293, LinkIcon::Good},
        {EUrl::kCaseMismatch, true, true, true, "case", 293, LinkIcon::Good},
        {0, true, true, true, "fragment", 293, LinkIcon::Good},
        {0, true, true, false, "good", 293, LinkIcon::Good},
    };
    for (const Row& row : rows) {
        EUrl url;
        url.flags = row.flags;
        url.target = row.hasTarget ? &target : nullptr;
        const LinkStatusInfo& info = InfoOf(ClassifyLink(url, row.siteTracked, row.brokenFragment));
        EXPECT_EQ(info.name, row.name) << row.flags << row.hasTarget << row.siteTracked;
        EXPECT_EQ(info.messageId, row.message) << row.name;
        EXPECT_EQ(info.icon, row.icon) << row.name;
        LinkStatus named;
        ASSERT_TRUE(LinkStatusNamed(row.name, named));
        EXPECT_EQ(&InfoOf(named), &info);
    }
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST_F(LinkWebTest, LinkCountingPassVisitsEveryFileAndCountsReadablePages) {
    MakeSite({{"index.htm", "<a href=a.htm>"},
              {"a.htm", "<img src=p.gif>"},
              {"p.gif", "GIF"},
              {"d/b.htm", ""}});
    ASSERT_TRUE(Load());
    std::set<ENode*> nodes;
    EFindUrlLinks links(nodes, false);
    EXPECT_EQ((TTraverse<TIterPreOrderTyped>(site_->Root(), links).Run("", 50)),
              4);  // 3 pages + 1 file
    EXPECT_EQ(links.count, 3);
    EXPECT_EQ(nodes.size(), 4u);
    EXPECT_TRUE(Page("a.htm")->UrlsParsed());  // URLs stay, tags go
    EXPECT_FALSE(Page("a.htm")->TagsParsed());
}

TEST_F(LinkWebTest, HomePageThatLinksNowhereLeavesEverythingElseOrphaned) {
    MakeSite({{"index.htm", "<p>nothing here</p>"},
              {"a.htm", "<a href=b.htm>"},
              {"b.htm", "<a href=a.htm>"}});
    ASSERT_TRUE(Load());
    EXPECT_EQ(Orphans(false), (std::vector<std::string>{"/a.htm", "/b.htm"}));
    EXPECT_TRUE(Orphans(true).empty());  // they link to each other
    EXPECT_FALSE(site_->IsOrphan(Node("index.htm"), true));
    EXPECT_TRUE(Links("a.htm", "b.htm"));  // orphans' links are recorded
    ExpectConsistent();
}

}  // namespace
}  // namespace tw
