#include <gtest/gtest.h>

#include "core/platform/ProgramFolders.h"
#include "core/settings/DebugProfile.h"
#include "core/settings/Profile.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class SettingsStoreTest : public TestHome {
  protected:
    SettingsStore& store = SettingsStore::Instance();
};

TEST_F(SettingsStoreTest, EmptyProfileGivesTheDefaultsOfTheKeys) {
    WriteFile("home/Tidewright.ini", "");
    for (const char* key : {"1ShowTitles", "1ShowRight", "1MainStatusBar", "1LinkToolbar"})
        EXPECT_TRUE(store.ReadBool(key)) << key;
    EXPECT_FALSE(store.ReadBool("0PreferLinkView"));
    EXPECT_FALSE(store.ReadBool("SendOrphansToRecycleBin"));
    EXPECT_EQ(store.ReadInt("200LeftWidth"), 200);
    EXPECT_EQ(store.ReadInt("25FolderHistoryLength"), 25);
    EXPECT_EQ(store.ReadInt("100TransferSizeForProgressDlg"), 100);
    EXPECT_EQ(store.ReadInt("RightWidth"), 0);
    EXPECT_EQ(store.ReadSortIndex("1FileViewSorting"), (SortIndex{0, true}));
    EXPECT_EQ(store.ReadSortIndex("3LinksSortIndex"), (SortIndex{2, true}));
    EXPECT_EQ(store.ReadString("Settings", "SelectedPath", "/"), "/");
}

TEST_F(SettingsStoreTest, WritesKeepTheDigitsOfTheKey) {
    store.WriteBool("1ShowTitles", false);
    EXPECT_FALSE(store.ReadBool("1ShowTitles"));
    EXPECT_EQ(profile::ReadString(ProfileFilePath(), "Settings", "1ShowTitles", "x"), "0");
    EXPECT_EQ(profile::ReadString(ProfileFilePath(), "Settings", "ShowTitles", "x"), "x");
    store.WriteInt("200LeftWidth", -5);
    EXPECT_EQ(store.ReadInt("200LeftWidth"), -5);
    EXPECT_EQ(store.ReadNonNegativeInt("200LeftWidth"), 0);
}

TEST_F(SettingsStoreTest, StoredValuesParseLikeProfileIntegers) {
    struct Case {
        const char* stored;
        int asInt;
        bool asBool;
    } cases[] = {{"7", 7, true},   {"0", 0, false},      {"abc", 0, false},
                 {"-3", -3, true}, {" 42xyz", 42, true}, {"99999999999", 2147483647, true}};
    for (const Case& c : cases) {
        store.WriteString("Settings", "1Value", std::string_view(c.stored));
        EXPECT_EQ(store.ReadInt("1Value"), c.asInt) << c.stored;
        EXPECT_EQ(store.ReadBool("1Value"), c.asBool) << c.stored;
    }
    EXPECT_EQ(ParseProfileInt("-99999999999"), -2147483647 - 1);
}

TEST_F(SettingsStoreTest, SortIndexCodesColumnAndDirection) {
    struct Case {
        int value;
        SortIndex index;
    } cases[] = {
        {1, {0, true}}, {3, {2, true}}, {-1, {0, false}}, {0, {0, true}}, {-3, {2, false}}};
    for (const Case& c : cases) {
        EXPECT_EQ(SortIndex::Decode(c.value), c.index) << c.value;
        if (c.value != 0) {
            EXPECT_EQ(c.index.Encode(), c.value);
        }
    }
}

TEST_F(SettingsStoreTest, RectanglesAndRestoredPositions) {
    EXPECT_EQ(store.ReadRect("FixDialogPosition"), Rect{});
    EXPECT_FALSE(store.RestoredRect("FixDialogPosition", Rect{0, 0, 100, 100}));
    store.WriteRect("FixDialogPosition", Rect{10, 20, 60, 220});
    EXPECT_EQ(profile::ReadString(ProfileFilePath(), "FixDialogPosition", "X2", ""), "60");
    // Narrower than the dialog: widened, left and top kept; taller: kept.
    EXPECT_EQ(store.RestoredRect("FixDialogPosition", Rect{0, 0, 300, 100}),
              (Rect{10, 20, 310, 220}));
}

TEST_F(SettingsStoreTest, ColumnLayoutDropsStaleWidths) {
    std::vector<ColumnLayout> seven;
    for (int i = 0; i < 7; ++i) seven.push_back({i, 6 - i, 50 + i});
    store.SaveColumnLayout("FileViewColumns", seven, true);
    EXPECT_EQ(store.LoadColumnLayout("FileViewColumns"), seven);

    std::vector<ColumnLayout> five(seven.begin(), seven.begin() + 5);
    store.SaveColumnLayout("FileViewColumns", five, true);
    EXPECT_EQ(store.LoadColumnLayout("FileViewColumns"), five);
    EXPECT_EQ(store.ReadString("Settings", "FileViewColumns5w", "none"), "none");

    // Reordering without widths keeps the stored widths.
    five[0].order = 4;
    five[0].width = 999;
    store.SaveColumnLayout("FileViewColumns", five, false);
    EXPECT_EQ(store.LoadColumnLayout("FileViewColumns")[0], (ColumnLayout{0, 4, 50}));
    EXPECT_TRUE(store.LoadColumnLayout("LinkViewColumns").empty());
}

TEST_F(SettingsStoreTest, StringListsStopAtTheFirstEmptyEntry) {
    store.SaveStringList("RecentFolders", {"/a", "/b", "/c", "/d", "/e"});
    store.SaveStringList("RecentFolders", {"/x", "/y"});
    EXPECT_EQ(store.LoadStringList("RecentFolders"), (std::vector<std::string>{"/x", "/y"}));
    EXPECT_EQ(store.ReadString("RecentFolders", "2", "gone"), "gone");

    WriteFile("home/Tidewright.ini", "[IgnoreOrphanFile]\n0=a\n1=b\n2=c\n3=\n4=e\n");
    EXPECT_EQ(store.LoadStringList("IgnoreOrphanFile").size(), 3u);
}

TEST_F(SettingsStoreTest, PresetsWriteAllElevenSwitches) {
    const auto& presets = WindowPresets();
    ASSERT_EQ(std::string(presets[0].name), "Basic file manager");
    store.WriteWindowSwitches(presets[0].switches);
    WindowSwitches read = store.ReadWindowSwitches();
    EXPECT_EQ(read, presets[0].switches);
    EXPECT_TRUE(read.bars[0] && read.bars[4] && read.bars[5]);
    EXPECT_FALSE(read.bars[1] || read.showRight);
    EXPECT_FALSE(store.ReadBool("1LinkToolbar"));

    store.WriteWindowSwitches(presets[2].switches);
    read = store.ReadWindowSwitches();
    EXPECT_FALSE(read.showTitles);
    for (bool bar : read.bars) EXPECT_TRUE(bar);
}

TEST_F(SettingsStoreTest, DebugProfileLivesInTheConfigFolder) {
    EXPECT_FALSE(DebugProfile::Exists());
    EXPECT_TRUE(DebugProfile::ReadBool("1EnableLogging"));
    EXPECT_FALSE(DebugProfile::ReadBool("0UseAltThumbnail"));
    DebugProfile::WriteBool("1EnableLogging", false);
    EXPECT_TRUE(DebugProfile::Exists());
    EXPECT_EQ(DebugProfile::Path(), Root() + "/home/Config/debug.ini");
    EXPECT_EQ(ReadFile(DebugProfile::Path()), "[Settings]\n1EnableLogging=0\n");
}

}  // namespace
}  // namespace tw
