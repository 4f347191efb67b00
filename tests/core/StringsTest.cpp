#include <gtest/gtest.h>

#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"

namespace tw {
namespace {

TEST(StringTable, LooksUpByNumber) {
    EXPECT_EQ(LoadString(30016), "File open failed");
    EXPECT_EQ(LoadString(28697), "HTML syntax error, no closing \">\" near");
    EXPECT_EQ(LoadString(30000), "Define...");
    EXPECT_EQ(LoadString(1), "");
    EXPECT_EQ(LoadString(99999), "");
}

TEST(MessageRule, FillsTemplates) {
    struct Case {
        const char* templ;
        std::initializer_list<std::string_view> args;
        const char* expected;
    } cases[] = {
        {"a %1 b %2", {"x", "y"}, "a x b y"},
        {"%2%1", {"x", "y"}, "yx"},
        {"%3 missing", {"x"}, "? missing"},
        {"%1 empty", {""}, " empty"},
        {"100% sure %d %%", {"x"}, "100% sure %d %%"},
        {"%9", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "9"},
        {"%0 stays", {"x"}, "%0 stays"},
        {"trailing %", {}, "trailing %"},
        {"%1%1", {"ab"}, "abab"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatMessage(c.templ, c.args), c.expected) << c.templ;
    EXPECT_EQ(LoadMessage(313, {"/a b/c.htm"}), "<a href=\"file:////a b/c.htm\">/a b/c.htm</a>");
}

TEST(CaseFold, FoldsUtf8LettersNotOnlyAscii) {
    EXPECT_EQ(FoldCase("INDEX.HTM"), "index.htm");
    EXPECT_EQ(FoldCase("ÄÖÜ-Été"), "äöü-été");
    EXPECT_TRUE(EqualsNoCase("Straße/ÉCOLE.html", "straße/école.HTML"));
    EXPECT_LT(CompareNoCase("A.htm", "b.htm"), 0);
    EXPECT_GT(CompareNoCase("c", "B"), 0);
    EXPECT_EQ(FoldCase(std::string("\xff\xc3", 2)), std::string("\xff\xc3", 2));  // invalid kept
    EXPECT_EQ(AsciiLower("ÉA"), "Éa");
}

TEST(PathText, SplitsNativePaths) {
    EXPECT_EQ(PathName("/site/docs/a.htm"), "a.htm");
    EXPECT_EQ(PathDirectory("/site/docs/a.htm"), "/site/docs");
    EXPECT_EQ(StripTrailingSep("/site//"), "/site");
    EXPECT_EQ(StripTrailingSep("/"), "/");
    EXPECT_EQ(JoinPath("/site/", "a"), "/site/a");
    EXPECT_EQ(PathExtension("/x.y/file.HTM"), "HTM");
    EXPECT_EQ(PathExtension("/x.y/file"), "");
}

}  // namespace
}  // namespace tw
