#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/platform/Shell.h"
#include "core/platform/SizeText.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class FileUtilsTest : public TestHome {};

std::string Names(const std::string& folder) {
    DirectoryEnumerator e(folder, "*");
    std::vector<std::string> names;
    std::string name;
    while (e.Next(name, false)) names.push_back(name);
    std::sort(names.begin(), names.end());
    std::string all;
    for (auto& n : names) all += n + " ";
    return all;
}

TEST_F(FileUtilsTest, EnumeratorListsNamesOrFullPathsWithPattern) {
    WriteFile("d/a.htm", "");
    WriteFile("d/.hidden", "");
    MakeFolder("d/sub");
    EXPECT_EQ(Names(PathOf("d/")), ".hidden a.htm sub ");
    DirectoryEnumerator e(PathOf("d"), "*.htm");
    std::string out;
    ASSERT_TRUE(e.Next(out, true));
    EXPECT_EQ(out, PathOf("d/a.htm"));
    EXPECT_FALSE(e.Next(out, true));
    DirectoryEnumerator missing(PathOf("nothing/"), "*");
    EXPECT_FALSE(missing.Next(out, false));
}

TEST_F(FileUtilsTest, DrivesAreListedOnceThenStartOver) {
    std::vector<std::string> first, second;
    std::string d;
    for (DirectoryEnumerator e("", "*"); e.Next(d, false);) first.push_back(d);
    for (DirectoryEnumerator e("", "*"); e.Next(d, false);) second.push_back(d);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), "/");
    EXPECT_EQ(first, second);
}

TEST_F(FileUtilsTest, RemoveFolderTreeTakesReadOnlyItemsAndReportsMissingAsDone) {
    WriteFile("t/a/b/c.txt", "x");
    std::string ro = WriteFile("t/a/ro.txt", "x");
    ::chmod(ro.c_str(), 0444);
    ::chmod(PathOf("t/a/b").c_str(), 0555);
    EXPECT_TRUE(RemoveFolderTree(PathOf("t/")));
    EXPECT_FALSE(PathExists(PathOf("t")));
    EXPECT_TRUE(RemoveFolderTree(PathOf("never")));
    EXPECT_FALSE(log_->HasErrors());
}

TEST_F(FileUtilsTest, RemoveFileLogsFailures) {
    EXPECT_FALSE(RemoveFile(PathOf("missing file.htm")));
    EXPECT_NE(Errors().find("Failed to delete file"), std::string::npos);
    EXPECT_NE(Errors().find(PathOf("missing file.htm")), std::string::npos);
}

TEST_F(FileUtilsTest, CreateFoldersCountsLevelsAndFailsOnFiles) {
    int levels = 0;
    EXPECT_TRUE(CreateFolders(PathOf("n/é 1/-x/"), &levels));
    EXPECT_EQ(levels, 3);
    EXPECT_TRUE(CreateFolders(PathOf("n"), &levels));
    EXPECT_EQ(levels, 3);
    EXPECT_FALSE(CreateFolders("", nullptr));
    WriteFile("file", "x");
    EXPECT_FALSE(CreateFolders(PathOf("file/sub"), nullptr));
    EXPECT_NE(Errors().find("Failed to create directory"), std::string::npos);
}

TEST_F(FileUtilsTest, CopyFileContentTruncatesOrAppends) {
    std::string src = WriteFile("src.htm", "short");
    std::string dst = WriteFile("dst.htm", "a much longer existing text");
    EXPECT_TRUE(CopyFileContent(src, dst, false));
    EXPECT_EQ(ReadFile(dst), "short");
    EXPECT_TRUE(CopyFileContent(src, dst, true));
    EXPECT_EQ(ReadFile(dst), "shortshort");
    std::string big(200000, 'q');
    std::string bigSrc = WriteFile("big", big);
    EXPECT_TRUE(CopyFileContent(bigSrc, PathOf("big copy"), false));
    EXPECT_EQ(ReadFile(PathOf("big copy")), big);
    EXPECT_FALSE(CopyFileContent(PathOf("none"), dst, false));
    EXPECT_NE(Errors().find("File open failed"), std::string::npos);
}

TEST_F(FileUtilsTest, CopyFolderTreeRecursiveOrFlat) {
    WriteFile("s/a.htm", "A");
    WriteFile("s/sub/b.htm", "B");
    MakeFolder("flat");
    MakeFolder("deep");
    EXPECT_TRUE(CopyFolderTree(PathOf("s"), PathOf("flat"), false));
    EXPECT_EQ(Names(PathOf("flat/")), "a.htm ");
    EXPECT_TRUE(CopyFolderTree(PathOf("s/"), PathOf("deep/"), true));
    EXPECT_EQ(ReadFile(PathOf("deep/sub/b.htm")), "B");
    EXPECT_FALSE(CopyFolderTree(PathOf("s"), PathOf("missing"), true));
}

// Links are copied as links: a loop is not followed, and a copy onto a link replaces the
// link, never the file it points to.
TEST_F(FileUtilsTest, CopiesKeepSymbolicLinksAsLinks) {
    WriteFile("s/a.htm", "A");
    ASSERT_EQ(::symlink(PathOf("s").c_str(), PathOf("s/loop").c_str()), 0);
    ASSERT_EQ(::symlink("a.htm", PathOf("s/to-a").c_str()), 0);
    MakeFolder("d");
    EXPECT_TRUE(CopyFolderTree(PathOf("s"), PathOf("d"), true));
    EXPECT_TRUE(IsSymbolicLink(PathOf("d/loop")));
    EXPECT_TRUE(IsSymbolicLink(PathOf("d/to-a")));
    EXPECT_EQ(ReadFile(PathOf("d/to-a")), "A");  // relative: now the copy's own a.htm

    std::string target = WriteFile("keep.htm", "keep");
    ASSERT_EQ(::symlink(target.c_str(), PathOf("link.htm").c_str()), 0);
    EXPECT_TRUE(CopyFileContent(WriteFile("new.htm", "new"), PathOf("link.htm"), false));
    EXPECT_EQ(ReadFile(target), "keep");
    EXPECT_FALSE(IsSymbolicLink(PathOf("link.htm")));
    EXPECT_EQ(ReadFile(PathOf("link.htm")), "new");
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(CopyFileContent(PathOf("fifo"), PathOf("fifo copy"), false));  // no wait
}

TEST_F(FileUtilsTest, RenameNeverReplacesAnExistingItem) {
    std::string a = WriteFile("a.htm", "A");
    std::string b = WriteFile("b.htm", "B");
    EXPECT_FALSE(RenamePath(a, b));
    EXPECT_EQ(ReadFile(b), "B");
    EXPECT_NE(Errors().find("Failed to rename file\n\t" + a + "\nto\n\t" + b), std::string::npos);
    EXPECT_TRUE(RenamePath(a, PathOf("'quoted' \"name\" é.htm")));
    EXPECT_EQ(ReadFile(PathOf("'quoted' \"name\" é.htm")), "A");
    EXPECT_TRUE(RenamePath(PathOf("'quoted' \"name\" é.htm"), PathOf("-leading.htm")));
    // A case-only rename on a case-sensitive file system is a plain rename.
    EXPECT_TRUE(RenamePath(PathOf("-leading.htm"), PathOf("-LEADING.htm")));
    EXPECT_TRUE(PathExists(PathOf("-LEADING.htm")));
}

TEST_F(FileUtilsTest, ReadFileChunkReadsFromAnOffset) {
    std::string f = WriteFile("c.txt", "0123456789");
    char buf[8];
    EXPECT_EQ(ReadFileChunk(f, buf, 4, 3), 4);
    EXPECT_STREQ(buf, "3456");
    EXPECT_EQ(ReadFileChunk(f, buf, 7, 8), 2);
    EXPECT_STREQ(buf, "89");
    EXPECT_EQ(ReadFileChunk(f, buf, 7, 10), 0);
    EXPECT_EQ(ReadFileChunk(f, buf, 7, 11), -1);
    EXPECT_EQ(ReadFileChunk(PathOf("none"), buf, 7, 0), -1);
}

TEST_F(FileUtilsTest, FileKinds) {
    std::string page = WriteFile("Page.HTM", "x");
    std::string prog = WriteFile("run.sh", "#!/bin/sh\n");
    ::chmod(prog.c_str(), 0755);
    ASSERT_TRUE(CreateShortcutFile(page, PathOf("Page Shortcut")));
    EXPECT_TRUE(IsPlainFile(page));
    EXPECT_FALSE(IsPlainFile(prog));
    EXPECT_FALSE(IsPlainFile(PathOf("Page Shortcut")));
    EXPECT_FALSE(IsPlainFile(Root()));
    EXPECT_FALSE(IsPlainFile(PathOf("none")));
    for (const char* image : {"a.GIF", "b.jpg", "c.jpeg", "d.png", "e.ping"})
        EXPECT_TRUE(IsImageFile(image));
    EXPECT_FALSE(IsImageFile("a.svg"));
    EXPECT_FALSE(IsImageFile("gif"));

    EXPECT_EQ(FileAttributes(Root()) & kAttrDirectory, kAttrDirectory);
    EXPECT_EQ(FileAttributes(WriteFile(".dot", "")), kAttrHidden);
    bool exists = true;
    EXPECT_EQ(FileAttributes(PathOf("none"), &exists), 0u);
    EXPECT_FALSE(exists);
    EXPECT_EQ(FileSize(page), 1);
    EXPECT_EQ(FileSize(PathOf("none")), -1);
}

TEST_F(FileUtilsTest, ShortcutsAreSymbolicLinks) {
    std::string target = WriteFile("t.htm", "x");
    ASSERT_TRUE(CreateShortcutFile(target, PathOf("one")));
    EXPECT_EQ(ResolveShortcut(PathOf("one")), target);
    // A shortcut made from a shortcut points where the first one points.
    ASSERT_TRUE(CreateShortcutFile(PathOf("one"), PathOf("two")));
    EXPECT_EQ(ResolveShortcut(PathOf("two")), target);
    EXPECT_EQ(ResolveShortcut(target), target);
    ::symlink("rel/x.htm", PathOf("rel-link").c_str());
    EXPECT_EQ(ResolveShortcut(PathOf("rel-link")), PathOf("rel/x.htm"));
}

TEST_F(FileUtilsTest, SetWritableTogglesWritePermission) {
    std::string f = WriteFile("w.htm", "x");
    ASSERT_TRUE(SetWritable(f, false));
    struct stat st;
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    ASSERT_TRUE(SetWritable(f, true));
    ::stat(f.c_str(), &st);
    EXPECT_NE(st.st_mode & 0200, 0u);
    EXPECT_FALSE(SetWritable(PathOf("none"), true));
}

TEST(SizeText, UnitsAndAutomaticChoice) {
    struct Case {
        std::uint64_t bytes;
        int unit;
        const char* text;
    } cases[] = {
        {999, 4, "999 bytes"},   {1000, 4, "1 KB"},
        {1023000, 4, "1000 KB"}, {1048576000, 4, "0.98 GB"},
        {1025, 1, "2 KB"},       {0, 1, "0 KB"},
        {1572864, 2, "1.5 MB"},  {5000000000ull, 4, "4.66 GB"},
        {7, 0, "7 bytes"},       {3ull << 40, 4, "3072.00 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeText(c.bytes, c.unit), c.text) << c.bytes;
}

TEST(Desktop, ExecLineNamesTheProgram) {
    EXPECT_EQ(DesktopExecProgram("[Desktop Entry]\nName=X\nExec=/opt/x/bin/x %U\n"),
              "/opt/x/bin/x");
    EXPECT_EQ(DesktopExecProgram("[Desktop Entry]\nExec=\"/opt/my app/x\" %f\n"), "/opt/my app/x");
    EXPECT_EQ(DesktopExecProgram("[Desktop Action new]\nExec=/no\n"), "");
    EXPECT_TRUE(DesktopExecProgram("[Desktop Entry]\nExec=sh -c x\n").ends_with("/sh"));
}

TEST(Launch, RunsProgramsWithoutAShell) {
    auto out = RunCapture({"printf", "%s|", "a b", "$(x)", ";rm"});
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, "a b|$(x)|;rm|");
    EXPECT_FALSE(RunCapture({"false"}));
    EXPECT_FALSE(RunCapture({"no-such-program-tw"}));
}

}  // namespace
}  // namespace tw
