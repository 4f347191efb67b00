// Commands killed at every point where they could leave work half done, and a disk that fills
// up midway: `tidewright recover` (or the command itself) brings the site back byte for byte.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "core/platform/FileUtils.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

class RecoverCommandTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        // A folder of pages that refer to each other and to the rest of the site, and pages
        // outside it that refer into it: moving the folder rewrites all of them.
        WriteFile("site/index.html",
                  "<a href=\"docs/a.html\">A</a> <a href=\"docs/b.html#x\">B</a>\n"
                  "<img src=\"docs/pic.png\">\n");
        WriteFile("site/news.html", "<a href=\"docs/c.html\">C</a> <a href=\"index.html\">i</a>\n");
        WriteFile("site/docs/a.html", "<a href=\"b.html\">b</a> <a href=\"../index.html\">h</a>\n");
        WriteFile("site/docs/b.html", "<p id=x><a href=\"../news.html\">news</a>\n");
        WriteFile("site/docs/c.html", "<link href=\"../style.css\" rel=stylesheet>\n");
        WriteFile("site/docs/pic.png", "PNG");
        WriteFile("site/style.css", "body { background: url(docs/pic.png) }\n");
        MakeFolder("site/new");
    }
    Run Tw(std::vector<std::string> args, int killAt = 0) {
        args.insert(args.begin(), TW_CLI);
        if (killAt > 0) ::setenv("TIDEWRIGHT_KILL_AT", std::to_string(killAt).c_str(), 1);
        Run run = RunProgram(args);
        ::unsetenv("TIDEWRIGHT_KILL_AT");
        return run;
    }
    static bool Killed(const Run& run) { return run.status == -1; }
    std::map<std::string, std::string> Snapshot() { return FilesBelow(PathOf("site")); }
    std::vector<std::string> Move() {
        return {"mv", "--site-dir", PathOf("site"), PathOf("site/docs"), PathOf("site/new")};
    }
    // Rolls back, interrupting the rollback itself after each of its steps when asked.
    void Recover(bool interruptEachStep) {
        for (int attempt = 0; interruptEachStep && attempt < 100; ++attempt)
            if (!Killed(Tw({"recover"}, 1))) break;
        Run recover = Tw({"recover"});
        EXPECT_EQ(recover.status, 0) << recover.out;
        EXPECT_EQ(Tw({"recover"}).out, "no interrupted command\n");
    }
    // Runs a shell script as root of its own user and mount namespace, where it may mount
    // file systems; false when this machine does not allow it.
    bool RunMounting(const char* script, std::vector<std::string> env, Run& run) {
        const std::string probe = MakeFolder("probe");
        if (RunProgram({"unshare", "-rm", "mount", "-t", "tmpfs", "tw", probe}).status != 0)
            return false;
        env.insert(env.begin(), {"env", "SITE=" + PathOf("site"), std::string("TW=") + TW_CLI});
        env.insert(env.end(), {"unshare", "-rm", "sh", "-c", script});
        run = RunProgram(env);
        return true;
    }
    void Reset(const std::map<std::string, std::string>& snapshot) {
        RemoveFolderTree(PathOf("site"));
        for (const auto& [path, bytes] : snapshot) {
            if (path.ends_with('/'))
                CreateFolders(path);
            else
                WriteFile(path.substr(Root().size() + 1), bytes);
        }
    }
};

// Killed after every record and every file operation, a move and an undo are rolled back to
// exactly the files before them, also when the rollback is itself killed after each step.
TEST_F(RecoverCommandTest, AKillAtAnyPointIsRolledBackByteForByte) {
    const auto before = Snapshot();
    ASSERT_EQ(Tw(Move()).status, 0);
    const auto after = Snapshot();
    ASSERT_NE(after, before);

    // The undo is killed after a move: rolled back, the move stands, and can still be undone.
    struct Case {
        std::vector<std::string> prepare, args;
        const std::map<std::string, std::string>&rolledBack, &finished;
    } cases[] = {{{}, Move(), before, after},
                 {Move(), {"undo", "--site-dir", PathOf("site")}, after, before}};
    for (const Case& c : cases) {
        int kills = 0;
        for (int n = 1; n < 200; ++n) {
            SCOPED_TRACE(c.args[0] + " killed at point " + std::to_string(n));
            Reset(before);
            if (!c.prepare.empty()) {
                ASSERT_EQ(Tw(c.prepare).status, 0);
            }
            Run run = Tw(c.args, n);
            if (!Killed(run)) {
                EXPECT_EQ(run.status, 0) << run.out;
                EXPECT_EQ(Snapshot(), c.finished);
                break;
            }
            ++kills;
            if (n == 8) {
                // Half done: no other command may change the site until it is rolled back,
                // and a look at the rollback changes nothing either.
                const auto half = Snapshot();
                Run refused = Tw(
                    {"rename", "--site-dir", PathOf("site"), PathOf("site/style.css"), "main.css"});
                EXPECT_EQ(refused.status, 1);
                Run show = Tw({"recover", "--show"});
                EXPECT_NE(show.out.find("would roll back"), std::string::npos) << show.out;
                EXPECT_EQ(Snapshot(), half);
            }
            // Killed after it marked its record complete, the command stands.
            const bool finished = Tw({"recover", "--show"}).out.find("finished before") == 0;
            Recover(n % 5 == 0);
            EXPECT_EQ(Snapshot(), finished ? c.finished : c.rolledBack);
            if (!finished && !c.prepare.empty()) {
                EXPECT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
                EXPECT_EQ(Snapshot(), before);
            }
        }
        EXPECT_GT(kills, 10) << c.args[0];  // the hook reached every stage of the command
    }
}

// A page changed by hand after the crash is not overwritten: the rollback says so and keeps
// its record, until the user drops it.
TEST_F(RecoverCommandTest, APageChangedSinceTheCrashIsLeftAndReported) {
    int n = 1;
    for (; n < 200; ++n) {
        Run run = Tw(Move(), n);
        ASSERT_TRUE(Killed(run));
        if (ReadFile(PathOf("site/index.html")).find("new/docs") != std::string::npos) break;
        Tw({"recover"});
    }
    WriteFile("site/index.html", "edited by hand\n");
    Run recover = Tw({"recover"});
    EXPECT_EQ(recover.status, 1);
    EXPECT_NE(recover.out.find("index.html: changed since the command; left as it is"),
              std::string::npos)
        << recover.out;
    EXPECT_EQ(ReadFile(PathOf("site/index.html")), "edited by hand\n");
    EXPECT_EQ(Tw({"recover", "--forget"}).status, 0);
    EXPECT_EQ(Tw({"recover"}).out, "no interrupted command\n");
}

// Onto another file system a move copies and then removes, entry by entry: killed at any of
// those points it is rolled back too.
TEST_F(RecoverCommandTest, AKillDuringAMoveToAnotherFileSystemIsRolledBack) {
    // Killed after it marked its record complete, the command stands: no comparison then.
    const char* script = R"(
        for n in $(seq 1 100); do
            rm -rf "$WORK" && cp -a "$SITE" "$WORK" && mount -t tmpfs tw "$WORK/new"
            TIDEWRIGHT_KILL_AT=$n "$TW" mv --site-dir "$WORK" "$WORK/docs" "$WORK/new" >/dev/null 2>&1
            status=$?
            if [ $status -ne 137 ]; then echo "finished at $n: $status"; exit 0; fi
            "$TW" recover --show | grep -q '^finished before'
            finished=$?
            "$TW" recover >/dev/null 2>&1 || echo "recover failed at $n"
            [ $finished = 0 ] || diff -r "$SITE" "$WORK" >/dev/null || echo "differs at $n"
            umount "$WORK/new"
        done)";
    Run run;
    if (!RunMounting(script, {"WORK=" + PathOf("work")}, run))
        GTEST_SKIP() << "cannot mount a file system here (needs user namespaces)";
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("differs"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("recover failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(": 0\n"), std::string::npos) << run.out;
    const int points = std::stoi(run.out.substr(run.out.find("finished at ") + 12));
    EXPECT_GT(points, 15) << run.out;  // every entry's copy and removal was a point
}

// On a small file system that fills up while the pages are rewritten, the move reverses
// itself: the command fails and the site is as it was, with no temporary file left behind.
TEST_F(RecoverCommandTest, AFullDiskReversesTheMove) {
    // Pages of about 6 KB each that all refer to the folder being moved.
    std::string filler(6000, 'x');
    for (int i = 0; i < 30; ++i)
        WriteFile("site/p" + std::to_string(i) + ".html",
                  "<a href=\"docs/a.html\">a</a><!--" + filler + "-->\n");
    const auto before = Snapshot();
    // A tmpfs with the site copied in and then shrunk to leave 64 KB free.
    const char* script = R"(
        mount -t tmpfs -o size=4m tw "$DISK" || exit 78
        cp -a "$SITE" "$DISK/site" || exit 78
        used=$(df -k --output=used "$DISK" | tail -1)
        mount -o remount,size=$((used + 64))k "$DISK" || exit 79
        "$TW" mv --site-dir "$DISK/site" "$DISK/site/docs" "$DISK/site/new" 2>&1
        echo "status=$?"
        diff -r "$SITE" "$DISK/site" && echo same
        find "$DISK" -name '.tw_*')";
    Run run;
    if (!RunMounting(script, {"DISK=" + MakeFolder("disk")}, run))
        GTEST_SKIP() << "cannot mount a file system here (needs user namespaces)";
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("status=1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("the command was reversed; nothing was changed"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("No space left on device"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("same\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(".tw_"), std::string::npos) << run.out;
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Tw({"recover"}).out, "no interrupted command\n");
}

}  // namespace
}  // namespace tw
