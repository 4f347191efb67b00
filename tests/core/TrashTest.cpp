#include <gtest/gtest.h>

#include "core/platform/FileUtils.h"
#include "core/platform/Trash.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class TrashTest : public TestHome {
  protected:
    std::string Trash() const { return PathOf("data/Trash"); }
};

TEST_F(TrashTest, TrashedFileCanBeRestoredFromItsInfo) {
    std::string f = WriteFile("site/my page é%.htm", "content");
    ASSERT_TRUE(SendToRecycleBin(f));
    EXPECT_FALSE(PathExists(f));
    EXPECT_EQ(ReadFile(Trash() + "/files/my page é%.htm"), "content");
    std::string info = ReadFile(Trash() + "/info/my page é%.htm.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u);
    EXPECT_NE(info.find("Path=" + EncodeTrashPath(f) + "\n"), std::string::npos);
    EXPECT_NE(info.find("/my%20page%20%C3%A9%25.htm\n"), std::string::npos);
    EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos);
}

TEST_F(TrashTest, NamesAreMadeUniqueWithinTheTrash) {
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(SendToRecycleBin(WriteFile("a/x.htm", std::to_string(i))));
    EXPECT_EQ(ReadFile(Trash() + "/files/x.htm"), "0");
    EXPECT_EQ(ReadFile(Trash() + "/files/x.htm.2"), "1");
    EXPECT_EQ(ReadFile(Trash() + "/files/x.htm.3"), "2");
    EXPECT_TRUE(PathExists(Trash() + "/info/x.htm.3.trashinfo"));
}

TEST_F(TrashTest, FoldersAndListsGoInOneCall) {
    WriteFile("f/sub/a.htm", "a");
    std::string g = WriteFile("g.htm", "g");
    ASSERT_TRUE(SendListToRecycleBin({PathOf("f/"), g}, false));
    EXPECT_EQ(ReadFile(Trash() + "/files/f/sub/a.htm"), "a");
    EXPECT_FALSE(PathExists(g));
}

TEST_F(TrashTest, FailureLogsAndDeletesNothing) {
    std::string keep = WriteFile("keep.htm", "k");
    EXPECT_FALSE(SendListToRecycleBin({PathOf("missing.htm"), keep}, false));
    EXPECT_FALSE(PathExists(keep));  // what could go, went
    EXPECT_NE(Errors().find("Removal to trash/recycle bin failed"), std::string::npos);
    EXPECT_NE(Errors().find(PathOf("missing.htm")), std::string::npos);

    // A trash that cannot be made (a file where the trash folder should be): the item stays.
    RemoveFolderTree(Trash());
    WriteFile("data/Trash", "not a folder");
    std::string stays = WriteFile("stays.htm", "s");
    EXPECT_FALSE(SendToRecycleBin(stays));
    EXPECT_EQ(ReadFile(stays), "s");
}

}  // namespace
}  // namespace tw
