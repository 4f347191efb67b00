#include <gtest/gtest.h>

#include "core/platform/ProgramFolders.h"
#include "core/settings/Profile.h"
#include "core/settings/UserExtensibleList.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;
using Strings = std::vector<std::string>;

class UserListTest : public TestHome {};

TEST_F(UserListTest, DefineEntryIsAlwaysLastAndNeverInTheText) {
    GUserExtensibleList list({"htm", "asp", "html"}, "HtmlExtensions", true);
    EXPECT_EQ(list.Items(), (Strings{"asp", "htm", "html", "Define..."}));
    EXPECT_EQ(list.GetAsText(';'), "asp;htm;html;");

    list.SetFromText(";a;;b;", ';');
    EXPECT_EQ(list.Items(), (Strings{"a", "b", "Define..."}));
    EXPECT_EQ(list.GetAsText(';'), "a;b;");
    list.SetFromText("", ';');  // empty text means the defaults
    EXPECT_EQ(list.GetAsText(';'), "asp;htm;html;");

    GUserExtensibleList empty;
    EXPECT_EQ(empty.GetAsText(';'), "");
    list.SetSorted(false);
    list.SetFromText("z;y", ';');
    list.SetSorted(true);
    EXPECT_EQ(list.Items(), (Strings{"y", "z", "Define..."}));
}

TEST_F(UserListTest, SaveAndLoadThroughTheProfile) {
    GUserExtensibleList list({"html", "htm"}, "HtmlExtensions", false);
    list.Load();  // nothing stored: the defaults
    EXPECT_EQ(list.RealItems(), (Strings{"html", "htm"}));

    list.SetFromText("a;b;c;d;e", ';');
    list.SetCurrent("c");
    list.Save();
    list.SetFromText("x;y;z", ';');
    list.Save();
    std::string file = ProfileFilePath();
    EXPECT_EQ(profile::ReadString(file, "HtmlExtensions", "Item3", ""), "z");
    EXPECT_EQ(profile::ReadString(file, "HtmlExtensions", "Item4", "none"), "none");
    EXPECT_EQ(profile::ReadString(file, "HtmlExtensions", "Item5", "none"), "none");

    GUserExtensibleList again({"q"}, "HtmlExtensions", false);
    again.Load();
    EXPECT_EQ(again.RealItems(), (Strings{"x", "y", "z"}));
    EXPECT_EQ(again.GetCurrent(), "c");
    EXPECT_EQ(ReadJoined("HtmlExtensions", ';'), "x;y;z;");
    EXPECT_EQ(ReadJoined("Nothing", ';'), "");
}

TEST_F(UserListTest, EmptyEntryEndsTheStoredList) {
    GUserExtensibleList list({"d"}, "ServerDefault", false);
    WriteFile("home/Tidewright.ini", "[ServerDefault]\nItem1=a\nItem2=\nItem3=c\n");
    list.Load();
    EXPECT_EQ(list.RealItems(), (Strings{"a"}));
    EXPECT_EQ(ReadJoined("ServerDefault", ','), "a,");
}

TEST_F(UserListTest, NamedProfileFileHasNoFallbackAndCutsLongValues) {
    std::string file =
        WriteFile("other.ini", "[L]\nCurrent=k\nItem1=" + std::string(300, 'v') + "\n");
    GUserExtensibleList list({"d"}, "L", false);
    list.Load(file);
    ASSERT_EQ(list.RealItems().size(), 1u);
    EXPECT_EQ(list.RealItems()[0].size(), 255u);
    GUserExtensibleList none({"d"}, "Missing", false);
    none.Load(file);
    EXPECT_TRUE(none.RealItems().empty());
    EXPECT_EQ(none.Items(), (Strings{"Define..."}));
}

}  // namespace
}  // namespace tw
