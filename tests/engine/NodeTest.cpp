#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/FileUtils.h"
#include "core/settings/UserExtensibleList.h"
#include "core/strings/CaseFold.h"
#include "engine/model/Node.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class NodeTest : public TestHome {};

TEST_F(NodeTest, ClassifiesFromOneProbe) {
    struct Case {
        const char* name;
        std::string content;
        bool html;
        bool ascii;
    } cases[] = {
        {"page.HTM", "plain", true, true},
        {"page.txt", "x <HTML> y <HeAd> z", true, true},
        {"only.txt", "<html> without the other", false, true},
        {"e9.dat", "caf\xe9", false, false},
        {"a9.dat", "\xa9 2001", false, true},
        {"utf8.html", "caf\xc3\xa9", true, true},  // HTML is text whatever its bytes
        {"noext", "<head><html>", true, true},
        {"late.txt", std::string(600, ' ') + "<html><head>", false, true},
        {"dotted.dir.x/file", "x", false, true},
    };
    ENodeCreator creator;
    for (const Case& c : cases) {
        std::string path = WriteFile(std::string("c/") + c.name, c.content);
        auto node = creator.Create(path);
        auto* page = dynamic_cast<EHtmlNode*>(node.get());
        EXPECT_EQ(page != nullptr, c.html) << c.name;
        auto* file = dynamic_cast<EFileNode*>(node.get());
        ASSERT_NE(file, nullptr) << c.name;
        EXPECT_EQ(file->IsAscii(), c.ascii) << c.name;
        EXPECT_EQ(IsHtmlFile(path), c.html) << c.name;
    }
    EXPECT_TRUE(dynamic_cast<EDirNode*>(creator.Create(PathOf("c")).get()));
    auto missing = creator.Create(PathOf("missing.htm"));
    EXPECT_FALSE(missing->Exists());
    EXPECT_EQ(missing->GetAttributes(), 0u);
    EXPECT_FALSE(IsHtmlFile(PathOf("c")));
}

TEST_F(NodeTest, DefaultListsAreStoredAndUserListsAreHonoured) {
    EHtmlNode first(WriteFile("a.asp", "x"));
    EXPECT_TRUE(first.IsHtml());
    EXPECT_EQ(ReadJoined("HtmlExtensions", ';'), "html;htm;cfm;asp;php3;");
    EXPECT_EQ(ReadJoined("LiteralHtmlText", ';'), "<html>;<head>;");
    GUserExtensibleList ext({"shtml"}, "HtmlExtensions", false);
    ext.Save();
    EXPECT_FALSE(EHtmlNode(PathOf("a.asp")).IsHtml());
    EXPECT_TRUE(EHtmlNode(WriteFile("b.SHTML", "x")).IsHtml());
}

TEST_F(NodeTest, ChildrenStaySortedWithoutRegardToCase) {
    EDirNode dir(MakeFolder("d"));
    for (const char* name : {"b.htm", "A.htm", "c", "a.htm"})
        dir.AddChild(std::make_unique<EFileNode>(WriteFile(std::string("d/") + name, "")));
    std::string order;
    for (const auto& child : dir.Children()) order += child->GetName() + " ";
    EXPECT_EQ(order, "A.htm a.htm b.htm c ");
    ENode* found = nullptr;
    ASSERT_TRUE(dir.FindChild("A.HTM", &found));
    EXPECT_EQ(found->GetName(), "A.htm");  // first in order without an exact match
    ASSERT_TRUE(dir.FindChild("a.htm", &found));
    EXPECT_EQ(found->GetName(), "a.htm");  // the exact match wins
    ASSERT_TRUE(dir.FindChild(PathOf("d/B.HTM"), &found));
    EXPECT_EQ(found->GetName(), "b.htm");
    EXPECT_FALSE(dir.FindChild("zzz", nullptr));

    auto removed = dir.RemoveChild(found);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->GetParent(), nullptr);
    EXPECT_EQ(dir.Children().size(), 3u);
    EXPECT_FALSE(dir.RemoveChild(removed.get()));
}

TEST_F(NodeTest, PathsRenamesAndRebuilds) {
    EDirNode root(MakeFolder("site"));
    auto sub = std::make_unique<EDirNode>(MakeFolder("site/sub"));
    EDirNode* subNode = sub.get();
    root.AddChild(std::move(sub));
    auto file = std::make_unique<EFileNode>(WriteFile("site/sub/a.htm", "x"));
    EFileNode* fileNode = file.get();
    subNode->AddChild(std::move(file));
    EXPECT_EQ(fileNode->RebuildPath(), PathOf("site/sub/a.htm"));
    EXPECT_EQ(fileNode->GetDirectory(), PathOf("site/sub"));

    ASSERT_TRUE(subNode->Rename("renamed"));
    EXPECT_EQ(subNode->GetPath(), PathOf("site/renamed"));
    EXPECT_EQ(fileNode->GetPath(), PathOf("site/sub/a.htm"));  // not yet recomputed
    EXPECT_EQ(fileNode->RebuildPath(), PathOf("site/renamed/a.htm"));
    fileNode->RecomputePath();
    EXPECT_EQ(fileNode->GetPath(), PathOf("site/renamed/a.htm"));
    EXPECT_TRUE(PathExists(fileNode->GetPath()));

    EXPECT_FALSE(EFileNode(PathOf("nothing")).Rename("x"));
    WriteFile("site/renamed/taken", "");
    EXPECT_FALSE(fileNode->Rename("taken"));
    EXPECT_EQ(fileNode->GetPath(), PathOf("site/renamed/a.htm"));
}

TEST_F(NodeTest, AttributesAndWritability) {
    EFileNode hidden(WriteFile(".hidden.htm", ""));
    std::string text;
    EXPECT_TRUE(hidden.GetAttributeText(text));
    EXPECT_EQ(text, "hidden");
    ::mkfifo(PathOf("fifo").c_str(), 0600);
    EFileNode fifo(PathOf("fifo"));
    EXPECT_TRUE(fifo.IsSystem());
    EXPECT_TRUE(fifo.GetAttributeText(text));
    EXPECT_EQ(text, "system");
    EFileNode plain(WriteFile("p.htm", "abc"));
    EXPECT_FALSE(plain.GetAttributeText(text));
    EXPECT_EQ(plain.GetFileSize(), 3);
    ASSERT_TRUE(plain.SetWritable(false));
    EXPECT_TRUE(plain.IsReadOnly());
    ASSERT_TRUE(plain.SetWritable(true));
    EXPECT_FALSE(plain.IsReadOnly());
    EXPECT_TRUE(EDirNode(Root()).IsFolder());
}

TEST_F(NodeTest, LineTableCountsCrLfOnceAtTheCr) {
    EFileNode node(WriteFile("l.txt", "a\r\nb\r\n"));
    ASSERT_TRUE(node.BuildLineTable());
    EXPECT_EQ(node.LineTable(), (std::vector<std::int32_t>{1, 4, 6}));
    struct Case {
        std::uint32_t offset, line;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {5, 3}, {6, 3}, {99, 3}};
    for (const Case& c : cases) EXPECT_EQ(node.LineFromOffset(c.offset), c.line) << c.offset;

    EFileNode nul(WriteFile("nul.txt", std::string("a\0b\nc\n", 6)));
    EXPECT_EQ(nul.LineFromOffset(4), 2u);  // a NUL does not hide the line ends after it
    EFileNode gone(PathOf("gone.txt"));
    EXPECT_EQ(gone.LineFromOffset(10), 1u);
    EXPECT_NE(Errors().find("File open failed"), std::string::npos);
}

TEST_F(NodeTest, ParseTagsCachesAndReportsUnreadableFiles) {
    std::string path = WriteFile("p.htm", "<a href=x>");
    EHtmlNode page(path);
    EXPECT_EQ(page.ParseTags(nullptr), ParseResult::Ok);
    EXPECT_TRUE(page.TagsParsed());
    ::unlink(path.c_str());
    EXPECT_EQ(page.ParseTags(nullptr), ParseResult::Ok);  // cached
    page.ClearTags();
    EXPECT_TRUE(page.Tags().empty());
    EXPECT_EQ(page.ParseTags(nullptr), ParseResult::Unreadable);
    EXPECT_FALSE(page.TagsParsed());
}

TEST_F(NodeTest, BaseDirectoryComesFromTheBaseTagOrTheFolder) {
    EDirNode root(MakeFolder("s"));
    auto page = std::make_unique<EHtmlNode>(WriteFile("s/p.htm", "<html>"));
    EHtmlNode* p = page.get();
    root.AddChild(std::move(page));
    EXPECT_EQ(p->GetBaseDirectory(false), PathOf("s/"));
    p->baseHref = "http://example.com/docs/";
    EXPECT_EQ(p->GetBaseDirectory(false), "http://example.com/docs/");
    p->baseNode = &root;
    EXPECT_EQ(p->GetBaseDirectory(true), PathOf("s/"));
}

}  // namespace
}  // namespace tw

#include "engine/model/PathIndex.h"

namespace tw {
namespace {

TEST(PathIndex, FindsEveryNodeThroughGrowthAndRemoval) {
    std::vector<std::unique_ptr<ENode>> nodes;
    EPathIndex index;
    for (int i = 0; i < 3000; ++i) {
        std::string path = "/nowhere/Dir" + std::to_string(i % 50) + "/Item" + std::to_string(i);
        if (i % 3 == 0)
            nodes.push_back(std::make_unique<EDirNode>(path));
        else
            nodes.push_back(std::make_unique<EFileNode>(path));
        index.Insert(nodes.back().get());
    }
    EXPECT_EQ(index.size(), 3000u);
    for (const auto& node : nodes) {
        bool isFolder = !node->IsFolder();
        EXPECT_EQ(index.Find(FoldCase(node->GetPath()) + "/", &isFolder), node.get());
        EXPECT_EQ(isFolder, node->IsFolder());
    }
    for (std::size_t i = 0; i < nodes.size(); i += 2)
        index.Erase(nodes[i].get(), nodes[i]->GetPath());
    for (std::size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(index.Find(nodes[i]->GetPath()), i % 2 ? nodes[i].get() : nullptr) << i;
    EXPECT_EQ(index.Find("/nowhere/none"), nullptr);
}

}  // namespace
}  // namespace tw
