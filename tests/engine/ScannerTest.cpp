#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "engine/html/Scanner.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class ScannerTest : public TestHome {
  protected:
    std::string Digits(std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('0' + i % 10);
        return s;
    }
};

TEST_F(ScannerTest, FileWindowsKeepTheCursorBlockAndReadEachBlockOnce) {
    EScannerFile s(WriteFile("f", Digits(1000)), 512);
    ASSERT_TRUE(s.IsOpen());
    EXPECT_EQ(s.Peek(-1), 0);  // before the start
    s.Advance(10);
    EXPECT_EQ(s.Peek(0), '0');
    EXPECT_EQ(s.ReadCount(), 1);
    EXPECT_EQ(s.Peek(590), '0');  // offset 600 loads block 512 into the other window
    EXPECT_EQ(s.ReadCount(), 2);
    EXPECT_EQ(s.Peek(-5), '5');  // back at 5: still loaded
    EXPECT_EQ(s.ReadCount(), 2);
    EXPECT_EQ(s.Peek(990), 0);  // past the end
}

TEST_F(ScannerTest, SkipToAndReadUntilCrossBlocks) {
    std::string text = std::string(700, 'a') + "<tag>";
    EScannerFile s(WriteFile("f", text), 512);
    std::string out;
    EXPECT_EQ(s.ReadUntil(out, ByteSet("<")), 700u);
    EXPECT_EQ(out, std::string(700, 'a'));
    EXPECT_EQ(s.SkipTo(ByteSet("#")), 705u);
    EXPECT_TRUE(s.IsAtEnd());
    EXPECT_EQ(s.ReadCount(), 2);
}

TEST_F(ScannerTest, ExtractAndAdvanceClamp) {
    for (int kind = 0; kind < 2; ++kind) {
        std::string text = Digits(100);
        EScannerFile file(WriteFile("f", text), 16);
        EScannerString str(text);
        EScanner& s = kind ? static_cast<EScanner&>(file) : str;
        s.Advance(50);
        std::string out;
        EXPECT_EQ(s.Extract(out, 10, 20), "0123456789");
        EXPECT_EQ(s.GetPosition(), 50u);
        out.clear();
        EXPECT_EQ(s.Extract(out, 95, 200), "56789");
        EXPECT_EQ(s.Advance(-80), 0u);
        EXPECT_EQ(s.Advance(500), 100u);
        EXPECT_TRUE(s.IsAtEnd());
    }
}

TEST_F(ScannerTest, UnopenableFileLogsOneEntry) {
    EScannerFile s(PathOf("missing.htm"));
    EXPECT_FALSE(s.IsOpen());
    EXPECT_TRUE(s.IsAtEnd());
    EXPECT_NE(Errors().find("During scan, File open failed<br>\n\t<a href=\"" +
                            FileUrl(PathOf("missing.htm"))),
              std::string::npos)
        << Errors();
}

TEST_F(ScannerTest, FileThatShrinksWhileReadEndsEarly) {
    std::string path = WriteFile("f", Digits(2000));
    EScannerFile s(path, 512);
    EXPECT_EQ(s.Peek(0), '0');
    ASSERT_EQ(::truncate(path.c_str(), 700), 0);
    EXPECT_EQ(s.SkipTo(ByteSet("#")), 700u);
    EXPECT_TRUE(s.IsAtEnd());
    EXPECT_NE(Errors().find("During scan, File read failed"), std::string::npos);
}

TEST(StreamScanner, PeekAtTheEndGivesEndOfFile) {
    std::istringstream in("ab");
    EScannerIstream s(in);
    EXPECT_EQ(s.Length(), 2u);
    EXPECT_EQ(s.Peek(1), 'b');
    s.Advance(2);
    EXPECT_EQ(s.Peek(0), -1);
    EXPECT_EQ(s.Peek(1), 0);
    EXPECT_EQ(s.Peek(-1), 'b');
    EXPECT_TRUE(s.IsAtEnd());
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

// Offsets in a page are 32-bit: a larger page is read up to 2 GiB, and the log says so.
TEST_F(ScannerTest, APageOverTwoGibibytesIsReportedNotCutSilently) {
    std::string path = WriteFile("huge.html", "<a href=x>");
    ASSERT_EQ(::truncate(path.c_str(), (std::int64_t{1} << 31) + 100), 0);  // sparse
    EScannerFile scanner(path);
    EXPECT_EQ(scanner.Length(), static_cast<std::uint32_t>(INT32_MAX));
    EXPECT_NE(Errors().find("Larger than 2 GiB"), std::string::npos) << Errors();
    EXPECT_NE(Errors().find(path), std::string::npos);
}

}  // namespace
}  // namespace tw
