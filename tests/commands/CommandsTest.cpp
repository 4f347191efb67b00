// The file commands, each done, undone and redone, with the whole folder listing (names,
// sizes, contents, link targets) compared after every step: nothing lost, nothing extra.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "engine/commands/FileCommands.h"
#include "engine/commands/History.h"
#include "engine/commands/TransferCommands.h"
#include "engine/commands/UniqueNames.h"
#include "engine/services/Launcher.h"
#include "tests/support/ScriptedServices.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::ScopedScript;
using Listing = std::map<std::string, std::string>;

class CommandsTest : public test::TestHome {
  protected:
    // Every item below `folder`: "dir", "link -> TARGET", or "SIZE:HASH" of a file.
    static Listing ListOf(const std::string& folder) {
        Listing out;
        std::function<void(const std::string&, const std::string&)> walk =
            [&](const std::string& dir, const std::string& prefix) {
                DirectoryEnumerator entries(dir + kPathSep, "*");
                std::string name;
                while (entries.Next(name, false)) {
                    std::string path = JoinPath(dir, name), key = prefix + name;
                    struct stat st;
                    ::lstat(path.c_str(), &st);
                    if (S_ISLNK(st.st_mode)) {
                        char target[4096];
                        ssize_t n = ::readlink(path.c_str(), target, sizeof target);
                        out[key] = "link -> " + std::string(target, n > 0 ? n : 0);
                    } else if (S_ISDIR(st.st_mode)) {
                        out[key] = "dir";
                        walk(path, key + "/");
                    } else {
                        std::string text = ReadFile(path);
                        out[key] = std::to_string(text.size()) + ":" +
                                   std::to_string(std::hash<std::string>{}(text));
                    }
                }
            };
        walk(folder, "");
        return out;
    }
    Listing Here() const { return ListOf(PathOf("w")); }
    std::string W(const std::string& relative) const { return PathOf("w/" + relative); }
    void Files(const std::vector<std::pair<std::string, std::string>>& files) {
        MakeFolder("w");
        for (const auto& [path, content] : files) {
            if (path.ends_with("/"))
                MakeFolder("w/" + path);
            else
                WriteFile("w/" + path, content);
        }
    }
    // Runs the command through a history, then checks undo and redo give back the listings.
    void DoUndoRedo(std::unique_ptr<ECommand> command, bool expectOk = true) {
        Listing before = Here();
        ASSERT_EQ(history_.ExecuteCommand(std::move(command)), expectOk) << Errors();
        Listing after = Here();
        ASSERT_TRUE(history_.CanUndo());
        EXPECT_TRUE(history_.Undo()) << Errors();
        EXPECT_EQ(Here(), before);
        EXPECT_TRUE(history_.Redo()) << Errors();
        EXPECT_EQ(Here(), after);
    }
    std::string LogText() { return ReadFile(EAppLog::LogFilePath()); }

    ECommandHistory history_;
};

TEST_F(CommandsTest, MoveOfItemsFromTwoFoldersUndoesEachToItsOwnPlace) {
    Files({{"a/one.htm", "1"}, {"b/two.htm", "22"}, {"b/sub/three.htm", "333"}, {"t/", ""}});
    log_->SetLogFileEnabled(true);
    Listing before = Here();
    auto move = std::make_unique<EMoveCommand>(
        std::vector<std::string>{W("a/one.htm"), W("b/two.htm"), W("b/sub")}, W("t"));
    EMoveCommand* m = move.get();
    ASSERT_TRUE(history_.ExecuteCommand(std::move(move)));
    EXPECT_EQ(m->Destinations(),
              (std::vector<std::string>{W("t/one.htm"), W("t/two.htm"), W("t/sub")}));
    Listing moved = {{"a", "dir"},
                     {"b", "dir"},
                     {"t", "dir"},
                     {"t/one.htm", before["a/one.htm"]},
                     {"t/two.htm", before["b/two.htm"]},
                     {"t/sub", "dir"},
                     {"t/sub/three.htm", before["b/sub/three.htm"]}};
    EXPECT_EQ(Here(), moved);
    EXPECT_EQ(history_.UndoMenuText(), "&Undo move of files\tCtrl+Z");
    EXPECT_EQ(history_.RedoMenuText(), "&Redo \tCtrl+Y");
    ASSERT_TRUE(history_.Undo());
    EXPECT_EQ(Here(), before);
    EXPECT_EQ(history_.UndoMenuText(), "&Undo \tCtrl+Z");
    EXPECT_EQ(history_.RedoMenuText(), "&Redo move of files\tCtrl+Y");
    ASSERT_TRUE(history_.Redo());
    EXPECT_EQ(Here(), moved);
    const std::string line = "EMoveCommand\t" + W("t/") + "\t" + W("a/one.htm") + "\t" +
                             W("b/two.htm") + "\t" + W("b/sub");
    std::string log = LogText();
    EXPECT_NE(log.find("\n" + line + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\n(Undo)\t" + line + "\n"), std::string::npos) << log;
}

TEST_F(CommandsTest, RefusedTransfersChangeNothingAndAreNotKept) {
    Files({{"f/in/x.htm", "x"}, {"f/y.htm", "y"}});
    struct Case {
        std::string source, target;
    } cases[] = {
        {W("f"), W("f")},        // onto itself
        {W("f"), W("f/in")},     // into its own subfolder
        {W("f/y.htm"), W("f")},  // into the folder that holds it
    };
    Listing before = Here();
    for (const Case& c : cases) {
        for (bool copy : {false, true}) {
            std::unique_ptr<ECommand> command;
            if (copy)
                command = std::make_unique<ECopyCommand>(c.source, c.target);
            else
                command = std::make_unique<EMoveCommand>(c.source, c.target);
            EXPECT_FALSE(history_.ExecuteCommand(std::move(command))) << c.source;
            EXPECT_EQ(Here(), before);
            EXPECT_FALSE(history_.CanUndo());
        }
    }
}

TEST_F(CommandsTest, EachOverwritePolicy) {
    struct Case {
        const char* what;
        OverwriteReply reply;
        bool newer;  // the proposed file is newer than the existing one
        bool ok;
        std::map<std::string, std::string> after;  // t/ contents by name
    } cases[] = {
        {"overwrite",
         {false, OverwritePolicy::Overwrite, false, {}},
         false,
         true,
         {{"p.htm", "new"}}},
        {"skip", {false, OverwritePolicy::Skip, false, {}}, true, false, {{"p.htm", "old"}}},
        {"older, proposed older",
         {false, OverwritePolicy::OverwriteOlder, false, {}},
         false,
         false,
         {{"p.htm", "old"}}},
        {"older, proposed newer",
         {false, OverwritePolicy::OverwriteOlder, false, {}},
         true,
         true,
         {{"p.htm", "new"}}},
        {"rename, typed",
         {false, OverwritePolicy::Rename, false, "q.htm"},
         false,
         true,
         {{"p.htm", "old"}, {"q.htm", "new"}}},
        {"rename, free name",
         {false, OverwritePolicy::Rename, false, {}},
         false,
         true,
         {{"p.htm", "old"}, {"p(2).htm", "new"}}},
    };
    for (const Case& c : cases) {
        RemoveFolderTree(PathOf("w"));
        Files({{"s/p.htm", "new"}, {"t/p.htm", "old"}});
        struct timespec older[2] = {{1000, 0}, {1000, 0}}, newer[2] = {{2000, 0}, {2000, 0}};
        ::utimensat(AT_FDCWD, W("s/p.htm").c_str(), c.newer ? newer : older, 0);
        ::utimensat(AT_FDCWD, W("t/p.htm").c_str(), c.newer ? older : newer, 0);
        ScopedScript script;
        script->overwriteReplies = {c.reply};
        EXPECT_EQ(history_.ExecuteCommand(std::make_unique<EMoveCommand>(W("s/p.htm"), W("t"))),
                  c.ok)
            << c.what;
        ASSERT_EQ(script->overwriteQuestions.size(), 1u) << c.what;
        EXPECT_EQ(script->overwriteQuestions[0].freeName, "p(2).htm");
        std::map<std::string, std::string> inT;
        for (const auto& [name, _] : ListOf(W("t"))) inT[name] = ReadFile(W("t/" + name));
        EXPECT_EQ(inT, c.after) << c.what;
        // An overwritten file went to the trash, never away for good.
        const bool trashed = c.after.count("p.htm") && c.after.at("p.htm") == "new";
        EXPECT_EQ(ListOf(PathOf("data/Trash/files")).count("p.htm"), trashed ? 1u : 0u) << c.what;
        RemoveFolderTree(PathOf("data/Trash"));
        EXPECT_EQ(SettingsStore::Instance().ReadInt("OverwriteFiles"),
                  static_cast<int>(c.reply.policy));
    }
}

TEST_F(CommandsTest, SameForAllAsksOnceAndCancelStopsTheRest) {
    Files({{"s/a.htm", "A"},
           {"s/b.htm", "B"},
           {"s/c.htm", "C"},
           {"t/a.htm", "a"},
           {"t/b.htm", "b"},
           {"t/c.htm", "c"}});
    {
        ScopedScript script;
        script->overwriteReplies = {{false, OverwritePolicy::Skip, true, {}}};
        EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<ECopyCommand>(
            std::vector<std::string>{W("s/a.htm"), W("s/b.htm"), W("s/c.htm")}, W("t"))));
        EXPECT_EQ(script->overwriteQuestions.size(), 1u);
        EXPECT_EQ(ReadFile(W("t/c.htm")), "c");
    }
    ScopedScript script;
    script->overwriteReplies = {{false, OverwritePolicy::Rename, false, "a2.htm"},
                                {true, OverwritePolicy::Skip, false, {}}};
    EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<ECopyCommand>(
        std::vector<std::string>{W("s/a.htm"), W("s/b.htm"), W("s/c.htm")}, W("t"))));
    EXPECT_EQ(script->overwriteQuestions.size(), 2u);  // the cancel ended the command
    EXPECT_EQ(ReadFile(W("t/a2.htm")), "A");
    EXPECT_TRUE(history_.CanUndo());  // the copy made before the cancel can be undone
    ASSERT_TRUE(history_.Undo());
    EXPECT_FALSE(PathExists(W("t/a2.htm")));
}

TEST_F(CommandsTest, UniqueAndFreeNames) {
    Files({{"d/page.htm", ""},
           {"d/page Copy.htm", ""},
           {"d/page Copy(2).htm", ""},
           {"d/dir.x/", ""},
           {"d/Orphans/", ""},
           {"d/Orphans0/", ""}});
    struct Case {
        std::string source, suffix, expected;
    } cases[] = {
        {W("d/new.htm"), " Copy", W("d/new.htm")},
        {W("d/page.htm"), " Copy", W("d/page Copy(3).htm")},
        {W("d/page Copy(2).htm"), " Copy", W("d/page Copy(3).htm")},  // no second suffix
        {W("d/page.htm"), "", W("d/page(2).htm")},
        {W("d/dir.x"), " Copy", W("d/dir.x Copy")},  // a folder has no extension
        {W("d/page.htm"), " Shortcut", W("d/page Shortcut.htm")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeUniqueName(W("d"), c.source, c.suffix), c.expected) << c.source;
    EXPECT_EQ(MakeFreeName(W("d"), "Orphans"), "Orphans1");
    EXPECT_EQ(MakeFreeName(W("d"), "Fresh"), "Fresh");
}

TEST_F(CommandsTest, DuplicatesGoNextToTheFirstItemAndUndoRemovesOnlyThem) {
    Files({{"a/page.htm", "P"}, {"a/page Copy.htm", "older copy"}, {"b/f/x.htm", "X"}});
    auto duplicate =
        std::make_unique<EDuplicateCommand>(std::vector<std::string>{W("a/page.htm"), W("b/f")});
    EDuplicateCommand* d = duplicate.get();
    DoUndoRedo(std::move(duplicate));
    EXPECT_EQ(d->Destinations(), (std::vector<std::string>{W("a/page Copy(2).htm"), W("a/f")}));
    EXPECT_EQ(ReadFile(W("a/f/x.htm")), "X");
}

TEST_F(CommandsTest, CopyIntoAFolderOfTheSameNameMergesAndUndoKeepsWhatWasThere) {
    Files({{"s/d/new.htm", "N"}, {"s/d/deep/z.htm", "Z"}, {"t/d/mine.htm", "M"}});
    DoUndoRedo(std::make_unique<ECopyCommand>(W("s/d"), W("t")));
    EXPECT_EQ(ReadFile(W("t/d/mine.htm")), "M");
    EXPECT_EQ(ReadFile(W("t/d/deep/z.htm")), "Z");
}

TEST_F(CommandsTest, MoveOntoAFolderOfTheSameNameMergesAndUndoSplitsThemAgain) {
    Files({{"s/d/new.htm", "N"}, {"s/d/deep/z.htm", "Z"}, {"t/d/mine.htm", "M"}});
    DoUndoRedo(std::make_unique<EMoveCommand>(W("s/d"), W("t")));
    EXPECT_EQ(ReadFile(W("t/d/mine.htm")), "M");
    EXPECT_FALSE(PathExists(W("s/d")));
}

// A folder whose move fails halfway: what moved comes back on undo, what did not stays.
TEST_F(CommandsTest, AFailureMidwayLosesNothing) {
    Files({{"s/d/a.htm", "A"}, {"s/d/b.htm", "B"}, {"t/d/b.htm/", ""}});
    Listing before = Here();
    EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<EMoveCommand>(W("s/d"), W("t"))));
    EXPECT_EQ(ReadFile(W("t/d/a.htm")), "A");
    EXPECT_EQ(ReadFile(W("s/d/b.htm")), "B");  // the source of what failed stays
    EXPECT_NE(Errors().find("Failed to rename"), std::string::npos);
    ASSERT_TRUE(history_.Undo());
    EXPECT_EQ(Here(), before);
}

// Undo never acts on an item changed or replaced since the command: it refuses, and nothing
// changes.
TEST_F(CommandsTest, UndoRefusesWhenTheResultWasChangedSince) {
    Files({{"s/p.htm", "P"}, {"t/", ""}, {"r.htm", "R"}});
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<EMoveCommand>(W("s/p.htm"), W("t"))));
    WriteFile("w/t/p.htm", "edited after the move");
    Listing edited = Here();
    EXPECT_FALSE(history_.Undo());
    EXPECT_EQ(Here(), edited);
    EXPECT_NE(Errors().find("Changed since the command"), std::string::npos);

    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ERenameCommand>(W("r.htm"), W("R2.htm"))));
    WriteFile("w/r.htm", "a new file under the old name");
    Listing renamed = Here();
    EXPECT_FALSE(history_.Undo());  // moving back would meet the new r.htm
    EXPECT_EQ(Here(), renamed);
}

TEST_F(CommandsTest, RenameIncludingCaseOnlyAndNewFolders) {
    Files({{"a.htm", "A"}, {"x/", ""}});
    DoUndoRedo(std::make_unique<ERenameCommand>(W("a.htm"), W("A.htm")));
    EXPECT_EQ(ReadFile(W("A.htm")), "A");
    DoUndoRedo(std::make_unique<ENewDirCommand>(W("x/b/c")));
    EXPECT_TRUE(IsFolder(W("x/b/c")));
    // Its undo takes only the folders it made, never what was put in them since.
    ASSERT_TRUE(history_.Undo());
    EXPECT_TRUE(IsFolder(W("x")));
    EXPECT_FALSE(PathExists(W("x/b")));
    ASSERT_TRUE(history_.Redo());
    WriteFile("w/x/b/c/kept.htm", "the user's");
    EXPECT_FALSE(history_.Undo());
    EXPECT_EQ(ReadFile(W("x/b/c/kept.htm")), "the user's");
    EXPECT_EQ(history_.NextUndo()->GetClassName(), "ENewDirCommand");  // refused: still there
    ASSERT_TRUE(RemoveFile(W("x/b/c/kept.htm")));
    EXPECT_TRUE(history_.Undo());
    EXPECT_FALSE(PathExists(W("x/b")));
    // A folder that exists is not made again, and nothing is recorded.
    EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<ENewDirCommand>(W("x"))));
    EXPECT_EQ(history_.NextUndo()->GetClassName(), "ERenameCommand");
}

TEST_F(CommandsTest, LinksAreMovedAndCopiedAsLinksAndShortcutsAreLinks) {
    Files({{"s/real.htm", "R"}, {"t/", ""}, {"u/", ""}});
    ASSERT_EQ(::symlink("real.htm", W("s/rel-link").c_str()), 0);
    DoUndoRedo(std::make_unique<ECopyCommand>(W("s/rel-link"), W("t")));
    EXPECT_TRUE(IsSymbolicLink(W("t/rel-link")));
    DoUndoRedo(std::make_unique<EMoveCommand>(W("s/rel-link"), W("u")));
    EXPECT_TRUE(IsSymbolicLink(W("u/rel-link")));

    auto shortcuts = std::make_unique<EShortcutCommand>(
        std::vector<std::string>{W("s/real.htm"), W("s")}, W("u"));
    EShortcutCommand* s = shortcuts.get();
    DoUndoRedo(std::move(shortcuts));
    EXPECT_EQ(s->Created(), (std::vector<std::string>{W("u/real.htm"), W("u/s")}));
    EXPECT_EQ(ReadFile(W("u/real.htm")), "R");
    ASSERT_TRUE(
        history_.ExecuteCommand(std::make_unique<EShortcutCommand>(W("s/real.htm"), W("s"))));
    EXPECT_TRUE(IsSymbolicLink(W("s/real Shortcut.htm")));
}

// Items sent to the trash come back with Undo (their trash entries gone), go again with
// Redo; an item emptied from the trash since makes the undo refuse, saying which.
TEST_F(CommandsTest, TrashIsUndoneFromTheTrash) {
    Files({{"a.htm", "A"}, {"b.htm", "B"}, {"f/c.htm", "C"}});
    ScopedScript script;
    const Listing before = Here();
    EXPECT_TRUE(history_.ExecuteCommand(std::make_unique<ETrashCommand>(W("a.htm"))));
    DoUndoRedo(
        std::make_unique<ETrashCommand>(std::vector<std::string>{W("b.htm"), W("f")}, W("")));
    EXPECT_EQ(Here(), Listing{});
    EXPECT_EQ(ListOf(PathOf("data/Trash/files")).size(), 4u);  // a, b, f and f/c
    EXPECT_EQ(script->statusMessages.back(), "Redone: remove of files");
    ASSERT_TRUE(history_.Undo());
    ASSERT_TRUE(history_.Undo());
    EXPECT_EQ(Here(), before);
    EXPECT_EQ(ListOf(PathOf("data/Trash/info")), Listing{});  // restored, not copied back

    ASSERT_TRUE(history_.Redo());
    ASSERT_TRUE(RemoveFolderTree(PathOf("data/Trash")));  // the user empties the trash
    EXPECT_FALSE(history_.Undo());
    EXPECT_EQ(script->statusMessages.back(), "Undo failed: remove of \"a.htm\"");
    ASSERT_FALSE(script->messageBoxes.empty());
    EXPECT_NE(script->messageBoxes.back().find("No longer in the trash"), std::string::npos);
    EXPECT_NE(script->messageBoxes.back().find(W("a.htm")), std::string::npos);
    EXPECT_TRUE(history_.CanUndo());  // still there: the command stands
}

TEST_F(CommandsTest, AFailedCommandSaysSoAndWarnsOnce) {
    Files({{"s/", ""}});
    ScopedScript script;
    script->dontAskAgain = true;  // "do not warn again" ticked
    for (int run = 0; run < 2; ++run)
        EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<EMoveCommand>(
            std::vector<std::string>{W("s/gone1.htm"), W("s/gone2.htm")}, W("nowhere"))));
    EXPECT_EQ(script->statusMessages.back(), "Failed: move of files");
    EXPECT_EQ(script->fileErrorWarnings.size(), 1u);
    EXPECT_FALSE(history_.CanUndo());
}

TEST_F(CommandsTest, ANewCommandDropsWhatCouldBeRedone) {
    Files({{"a.htm", "A"}, {"b.htm", "B"}});
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ERenameCommand>(W("a.htm"), W("a2.htm"))));
    ASSERT_TRUE(history_.Undo());
    ASSERT_TRUE(history_.CanRedo());
    ASSERT_TRUE(history_.ExecuteCommand(std::make_unique<ERenameCommand>(W("b.htm"), W("b2.htm"))));
    EXPECT_FALSE(history_.CanRedo());
    EXPECT_EQ(history_.UndoMenuText(), "&Undo rename of \"b.htm\"\tCtrl+Z");
}

TEST_F(CommandsTest, MovesAcrossFileSystemsCopyCheckAndThenRemove) {
    struct stat here, shm;
    if (::stat(Root().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system (/dev/shm) to move to";
    char other[] = "/dev/shm/tw_test_XXXXXX";
    ASSERT_NE(::mkdtemp(other), nullptr);
    Files({{"s/d/a.htm", "A"}, {"s/d/e/b.htm", "BB"}, {"s/f.htm", "F"}});
    struct timespec old[2] = {{1000, 0}, {1000, 0}};
    ::utimensat(AT_FDCWD, W("s/f.htm").c_str(), old, 0);
    Listing before = Here();
    ASSERT_TRUE(history_.ExecuteCommand(
        std::make_unique<EMoveCommand>(std::vector<std::string>{W("s/d"), W("s/f.htm")}, other)))
        << Errors();
    Listing there = ListOf(other);
    EXPECT_EQ(there.at("f.htm"), before.at("s/f.htm"));
    EXPECT_EQ(there.at("d/e/b.htm"), before.at("s/d/e/b.htm"));
    EXPECT_EQ(StampOf(std::string(other) + "/f.htm").mtimeNs, std::int64_t{1000} * 1000000000);
    EXPECT_EQ(Here(), (Listing{{"s", "dir"}}));
    ASSERT_TRUE(history_.Undo()) << Errors();
    EXPECT_EQ(Here(), before);
    EXPECT_EQ(ListOf(other), Listing{});
    RemoveFolderTree(other);
}

TEST_F(CommandsTest, LaunchingOpensRunsOrSaysWhyNot) {
    Files({{"doc.htm", ""}, {"tool", "#!/bin/sh\n"}, {"dir/", ""}});
    ::chmod(W("tool").c_str(), 0755);
    ScopedScript script;
    struct Case {
        std::string document, program, name, launched;
    } cases[] = {
        {W("doc.htm"), "", "open \"doc.htm\"", "open " + W("doc.htm")},
        {W("tool"), "", "open \"tool\"", "run " + W("tool")},
        {W("doc.htm"), W("tool"), "open \"doc.htm\"", "with " + W("tool") + " " + W("doc.htm")},
        {"", W("tool"), "start \"tool\"", "with " + W("tool") + " "},
        {W("dir"), "", "open \"dir\"", ""},
    };
    for (const Case& c : cases) {
        script->launched.clear();
        ELaunchAppCommand command(c.document, c.program);
        EXPECT_EQ(command.GetName(), c.name);
        EXPECT_TRUE(command.Execute());
        EXPECT_EQ(script->launched.empty() ? "" : script->launched[0], c.launched);
    }
    script->launchResult = LaunchResult::Failed;
    EXPECT_FALSE(history_.ExecuteCommand(std::make_unique<ELaunchAppCommand>(W("doc.htm"))));
    EXPECT_EQ(script->messageBoxes.back(), "Could not open application or document");
    EXPECT_FALSE(history_.CanUndo());
    EXPECT_EQ(ELaunchAppCommand("", "").GetName(), "start application");
    EXPECT_EQ(EAppLauncherXdg().OpenWith(W("doc.htm"), ""), LaunchResult::NoProgram);
}

// The real launcher starts programs without a shell and knows when one could not start.
TEST_F(CommandsTest, TheLauncherStartsProgramsAndReportsFailure) {
    Files({{"doc with space.htm", ""}, {"tool", "#!/bin/sh\necho \"$1\" > \"$0.ran\"\n"}});
    ::chmod(W("tool").c_str(), 0755);
    EAppLauncherXdg launcher;
    EXPECT_EQ(launcher.RunProgram(W("missing-tool")), LaunchResult::Failed);
    EXPECT_EQ(launcher.OpenWith(W("doc with space.htm"), W("doc with space.htm")),
              LaunchResult::NoProgram);  // not a program
    ASSERT_EQ(launcher.OpenWith(W("doc with space.htm"), W("tool")), LaunchResult::Done);
    std::string ran;
    for (int wait = 0; wait < 100 && (ran = ReadFile(W("tool.ran"))).empty(); ++wait)
        ::usleep(20000);
    EXPECT_EQ(ran, W("doc with space.htm") + "\n");  // one argument, spaces and all
}

TEST_F(CommandsTest, EveryCommandReadsBackItsLogLine) {
    std::vector<std::unique_ptr<ECommand>> commands;
    commands.push_back(std::make_unique<ELaunchAppCommand>("/d/doc.htm", "/bin/prog"));
    commands.push_back(std::make_unique<ENewDirCommand>("/d/new"));
    commands.push_back(
        std::make_unique<ETrashCommand>(std::vector<std::string>{"/d/a", "/d/b"}, "/d"));
    commands.push_back(
        std::make_unique<EMoveCommand>(std::vector<std::string>{"/d/a", "/d/b"}, "/t"));
    commands.push_back(
        std::make_unique<EMoveHierCommand>(std::vector<std::string>{"/d/x/a"}, "/d", "/t"));
    commands.push_back(std::make_unique<ECopyCommand>("/d/a", "/t"));
    commands.push_back(std::make_unique<EDuplicateCommand>("/d/a"));
    commands.push_back(std::make_unique<ERenameCommand>("/d/a", "/d/b"));
    commands.push_back(std::make_unique<EShortcutCommand>("/d/a", "/t"));
    const char* names[] = {"open \"doc.htm\"",        "create new folder \"new\"",
                           "remove of files",         "move of files",
                           "move of \"d\"",           "copy of \"a\"",
                           "duplicate of \"a\"",      "rename of \"a\"",
                           "create shortcut to \"a\""};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string line = commands[i]->Serialize();
        EXPECT_TRUE(line.starts_with(commands[i]->GetClassName() + "\t")) << line;
        EXPECT_EQ(commands[i]->GetName(), names[i]);
        EXPECT_TRUE(commands[i]->Deserialize(line)) << line;
        EXPECT_EQ(commands[i]->Serialize(), line);
        EXPECT_FALSE(commands[i]->Deserialize("EOtherCommand\t/x")) << line;
    }
}

}  // namespace
}  // namespace tw
