#include <gtest/gtest.h>

#include "engine/model/Iterators.h"
#include "engine/model/Node.h"
#include "engine/model/Traverse.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

// Records the names it visits; can stop after a number of visits.
class NameVisitor : public EVisitor {
  public:
    std::string names;
    int stopAfter = 0;
    bool Note(ENode* n) {
        names += n->GetName() + " ";
        if (stopAfter && ++seen_ == stopAfter) stop = true;
        return true;
    }
    bool VisitFile(EFileNode* n) override { return Note(n); }
    bool VisitHtml(EHtmlNode* n) override { return Note(n); }
    bool VisitDir(EDirNode* n) override { return Note(n); }

  private:
    int seen_ = 0;
};

class CountingProgress : public GUIProgress {
  public:
    int begins = 0, steps = 0, ends = 0;
    void Begin(std::string_view, int, void*) override { ++begins; }
    void End() override { ++ends; }
    void Step(std::string_view, int count) override { steps += count; }
};

class IteratorTest : public TestHome {
  protected:
    // root/{A/{x}, B, p.htm, q.htm}; p links to q and to A/x, q links back to p.
    void SetUp() override {
        TestHome::SetUp();
        root = std::make_unique<EDirNode>(MakeFolder("root"));
        auto a = std::make_unique<EDirNode>(MakeFolder("root/A"));
        auto x = std::make_unique<EFileNode>(WriteFile("root/A/x", ""));
        xNode = x.get();
        a->AddChild(std::move(x));
        root->AddChild(std::move(a));
        root->AddChild(std::make_unique<EDirNode>(MakeFolder("root/B")));
        auto p = std::make_unique<EHtmlNode>(WriteFile("root/p.htm", ""));
        auto q = std::make_unique<EHtmlNode>(WriteFile("root/q.htm", ""));
        pNode = p.get();
        qNode = q.get();
        root->AddChild(std::move(p));
        root->AddChild(std::move(q));
        Link(pNode, qNode);
        Link(pNode, xNode);
        Link(qNode, pNode);
        EUrl external;
        external.Set(EUrl::kExternal);
        pNode->Urls().push_back(external);
    }
    static void Link(EHtmlNode* from, ENode* to) {
        EUrl url;
        url.target = to;
        from->Urls().push_back(url);
    }
    template <typename It>
    static std::string Walk(ENode* start) {
        It it(start);
        std::string names;
        for (it.First(); !it.IsDone(); it.Next()) names += it.CurrentItem()->GetName() + " ";
        return names;
    }

    std::unique_ptr<EDirNode> root;
    EFileNode* xNode = nullptr;
    EHtmlNode* pNode = nullptr;
    EHtmlNode* qNode = nullptr;
};

TEST_F(IteratorTest, PreOrderWalksFolderTreeAndTypedWalkIgnoresLinks) {
    EXPECT_EQ(Walk<TIterPreOrderTyped>(root.get()), "root A x B p.htm q.htm ");
    // Started at a page, the typed walk follows links (to pages only).
    EXPECT_EQ(Walk<TIterPreOrderTyped>(xNode), "x ");
}

TEST_F(IteratorTest, BreadthFirstOverTheWeb) {
    EXPECT_EQ(Walk<TIterBreadthCyclic>(pNode), "p.htm q.htm x ");
    EXPECT_EQ(Walk<TIterBreadthCyclic>(qNode), "q.htm p.htm x ");
    EXPECT_EQ(Walk<TIterBreadthCyclic>(root.get()), "root A B p.htm q.htm x ");
    // The dropping variant frees each page once its links are queued.
    EXPECT_EQ(Walk<TIterBreadthCyclic2>(pNode), "p.htm q.htm x ");
    EXPECT_TRUE(pNode->Urls().empty());
    EXPECT_TRUE(qNode->Urls().empty());
}

TEST_F(IteratorTest, TraverseCountsStopsAndSkipsEmptyWalks) {
    NameVisitor all;
    CountingProgress progress;
    EXPECT_EQ((TTraverse<TIterPreOrderTyped>(root.get(), all).Run("t", -1, &progress)), 6);
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.steps, 6);
    EXPECT_EQ(progress.ends, 1);

    NameVisitor third;
    third.stopAfter = 3;
    EXPECT_EQ((TTraverse<TIterPreOrderTyped>(root.get(), third).Run("t", -1)), -1);
    EXPECT_EQ(third.names, "root A x ");

    // An empty walk returns 0 and never touches the progress.
    CountingProgress untouched;
    NameVisitor none;
    EXPECT_EQ((TTraverse<TIterPreOrderTyped>(nullptr, none).Run("t", -1, &untouched)), 0);
    EXPECT_EQ((TTraverse<TIterBreadthCyclic2>(nullptr, none).Run("t", -1, &untouched)), 0);
    EXPECT_EQ(untouched.begins, 0);
    EXPECT_EQ(none.names, "");
}

class CancelAt : public GUIProgress {
  public:
    explicit CancelAt(int n) : n_(n) {}
    void SetFolder(std::string_view, bool* cancel) override { *cancel = ++calls_ >= n_; }

  private:
    int n_, calls_ = 0;
};

TEST_F(IteratorTest, CancelFromTheProgressEndsTheRun) {
    NameVisitor v;
    CancelAt cancel(3);
    EXPECT_EQ((TTraverse<TIterPreOrderTyped>(root.get(), v).Run("t", -1, &cancel)), -1);
    // The node whose folder change brought the cancel is still visited.
    EXPECT_EQ(v.names, "root A x ");
}

}  // namespace
}  // namespace tw
