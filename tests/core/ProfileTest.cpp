#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/DirectoryEnumerator.h"
#include "core/settings/Profile.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class ProfileTest : public TestHome {};

TEST_F(ProfileTest, MissingFileSectionOrEntryGivesDefault) {
    std::string file = PathOf("none.ini");
    EXPECT_EQ(profile::ReadString(file, "S", "k", "def"), "def");
    WriteFile("p.ini", "[S]\nk=v\n");
    EXPECT_EQ(profile::ReadString(PathOf("p.ini"), "T", "k", "d1"), "d1");
    EXPECT_EQ(profile::ReadString(PathOf("p.ini"), "S", "other", "d2"), "d2");
}

TEST_F(ProfileTest, MatchesSectionsAndEntriesWithoutCase) {
    std::string file = WriteFile("p.ini", "[Settings]\n1ShowTitles = 0 \nName=\"quoted\"\n");
    EXPECT_EQ(profile::ReadString(file, "settings", "1SHOWTITLES", "x"), "0");
    EXPECT_EQ(profile::ReadString(file, "SETTINGS", "name", "x"), "quoted");
}

TEST_F(ProfileTest, JunkReadsWithoutLossAndWritesKeepUntouchedLines) {
    std::string big(1 << 20, 'z');
    std::string junk =
        "garbage line\r\n[A]\r\nk1=v1\r\nno equals here\r\n\x01\x02\xff=bin\r\n"
        "[B]\nk=b1\n[A]\nk1=second\nk2=only-in-second\n; comment\nlong=" +
        big + "\n[C]\nlast=no-newline";
    std::string file = WriteFile("junk.ini", junk);
    EXPECT_EQ(profile::ReadString(file, "A", "k1", ""), "v1");  // first section wins
    EXPECT_EQ(profile::ReadString(file, "B", "k", ""), "b1");
    EXPECT_EQ(profile::ReadString(file, "C", "last", ""), "no-newline");
    EXPECT_EQ(profile::ReadString(file, "A", "\x01\x02\xff", ""), "bin");

    ASSERT_TRUE(profile::WriteString(file, "B", "new", std::string_view("n")));
    ASSERT_TRUE(profile::WriteString(file, "a", "K1", std::string_view("changed")));
    std::string after = ReadFile(file);
    for (std::string_view kept :
         {"garbage line", "no equals here", "; comment", "k2=only-in-second", "last=no-newline"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept;
    EXPECT_NE(after.find(big), std::string::npos);
    EXPECT_EQ(profile::ReadString(file, "A", "k1", ""), "changed");
    EXPECT_EQ(profile::ReadString(file, "B", "new", ""), "n");
    EXPECT_EQ(profile::ReadString(file, "B", "k", ""), "b1");
}

TEST_F(ProfileTest, WritingNoValueDeletesTheEntry) {
    std::string file = PathOf("p.ini");
    ASSERT_TRUE(profile::WriteString(file, "S", "a", std::string_view("1")));
    ASSERT_TRUE(profile::WriteString(file, "S", "b", std::string_view("2")));
    ASSERT_TRUE(profile::WriteString(file, "S", "a", std::nullopt));
    EXPECT_EQ(profile::ReadString(file, "S", "a", "gone"), "gone");
    EXPECT_EQ(ReadFile(file), "[S]\nb=2\n");
    ASSERT_TRUE(profile::DeleteSection(file, "s"));
    EXPECT_FALSE(profile::HasSection(file, "S"));
}

TEST_F(ProfileTest, ReadsReflectChangesMadeBehindItsBack) {
    std::string file = PathOf("p.ini");
    ASSERT_TRUE(profile::WriteString(file, "S", "k", std::string_view("one")));
    EXPECT_EQ(profile::ReadString(file, "S", "k", ""), "one");
    WriteFile("p.ini", "[S]\nk=two-longer\n");  // another program rewrites it
    EXPECT_EQ(profile::ReadString(file, "S", "k", ""), "two-longer");
    ::unlink(file.c_str());
    EXPECT_EQ(profile::ReadString(file, "S", "k", "def"), "def");
}

TEST_F(ProfileTest, CreatesMissingFolderAndFailsQuietlyWhenReadOnly) {
    std::string file = PathOf("deep/er/p.ini");
    EXPECT_TRUE(profile::WriteString(file, "S", "k", std::string_view("v")));
    EXPECT_EQ(profile::ReadString(file, "S", "k", ""), "v");
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    std::string folder = MakeFolder("ro");
    std::string ro = folder + "/p.ini";
    ::chmod(folder.c_str(), 0555);
    EXPECT_FALSE(profile::WriteString(ro, "S", "k", std::string_view("v")));
    EXPECT_EQ(profile::ReadString(ro, "S", "k", "def"), "def");
    ::chmod(folder.c_str(), 0755);
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndLeavesNoTemporaryFiles) {
    std::string file = WriteFile("w/p.ini", "[S]\nk=v\n");
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(profile::WriteString(file, "S", "k", std::string_view("w")));
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    DirectoryEnumerator folder(PathOf("w/"), "*");
    std::string name, names;
    while (folder.Next(name, false)) names += name + " ";
    EXPECT_EQ(names, "p.ini ");
    EXPECT_EQ(ReadFile(file), "[S]\nk=w\n");
}

}  // namespace
}  // namespace tw
