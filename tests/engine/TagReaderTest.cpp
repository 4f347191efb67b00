#include <gtest/gtest.h>

#include <sstream>

#include "core/log/Section.h"
#include "core/strings/ShortenPath.h"
#include "engine/html/Scanner.h"
#include "engine/html/TagReader.h"
#include "engine/model/Node.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

// "name start-end [/] attr=value@offset ..." for each tag, separated by " | ".
std::string Describe(const std::vector<ETag>& tags) {
    std::ostringstream out;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const ETag& t = tags[i];
        if (i) out << " | ";
        out << (t.isEnd ? "/" : "") << t.name << " " << t.start << "-" << t.end;
        for (const auto& [name, attr] : t.attributes)
            out << " " << name << "=" << attr.value << "@" << attr.valueOffset;
    }
    return out.str();
}

struct TagCase {
    const char* html;
    const char* tags;
    int status;  // 0 read cleanly, 3 syntax errors (ParseResult's values)
};

TEST(TagReader, ReadsTagsWithByteExactOffsets) {
    const TagCase cases[] = {
        {"<A HREF = 'x.htm'>", "a 0-17 href=x.htm@11", 0},
        {"<img src=a.gif alt>", "img 0-18 src=a.gif@9 alt=@15", 0},
        {"<a href='x.htm>", "a 0-14 href=x.htm@9", 3},
        {"<a href='x.htm'<b>", "b 15-17", 3},
        {"x > y", "", 3},
        {"<!-- <a href='x.htm'> -->", "<!-- 0-3 | /--> 22-24", 0},
        {"<% if a > b %>", "<!-- 0-1 | /--> 12-13", 0},
        {"text --> more", "", 3},
        {"%>", "", 3},
        {"<a href=x", "", 3},
        {"</P >", "/p 0-4", 0},
        {"< / td>", "/ 0-6 td=@4", 0},  // a space after the slash leaves the name empty
        {"< /td>", "/td 0-5", 0},
        {"<a href=\"1\" HREF=\"2\">", "a 0-20 href=2@18", 0},
        {"<p\tclass=\"a b\"\r\nid=z>", "p 0-20 class=a b@10 id=z@19", 0},
        {"<!--a--><!-->b-->", "<!-- 0-3 | /--> 5-7 | <!-- 8-11 | /--> 10-12", 3},
        {"<!-- <% x %> --> <i>", "<!-- 0-3 | /--> 10-11 | i 17-19", 3},
        {"<a href=>", "a 0-8 href=@8", 0},
        {"<>", " 0-1", 0},
        // A bracket inside a quoted value belongs to the value, as browsers read it.
        {"<a title='x>y'>", "a 0-14 title=x>y@10", 0},
        {"<a title=\"a < b\" href=c>", "a 0-23 title=a < b@10 href=c@22", 0},
        // A quote that is really missing does not swallow the next tag's value.
        {"<a href=\"x.htm>L</a> <a href=\"y.htm\">",
         "a 0-14 href=x.htm@9 | /a 16-19 | a 21-36 href=y.htm@30", 3},
        {"<!-- never closed <a href=x>", "<!-- 0-3", 0},
        {"", "", 0},
    };
    for (const TagCase& c : cases) {
        EScannerString scanner(c.html);
        std::vector<ETag> tags;
        int status = static_cast<int>(ReadAllTags(scanner, tags, nullptr, nullptr));
        EXPECT_EQ(Describe(tags), c.tags) << c.html;
        EXPECT_EQ(status, c.status) << c.html;
    }
}

TEST(TagReader, CommentStateDoesNotLeakIntoTheNextInput) {
    ETagReader reader;
    ETag tag;
    ParseResult status = ParseResult::Ok;
    EScannerString first("<!-- open");
    ASSERT_TRUE(reader.GetNextTag(tag, first, status, nullptr, nullptr, 0));
    EXPECT_TRUE(reader.InComment());
    EXPECT_FALSE(reader.GetNextTag(tag, first, status, nullptr, nullptr, 0));
    EXPECT_FALSE(reader.InComment());
    EScannerString second("<b>");
    ASSERT_TRUE(reader.GetNextTag(tag, second, status, nullptr, nullptr, 0));
    EXPECT_EQ(tag.name, "b");
}

TEST(TagReader, StreamScannerReadsTheSameTags) {
    std::istringstream in("<img src=x.gif><a href='y.htm'>");
    EScannerIstream scanner(in);
    std::vector<ETag> tags;
    EXPECT_EQ(ReadAllTags(scanner, tags, nullptr, nullptr), ParseResult::Ok);
    EXPECT_EQ(Describe(tags), "img 0-14 src=x.gif@9 | a 15-30 href=y.htm@24");
}

class TagFileTest : public TestHome {};

// A byte 0xFF is a byte like any other for every scanner (it once ended a value read from
// memory early, as if the input had ended there).
TEST_F(TagFileTest, MemoryAndFileReadTheSameTagsWhateverTheBytes) {
    using namespace std::string_literals;
    const std::string html = "<img src=\"a<b\xFF\xFE\0c\" alt=x><a href='\xFF.htm'>"s;
    std::string path = WriteFile("bytes.htm", html);
    EScannerString memory(html);
    EScannerFile file(path);
    std::vector<ETag> fromMemory, fromFile;
    ReadAllTags(memory, fromMemory, nullptr, nullptr);
    ReadAllTags(file, fromFile, nullptr, nullptr);
    EXPECT_EQ(Describe(fromMemory), Describe(fromFile));
    ASSERT_FALSE(fromMemory.empty());
    EXPECT_EQ(fromMemory[0].Find("src")->value, std::string("a<b\xFF\xFE\0c", 7));
}

TEST_F(TagFileTest, SyntaxErrorEntriesNameLineContextAndFile) {
    std::string page = WriteFile("site/page.htm", "<p>\r\nline two\r\nx > y\n<a href='b.htm>\n");
    EHtmlNode node(page);
    ESection section(0, PathOf("errors.txt"));
    EXPECT_EQ(node.ParseTags(&section), ParseResult::SyntaxErrors);
    ASSERT_EQ(node.Tags().size(), 2u);
    EXPECT_EQ(node.Tags()[1].Find("href")->valueOffset, 30u);
    std::string in = "\tin " + ShortenPath(page, 58) + "\n\n";
    EXPECT_EQ(section.Contents(),
              "   line    3: HTML syntax error, no starting \"<\" near\n"
              "\t&lt;p&gt;line twox &gt; y&lt;a hre\n" +
                  in +
                  "   line    4: HTML syntax error, no end quote on attribute near\n"
                  "\t='b.htm&gt;\n" +
                  in);
    // The line table was collected during the same read.
    EXPECT_EQ(node.LineTable(), (std::vector<std::int32_t>{3, 13, 20, 36, 37}));
}

TEST_F(TagFileTest, UnclosedCommentAndDroppedTagReportNearTheirLines) {
    std::string page = WriteFile("p.htm", "a\nb --> c\n<a href='x'<b>\n");
    EHtmlNode node(page);
    ESection section(0, PathOf("errors.txt"));
    EXPECT_EQ(node.ParseTags(&section), ParseResult::SyntaxErrors);
    std::string text = section.Contents();
    EXPECT_NE(
        text.find("line    2: HTML syntax error, no matching open comment near\n\tab --&gt;\n"),
        std::string::npos)
        << text;
    EXPECT_NE(
        text.find(
            "line    3: HTML syntax error, no closing \">\" near\n\t&lt;a href='x'&lt;b&gt;\n"),
        std::string::npos)
        << text;
}

// Whatever the window size, a file reads exactly like the same text in memory: tags split
// across windows, look-behind across a boundary and errors near one included.
TEST_F(TagFileTest, WindowBoundariesChangeNothing) {
    std::string doc;
    for (int i = 0; i < 40; ++i) {
        doc += "<a href='page" + std::to_string(i) + ".htm' title=\"t " + std::to_string(i) +
               "\">x</a>\r\n<!-- c" + std::to_string(i) + " --> y > z <% s %>\n<img src=i.gif alt>";
    }
    doc += "<a href='unterminated>tail";
    std::string path = WriteFile("w.htm", doc);
    EScannerString reference(doc);
    std::vector<ETag> expected;
    ParseResult expectedStatus = ReadAllTags(reference, expected, nullptr, nullptr);
    for (std::uint32_t window : {16u, 17u, 31u, 512u, 65536u}) {
        EScannerFile file(path, window);
        std::vector<ETag> tags;
        EXPECT_EQ(ReadAllTags(file, tags, nullptr, nullptr), expectedStatus) << window;
        EXPECT_EQ(Describe(tags), Describe(expected)) << window;
    }
}

TEST_F(TagFileTest, FixturesOfBadInputReadWithoutHarm) {
    struct Case {
        const char* file;
        int status;
        std::size_t tags;
    } cases[] = {
        {"empty.htm", 0, 0},
        {"binary.htm", 3, 0},
        {"nul-bytes.htm", 0, 4},
        {"unterminated-comment.htm", 0, 2},
        {"unterminated-quote.htm", 3, 2},
        {"unterminated-tag.htm", 3, 1},
        {"cr-only.htm", 0, 5},
        {"lf-only.htm", 0, 5},
        {"attributes.htm", 0, 3},
    };
    for (const Case& c : cases) {
        std::string path = std::string(TW_FIXTURES) + "/html/" + c.file;
        EHtmlNode node(path);
        ESection section(0, ESection::Stream::None);
        EXPECT_EQ(static_cast<int>(node.ParseTags(&section)), c.status) << c.file;
        EXPECT_EQ(node.Tags().size(), c.tags) << c.file;
        EXPECT_EQ(node.LineTable().back(), static_cast<std::int32_t>(node.GetFileSize())) << c.file;
    }
}

TEST_F(TagFileTest, CrOnlyAndLfOnlyLinesAgree) {
    EHtmlNode cr(std::string(TW_FIXTURES) + "/html/cr-only.htm");
    EHtmlNode lf(std::string(TW_FIXTURES) + "/html/lf-only.htm");
    ASSERT_EQ(cr.ParseTags(nullptr), ParseResult::Ok);
    ASSERT_EQ(lf.ParseTags(nullptr), ParseResult::Ok);
    for (std::size_t i = 0; i < cr.Tags().size(); ++i)
        EXPECT_EQ(cr.LineFromOffset(cr.Tags()[i].start), lf.LineFromOffset(lf.Tags()[i].start));
    EXPECT_EQ(cr.LineFromOffset(cr.Tags().back().start), 4u);
}

TEST_F(TagFileTest, LargePageReadsInOnePass) {
    std::string chunk = "<p class=x>" + std::string(1000, 'w') + "</p>\n";
    std::string doc;
    doc.reserve(50u << 20);
    while (doc.size() < (50u << 20)) doc += chunk;
    std::string path = WriteFile("big.htm", doc);
    EHtmlNode node(path);
    EXPECT_EQ(node.ParseTags(nullptr), ParseResult::Ok);
    EXPECT_EQ(node.Tags().size(), 2 * (doc.size() / chunk.size()));
    EXPECT_EQ(node.LineFromOffset(static_cast<std::uint32_t>(doc.size() - 1)),
              doc.size() / chunk.size());
}

TEST_F(TagFileTest, TitleIsTheRawTextAfterTheTitleTag) {
    EHtmlNode page(WriteFile("t.htm", "<html><head><TITLE>A &amp; B</title></head>"));
    EXPECT_EQ(GetTitle(page), "A &amp; B");
    EXPECT_FALSE(page.TagsParsed());  // parsed only for the title
    EHtmlNode last(WriteFile("l.htm", "<title>to the end"));
    EXPECT_EQ(GetTitle(last), "to the end");
    EHtmlNode none(WriteFile("n.htm", "<html>no title"));
    EXPECT_EQ(GetTitle(none), "");
    EHtmlNode text(WriteFile("x.txt", "<title>not html"));
    EXPECT_EQ(GetTitle(text), "");
}

TEST(ShortenPath, KeepsBothEndsThatFit) {
    struct Case {
        const char* path;
        std::size_t max;
        const char* expected;
    } cases[] = {
        {"C:/web/site/docs/archive/2001/page.htm", 30, "C:/web/site/.../2001/page.htm"},
        {"C:/web/site/docs/archive/2001/page.htm", 20, "C:/.../2001/page.htm"},
        {"C:/web/site/docs/archive/2001/page.htm", 38, "C:/web/site/docs/archive/2001/page.htm"},
        {"a-file-name-of-forty-characters-long.htm", 30, "..."},
        {"/home/me/sites/example/docs/page.htm", 25, "/home/.../docs/page.htm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortenPath(c.path, c.max), c.expected) << c.path << " " << c.max;
}

}  // namespace
}  // namespace tw
