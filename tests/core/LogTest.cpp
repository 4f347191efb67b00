#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/log/AppLog.h"
#include "core/platform/FileUtils.h"
#include "core/settings/DebugProfile.h"
#include "core/strings/Strings.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

using test::TestHome;

class LogTest : public TestHome {};

TEST_F(LogTest, HtmlSectionRendersLinesReferencesAndLineNumbers) {
    EHtmlSection s(0, PathOf("s.html"));
    s.WriteLineAt(7, "text");
    s.WriteFileRefLine("/a b/c.htm");
    s.WriteFileRefLine("/x/<i>&.htm");
    EXPECT_TRUE(s.HasContent());
    EXPECT_EQ(s.Contents(),
              "&nbsp;&nbsp;&nbsp;line&nbsp;&nbsp;&nbsp;&nbsp;7:&nbsp;text<br>\n"
              "<a href=\"file:///a%20b/c.htm\">/a b/c.htm</a><br>\n"
              "<a href=\"file:///x/%3Ci%3E%26.htm\">/x/&lt;i&gt;&amp;.htm</a><br>\n");
    s.Write("more");  // the file was reopened for appending after Contents
    s.Reset();
    EXPECT_FALSE(s.HasContent());
    EXPECT_EQ(s.Contents(), "");
}

TEST_F(LogTest, PlainSectionWritesNothingForEmptyTextOrNoStream) {
    ESection s(0, PathOf("p.txt"));
    s.Write("");
    EXPECT_FALSE(s.HasContent());
    s.WriteResLineAt(12, 30027, "/a", "/b");
    EXPECT_EQ(s.Contents(), "   line   12: Failed to rename file\n\t/a\nto\n\t/b\n");
    ESection none(0, ESection::Stream::None);
    none.WriteLine("dropped");
    EXPECT_FALSE(none.HasContent());
    EXPECT_EQ(none.Contents(), "");
}

TEST_F(LogTest, TitlesAreRecasedWordByWord) {
    EXPECT_EQ(EAppLog::RecaseTitle("BROKEN LINKS:"), "Broken Links: ");
    EXPECT_EQ(EAppLog::RecaseTitle("EXTERNAL URL REFERENCES:"), "External URL References: ");
    EXPECT_EQ(EAppLog::RecaseTitle("HTML SYNTAX  ERRORS:"), "HTML Syntax Errors: ");
    EXPECT_EQ(EAppLog::RecaseTitle("Orphans in this Site"), "Orphans in this Site ");
}

TEST_F(LogTest, ReportSectionsShareOneFileWithAnchorsAndHeadings) {
    ESection* syntax = log_->OpenSection(ELog::kSyntaxSectionId);
    syntax->WriteLine("bad tag");
    log_->CloseSection(syntax);
    ESection* broken = log_->OpenSection(28435);
    log_->CloseSection(broken);  // nothing written: no closing paragraph
    ESection* blank = log_->OpenAnchoredSection("mine", 28416);
    EXPECT_EQ(syntax, broken);
    EXPECT_EQ(syntax, blank);
    EXPECT_EQ(syntax->Contents(),
              "<a name = \"syntax\"></a><h3>HTML Syntax Errors: </h3><p>bad tag<br>\n"
              "</p><p>&nbsp;</p>"
              "<a name = \"brokenlinks\"></a><h3>Broken Links: </h3><p>"
              "<a name = \"mine\"></a><p>&nbsp;</p><br>\n");
    EXPECT_EQ(log_->OpenSection(28438), log_->OpenSection(28440));  // discarded
    EXPECT_NE(log_->OpenSection(28438), syntax);

    ESection* stats = log_->OpenAnchoredSection("top", 140);  // 140 starts the report over
    EXPECT_EQ(stats->Contents(), "<a name = \"top\"></a><h2>Detailed Web Site Statistics </h2><p>");
}

TEST_F(LogTest, ErrorSectionCollectsErrorsAndIsEmptiedByReopening) {
    EXPECT_FALSE(log_->HasErrors());
    log_->LogErrorFile(30026, "/x/y.htm");
    EXPECT_TRUE(log_->HasErrors());
    EXPECT_EQ(log_->ErrorText(),
              "<a name = \"errors\"></a><h2>File Errors: </h2><p>Failed to delete file<br>\n"
              "\t<a href=\"file:///x/y.htm\">/x/y.htm</a><br>\n");
    log_->ClearErrors();
    EXPECT_FALSE(log_->HasErrors());
    EXPECT_EQ(log_->ErrorText(), "");
    log_->LogError(30017);
    ESection* again = log_->OpenSection(ELog::kErrorSectionId);
    EXPECT_FALSE(again->HasContent());
    EXPECT_EQ(again->Contents(), "<a name = \"errors\"></a><h2>File Errors: </h2><p>");
}

TEST_F(LogTest, PlainLogUsesStandardStreamsAndOwnsItsSections) {
    ScopedLog plain(std::make_unique<ELog>());
    ELog& log = ELog::Instance();
    EXPECT_EQ(dynamic_cast<EAppLog*>(&log), nullptr);
    testing::internal::CaptureStdout();
    ESection* s = log.OpenSection(28435);
    s->WriteLine("x");
    EXPECT_TRUE(s->HasContent());
    log.CloseSection(s);
    std::string out = testing::internal::GetCapturedStdout();
    std::string rule(80, '-');
    EXPECT_EQ(out, rule + "\nBROKEN LINKS:\n" + rule + "\nx\n");
    testing::internal::CaptureStderr();
    log.LogErrorFile(30016, "/f");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(80, '-') + "\nFILE ERRORS:\n" + rule + "\nFile open failed\n\t/f\n");
}

TEST_F(LogTest, LogFileRecordsStartStopAndLines) {
    std::string path = EAppLog::LogFilePath();
    EXPECT_EQ(path, Root() + "/home/Config/log.txt");
    log_->WriteLogFile("move of \"a.htm\"");
    log_->WriteLogFile("# comment");
    log_->LogErrorFile(30026, "/x");
    log_->SetLogFileEnabled(false);
    std::string text = ReadFile(path);
    std::string expectedStart = "#" + std::string(60, '-') + "\n# Started: ";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    std::size_t body = text.find('\n', expectedStart.size()) + 1;
    EXPECT_EQ(text.substr(body, text.rfind("# Stopped: ") - body),
              "\nmove of \"a.htm\"\n# comment\n\nFailed to delete file\n\n\t\n\n/x\n");
    log_->SetLogFileEnabled(false);  // already stopped: nothing happens
    EXPECT_EQ(ReadFile(path), text);
}

TEST_F(LogTest, LogFileIsCutBackOnlyWhenLargerThanTheLimit) {
    log_->SetLogFileEnabled(false);
    for (long size : {EAppLog::kLogMaxBytes, EAppLog::kLogMaxBytes + 1}) {
        std::string content(static_cast<std::size_t>(size), 'a');
        content[0] = 'S';
        content.back() = 'E';
        WriteFile("home/Config/log.txt", content);
        log_->SetLogFileEnabled(true);
        log_->SetLogFileEnabled(false);
        std::string after = ReadFile(EAppLog::LogFilePath());
        std::size_t kept = after.find('#');
        EXPECT_EQ(kept, size == EAppLog::kLogMaxBytes ? size : EAppLog::kLogKeepBytes) << size;
        EXPECT_EQ(after[kept - 1], 'E');
    }
}

TEST_F(LogTest, DebugProfileSwitchesTheLogFileOff) {
    DebugProfile::WriteBool("1EnableLogging", false);
    EAppLog quiet;
    EXPECT_FALSE(quiet.IsLogFileOpen());
    DebugProfile::WriteBool("1EnableLogging", true);
    EAppLog loud;
    EXPECT_TRUE(loud.IsLogFileOpen());
}

TEST_F(LogTest, TemporarySectionFilesGoAwayWithTheLog) {
    std::string path;
    {
        EAppLog log;
        ESection* s = log.OpenSection(302);
        path = s->Path();
        EXPECT_NE(path.find("/tmp/tw_"), std::string::npos);
        EXPECT_TRUE(PathExists(path));
    }
    EXPECT_FALSE(PathExists(path));
}

TEST_F(LogTest, TempFolderThatIsNoFolderMeansTheSystemDefault) {
    std::string file = WriteFile("afile", "x");
    ::setenv("TMPDIR", file.c_str(), 1);
    EAppLog log;
    ESection* s = log.OpenSection(28435);
    EXPECT_EQ(s->Path().rfind("/tmp/tw_", 0), 0u) << s->Path();
    s->WriteLine("x");
    EXPECT_TRUE(s->HasContent());
}

}  // namespace
}  // namespace tw
