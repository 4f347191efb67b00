// The command line with a user's only copy of a site: one command at a time per site, symbolic
// links taken as themselves, nothing outside the site written, pages kept the user's files,
// and every refusal, skip and interruption said with the right exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "core/platform/FileLock.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "engine/commands/SiteLock.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

class SafetyTest : public test::TestHome {
  protected:
    void SetUp() override {
        TestHome::SetUp();
        // Four pages refer to the stylesheet and to a.html: renaming either rewrites them all.
        WriteFile("site/index.html",
                  "<link rel=stylesheet href=style.css><a href=a.html>a</a> <a href=p1.html>1</a>"
                  " <a href=p2.html>2</a> <a href=p3.html>3</a> <a href=sub/b.html>b</a>\n");
        for (const char* page : {"site/p1.html", "site/p2.html", "site/p3.html"})
            WriteFile(page, "<link rel=stylesheet href=style.css><a href=a.html>a</a>\n");
        WriteFile("site/a.html", "<link rel=stylesheet href=style.css><a href=index.html>i</a>\n");
        WriteFile("site/sub/b.html", "<a href=\"../a.html\">a</a>\n");
        WriteFile("site/style.css", "body { color: black }\n");
    }
    // Runs the command line; its standard error is appended to what it printed.
    Run Tw(const std::vector<std::string>& args, const std::string& env = {}) {
        std::string line = env + " '" + std::string(TW_CLI) + "'";
        for (const std::string& arg : args) line += " '" + arg + "'";
        return RunProgram({"sh", "-c", line + " 2>&1"});
    }
    std::vector<std::string> Site() { return {"--site-dir", PathOf("site")}; }
    std::vector<std::string> With(std::vector<std::string> head, std::vector<std::string> tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }
    std::map<std::string, std::string> Snapshot() { return FilesBelow(PathOf("site")); }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

// A second command on a site waits for the first, or gives up saying for whom it waited,
// having changed nothing; two commands started together both finish, and the site is as if
// they had run one after the other.
TEST_F(SafetyTest, OneCommandAtATimePerSite) {
    const auto before = Snapshot();
    {
        // The site's lock, held here as another command would hold it; the folder spelled
        // through a symbolic link is the same site.
        ASSERT_EQ(::symlink(PathOf("site").c_str(), PathOf("alias").c_str()), 0);
        EXPECT_EQ(SiteLockPath(PathOf("alias") + "/"), SiteLockPath(PathOf("site")));
        EFileLock held;
        ASSERT_TRUE(held.Acquire(SiteLockPath(PathOf("site")), {}));
        Run refused =
            Tw(With({"rename", "--site-dir", PathOf("alias")}, {PathOf("site/a.html"), "b.html"}),
               "TIDEWRIGHT_LOCK_WAIT=0.2");
        EXPECT_EQ(refused.status, 2) << refused.out;
        const std::string waiting =
            "waiting for another command on this site (pid " + std::to_string(::getpid()) + ")";
        EXPECT_TRUE(Has(refused.out, waiting)) << refused.out;
        EXPECT_TRUE(Has(refused.out, "gave up; nothing was done")) << refused.out;
        EXPECT_EQ(Snapshot(), before);
    }
    // Together: two renames and four folders made, each writing the journal.
    std::string script;
    const auto command = [&](std::vector<std::string> args) {
        std::string line = std::string("'") + TW_CLI + "' " + args[0] + " --wait --site-dir '" +
                           PathOf("site") + "'";
        for (std::size_t i = 1; i < args.size(); ++i) line += " '" + args[i] + "'";
        script += line + " >/dev/null & ";
    };
    command({"rename", PathOf("site/a.html"), "b.html"});
    command({"rename", PathOf("site/style.css"), "look.css"});
    for (const char* folder : {"site/f1", "site/f2", "site/f3", "site/f4"})
        command({"mkdir", PathOf(folder)});
    ASSERT_EQ(RunProgram({"sh", "-c", script + "wait"}).status, 0);
    const auto together = Snapshot();
    Run history = Tw({"history", "--site-dir", PathOf("site")});
    for (const char* name :
         {"rename of \"a.html\"", "rename of \"style.css\"", "f1", "f2", "f3", "f4"})
        EXPECT_TRUE(Has(history.out, name)) << history.out;
    Run check = Tw({"check", PathOf("site")});
    EXPECT_EQ(check.status, 0) << check.out;

    // One after the other, on the state before: the same bytes.
    for (int i = 0; i < 6; ++i) ASSERT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
    EXPECT_EQ(Snapshot(), before);
    ASSERT_EQ(Tw(With({"rename"}, With(Site(), {PathOf("site/a.html"), "b.html"}))).status, 0);
    ASSERT_EQ(Tw(With({"rename"}, With(Site(), {PathOf("site/style.css"), "look.css"}))).status, 0);
    for (const char* folder : {"site/f1", "site/f2", "site/f3", "site/f4"})
        ASSERT_EQ(Tw(With({"mkdir"}, With(Site(), {PathOf(folder)}))).status, 0);
    EXPECT_EQ(Snapshot(), together);
}

// A symbolic link named is the link: removing a link to the site's own folder trashes the
// link, moving a link to a page moves the link; a path that leaves the site after ".." is
// refused; a page whose real file lies outside the site is read but never rewritten.
TEST_F(SafetyTest, SymbolicLinksAreItemsOfTheSite) {
    ASSERT_EQ(::symlink(".", PathOf("site/self").c_str()), 0);
    ASSERT_EQ(::symlink("a.html", PathOf("site/alias.html").c_str()), 0);
    const std::string outside =
        WriteFile("outside/page.html", "<a href=\"a.html\">the site's a, through a link</a>\n");
    ASSERT_EQ(::symlink(outside.c_str(), PathOf("site/ext.html").c_str()), 0);
    WriteFile("site/index2.html", "<a href=ext.html>x</a> <a href=alias.html>y</a>\n");
    const std::string a = ReadFile(PathOf("site/a.html"));

    Run rm = Tw(With({"rm"}, With(Site(), {PathOf("site/self")})));
    EXPECT_EQ(rm.status, 0) << rm.out;
    EXPECT_FALSE(StampOf(PathOf("site/self")).exists);
    EXPECT_EQ(ReadFile(PathOf("site/a.html")), a);
    EXPECT_TRUE(IsFolder(PathOf("site/sub")));

    Run mv = Tw(With({"rename"}, With(Site(), {PathOf("site/alias.html"), "other.html"})));
    EXPECT_EQ(mv.status, 0) << mv.out;
    EXPECT_TRUE(IsSymbolicLink(PathOf("site/other.html")));
    EXPECT_EQ(ReadFile(PathOf("site/a.html")), a);
    EXPECT_TRUE(Has(ReadFile(PathOf("site/index2.html")), "href=other.html"));

    Run mkdir = Tw(With({"mkdir"}, With(Site(), {PathOf("site") + "/../x"})));
    EXPECT_EQ(mkdir.status, 2);
    EXPECT_TRUE(Has(mkdir.out, "lies outside the site")) << mkdir.out;
    EXPECT_FALSE(StampOf(PathOf("x")).exists);

    const std::string before = ReadFile(outside);
    Run rename = Tw(With({"rename"}, With(Site(), {PathOf("site/a.html"), "b.html"})));
    EXPECT_EQ(rename.status, 1) << rename.out;
    EXPECT_TRUE(Has(rename.out, "ext.html: not rewritten: it lies outside the site")) << rename.out;
    EXPECT_EQ(ReadFile(outside), before);
    EXPECT_TRUE(Has(ReadFile(PathOf("site/p1.html")), "href=b.html"));
}

// A relative link whose item moves, or that moves itself, is pointed again at its item; undo
// gives it its old text back.
TEST_F(SafetyTest, RelativeLinksFollowWhatTheyLeadTo) {
    WriteFile("site/img/logo.png", "PNG");
    ASSERT_EQ(::symlink("../img/logo.png", PathOf("site/sub/pic.png").c_str()), 0);
    ASSERT_EQ(::symlink("style.css", PathOf("site/look.css").c_str()), 0);
    const auto before = Snapshot();
    Run rename = Tw(With({"rename"}, With(Site(), {PathOf("site/img"), "images"})));
    EXPECT_EQ(rename.status, 0) << rename.out;
    EXPECT_EQ(ReadLinkText(PathOf("site/sub/pic.png")), "../images/logo.png");
    Run mv = Tw(With({"mv"}, With(Site(), {PathOf("site/look.css"), PathOf("site/sub")})));
    EXPECT_EQ(mv.status, 0) << mv.out;
    EXPECT_EQ(ReadLinkText(PathOf("site/sub/look.css")), "../style.css");
    ASSERT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
    ASSERT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(ReadLinkText(PathOf("site/sub/pic.png")), "../img/logo.png");
}

// A rewritten page keeps its permission bits, its owner and its other hard links; a binary
// file named like a page gives no links and is never rewritten.
TEST_F(SafetyTest, RewrittenPagesStayTheUsersFiles) {
    const std::string page = PathOf("site/p1.html");
    ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
    ASSERT_EQ(::link(page.c_str(), PathOf("elsewhere.html").c_str()), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(page.c_str(), 4242, 4343), 0);
    }
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    const ino_t inode = st.st_ino;
    const std::string binary = std::string("<a href=a.html>x</a>\0\0<a href=a.html>", 38);
    WriteFile("site/blob.html", binary);

    Run rename = Tw(With({"rename"}, With(Site(), {PathOf("site/a.html"), "b.html"})));
    EXPECT_EQ(rename.status, 0) << rename.out;
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), std::make_pair(4242u, 4343u));
    }
    EXPECT_TRUE(Has(ReadFile(PathOf("elsewhere.html")), "href=b.html"));
    EXPECT_EQ(ReadFile(PathOf("site/blob.html")), binary);
    EXPECT_FALSE(Has(rename.out, "blob.html")) << rename.out;

    ASSERT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
    EXPECT_TRUE(Has(ReadFile(PathOf("elsewhere.html")), "href=a.html"));
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, inode);
}

// Each item left alone says why, on its own line; a command that does nothing says so with
// exit status 2.
TEST_F(SafetyTest, EveryRefusalIsSaid) {
    WriteFile("site/sub/a.html", "taken");
    const auto before = Snapshot();
    struct Case {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{"mv", PathOf("site/sub"), PathOf("site/sub")}, "sub: a folder cannot go into itself"},
        {{"mv", PathOf("site/sub"), PathOf("site/sub/deeper")}, "deeper: no such file"},
        {{"mv", PathOf("site/a.html"), PathOf("site")}, "a.html: it is in that folder already"},
        {{"mv", PathOf("site/a.html"), PathOf("site/sub")}, "a.html: the name is taken in"},
        {{"cp", PathOf("site/a.html"), PathOf("site/sub")}, "a.html: the name is taken in"},
        {{"rename", PathOf("site/a.html"), "index.html"}, "index.html: that name is taken"},
        {{"mv", PathOf("site/gone.html"), PathOf("site/sub")}, "gone.html: no such file"},
        {{"mkdir", PathOf("site/sub")}, "exists already"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{c.args[0]};
        args = With(With(args, Site()), {c.args.begin() + 1, c.args.end()});
        Run run = Tw(args);
        EXPECT_EQ(run.status, 2) << c.said << "\n" << run.out;
        EXPECT_TRUE(Has(run.out, c.said)) << c.said << "\n" << run.out;
        EXPECT_EQ(Snapshot(), before) << c.said;
    }
}

// A page the load could not read may refer to what moves: it is named, and the command
// exits 1. (Root reads every file: the case needs an ordinary user.)
TEST_F(SafetyTest, AnUnreadableReferrerIsAProblem) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads a file of mode 000";
    ASSERT_EQ(::chmod(PathOf("site/p2.html").c_str(), 0), 0);
    Run rename = Tw(With({"rename"}, With(Site(), {PathOf("site/a.html"), "b.html"})));
    ::chmod(PathOf("site/p2.html").c_str(), 0644);
    EXPECT_EQ(rename.status, 1) << rename.out;
    EXPECT_TRUE(Has(rename.out, "p2.html: could not be read")) << rename.out;
}

// Ctrl+C at any point of a command reverses the whole of it (exit 130, nothing changed) or
// comes after it finished; a journal that cannot be written reverses the command too.
TEST_F(SafetyTest, InterruptionsAndAnUnwritableJournalChangeNothing) {
    const auto before = Snapshot();
    const auto rename = With({"rename"}, With(Site(), {PathOf("site/style.css"), "look.css"}));
    int cancelled = 0;
    for (int point = 1; point < 40; ++point) {
        Run run =
            Tw(rename, "TIDEWRIGHT_KILL_SIGNAL=INT TIDEWRIGHT_KILL_AT=" + std::to_string(point));
        if (run.status == 0) break;  // the interrupt came after the command was done
        EXPECT_EQ(run.status, 130) << point << "\n" << run.out;
        EXPECT_TRUE(Has(run.out, "cancelled: nothing was changed")) << run.out;
        EXPECT_EQ(Snapshot(), before) << point;
        ++cancelled;
    }
    EXPECT_GT(cancelled, 3);
    ASSERT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
    ASSERT_EQ(Snapshot(), before);

    // The journal's place is taken by a folder: it cannot be written.
    const std::string journal = ProgramSubfolder("Config") + "journal.txt";
    ASSERT_EQ(::unlink(journal.c_str()), 0);
    ASSERT_EQ(::mkdir(journal.c_str(), 0700), 0);
    Run run = Tw(rename);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(Has(run.out, "could not be written")) << run.out;
    EXPECT_TRUE(Has(run.out, "so the command was reversed: nothing was changed")) << run.out;
    EXPECT_EQ(Snapshot(), before);
}

// A page edited after the command is left alone by its undo, even when the edit kept its size
// and its modification time: the content decides.
TEST_F(SafetyTest, AnEditKeepingSizeAndTimeStillRefusesTheUndo) {
    ASSERT_EQ(Tw(With({"rename"}, With(Site(), {PathOf("site/style.css"), "look.css"}))).status, 0);
    const std::string page = PathOf("site/p1.html");
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    std::string text = ReadFile(page);
    text[text.size() - 2] = 'A';  // same size
    WriteFile("site/p1.html", text);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, page.c_str(), times, 0), 0);
    const auto edited = Snapshot();
    Run undo = Tw({"undo", "--site-dir", PathOf("site")});
    EXPECT_EQ(undo.status, 2) << undo.out;
    EXPECT_TRUE(Has(undo.out, "p1.html changed since the command")) << undo.out;
    EXPECT_EQ(Snapshot(), edited);
}

// An entry of the undo journal cut short (inside a splice) or changed by hand is known by its
// checksum: undo refuses it, changing nothing, instead of writing bytes it cannot trust.
TEST_F(SafetyTest, ADamagedJournalEntryIsNeverUndone) {
    ASSERT_EQ(Tw(With({"rename"}, With(Site(), {PathOf("site/style.css"), "look.css"}))).status, 0);
    const auto renamed = Snapshot();
    const std::string journal = ProgramSubfolder("Config") + "journal.txt";
    const std::string text = ReadFile(journal);
    for (const std::string& damaged :
         {text.substr(0, text.find("splice ") + 12),  // cut inside a splice
          std::string(text).replace(text.find("look.css"), 1, "L")}) {
        WriteFile(journal.substr(Root().size() + 1), damaged);
        Run undo = Tw({"undo", "--site-dir", PathOf("site")});
        EXPECT_EQ(undo.status, 2) << undo.out;
        EXPECT_TRUE(Has(undo.out, "is damaged")) << undo.out;
        EXPECT_EQ(Snapshot(), renamed);
    }
    WriteFile(journal.substr(Root().size() + 1), text);
    EXPECT_EQ(Tw({"undo", "--site-dir", PathOf("site")}).status, 0);
}

}  // namespace
}  // namespace tw
