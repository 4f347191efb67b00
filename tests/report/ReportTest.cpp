// The statistics report: its passes write exactly the sections users read, the file is one
// safe HTML page, and its download-time table sorts in a real browser.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "engine/model/SiteRegistry.h"
#include "engine/report/ReportPasses.h"
#include "engine/report/StatisticsReport.h"
#include "tests/support/SiteBuilder.h"

namespace tw {
namespace {

class ReportTest : public test::SiteTest {
  protected:
    // A site with a broken link, the same external URL in two pages, a mailto link written
    // in capitals, pages of 1 and 1801 bytes, an orphan folder and a file named with "<&".
    void MakeReportSite() {
        MakeSite({{"index.html",
                   "<a href=\"one.html\">1</a><a href=\"big.html\">b</a>\n"
                   "<a href=\"http://example.org/x\">x</a> <a href=\"missing.html\">m</a>\n"
                   "<a href=\"mailto:me@example.org\">me</a><a href=\"a&lt;b&amp;.html\">odd</a>\n"
                   "<img src=\"logo.gif\"><img src=\"gone.gif\">\n"},
                  {"one.html", "x"},
                  {"big.html", std::string(1801, 'y')},
                  {"a<b&.html",
                   "<a href=\"http://example.org/x\">again</a>"
                   "<a href=\"MAILTO:you@example.org\">caps</a>"},
                  {"logo.gif", std::string(1000, 'g')},
                  {"attic/old.html", "old"}},
                 "index.html");
        site = ESiteRegistry::Instance().AdoptSite(std::move(site_));
        ASSERT_TRUE(LoadSite(*site));
    }
    void TearDown() override {
        ESiteRegistry::Instance().Clear();
        SiteTest::TearDown();
    }
    std::string Generate() {
        const std::string path = PathOf("report.html");
        EXPECT_TRUE(GenerateReport(*site, path)) << Errors();
        return ReadFile(path);
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    EAppSite* site = nullptr;
};

TEST_F(ReportTest, PassesWriteTheirSections) {
    MakeReportSite();
    const std::string report = Generate();
    const std::string index = SitePath("index.html");
    // Broken links by page and line; a file link that opens on Linux.
    EXPECT_TRUE(
        Has(report, "<h3>Broken Links: </h3><p><br>\nIn file <a href=\"file://" + index + "\">" +
                        index +
                        "</a><br>\n"
                        "&nbsp;&nbsp;&nbsp;line&nbsp;&nbsp;&nbsp;&nbsp;2:&nbsp;missing.html<br>\n"
                        "&nbsp;&nbsp;&nbsp;line&nbsp;&nbsp;&nbsp;&nbsp;4:&nbsp;gone.gif<br>\n"))
        << report;
    // The same external URL: a link in the first page, plain and "repeated above" in the next;
    // "MAILTO:" in capitals is an external URL, not a mailto link.
    EXPECT_TRUE(
        Has(report, "&nbsp;1:&nbsp;<a href=\"http://example.org/x\">http://example.org/x</a><br>"));
    EXPECT_TRUE(Has(report, "&nbsp;2:&nbsp;http://example.org/x (repeated above)<br>"));
    EXPECT_TRUE(Has(report, "MAILTO:you@example.org\">MAILTO:you@example.org</a>"));
    EXPECT_TRUE(Has(report, "<h3>Mailto Links: </h3><p><br>\n<b>In file "));
    // Sizes rounded up: 1 byte is 1 kb and 1 s; 1801 bytes take 2 s at 14.4 and 1 s at 28.8;
    // the home page (its own bytes and the embedded 1000-byte image) is highlighted.
    EXPECT_TRUE(Has(report, "new Array(\"1 kb\", \"1 s\", \"1 s\", \"1 s\", \"1 s\", \"  " +
                                SitePath("one.html") + "\")"));
    EXPECT_TRUE(Has(report, "new Array(\"2 kb\", \"2 s\", \"1 s\", \"1 s\", \"1 s\", \"  " +
                                SitePath("big.html") + "\")"));
    EXPECT_TRUE(Has(report, "\"! " + index + "\")"));  // embeds a broken image
    EXPECT_TRUE(Has(report, "var table = new SortableTable(\"times\", 5, 6, 1,\"100%\",\"LEFT\")"));
    EXPECT_TRUE(Has(report, "table.setAttributes (3, 5,'BGCOLOR=\"lime\"')"));
    // Names that are markup elsewhere stay text here.
    EXPECT_TRUE(Has(report, "\"  " + SitePath("a&lt;b&amp;.html\"),"))) << "in the table script";
    EXPECT_TRUE(Has(report, ">" + SitePath("a&lt;b&amp;.html") + "</a>"));
    EXPECT_FALSE(Has(report, "a<b&.html"));
    // The summary and its error list; the report ends as its sections do.
    EXPECT_TRUE(Has(report, "<li><a href=#orphans>1 orphan files and 1 orphan directory</a></li>"));
    EXPECT_TRUE(Has(report, "<li><a href=#brokenlinks>2 broken links</a></li>"));
    EXPECT_TRUE(report.ends_with("</body><br>\n</html><br>\n"));
}

TEST_F(ReportTest, CleanSiteAndSectionsOnly) {
    MakeSite({{"index.html", "<a href=\"a.html\">a</a>"},
              {"a.html", "<a href=\"index.html\">"},
              {"part/p.html", "<a href=\"../nowhere.html\">"}},
             "index.html");
    site = ESiteRegistry::Instance().AdoptSite(std::move(site_));
    site->SetExcludedFolders({SitePath("part/")});
    ASSERT_TRUE(LoadSite(*site));
    const std::string report = Generate();
    EXPECT_TRUE(Has(report, "<p><b>The site looks totally clean!</b></p>"));
    EXPECT_TRUE(Has(report, "No syntax errors were seen in this site."));
    EXPECT_TRUE(Has(report, "No external URL link references"));
    EXPECT_TRUE(Has(report, "No mailto links in the site"));
    EXPECT_FALSE(Has(report, "href=#orphans>Orphan files"));
    EXPECT_TRUE(Has(report,
                    "<li><i>Working on sections of the entire site; orphans will not be "
                    "reported</i></li>"));
}

// The table sorts when a column button is clicked, in the browser users open it with.
TEST_F(ReportTest, DownloadTimesSortInABrowser) {
    const char* browser = nullptr;
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (PathExists(candidate)) browser = candidate;
    if (!browser) GTEST_SKIP() << "no chromium to open the report with";
    MakeSite({{"index.html",
               "<a href=\"a.html\">a</a><a href=\"b.html\">b</a>" + std::string(3000, ' ')},
              {"a.html", std::string(5000, 'a')},
              {"b.html", "b"}},
             "index.html");
    site = ESiteRegistry::Instance().AdoptSite(std::move(site_));
    ASSERT_TRUE(LoadSite(*site));
    // A copy of the report with a script that clicks "KBytes" and writes the rows out.
    const std::string page = WriteFile(
        "clicked.html",
        Generate() +
            "<script>document.querySelector('input[value=\"KBytes\"]').click();"
            "var rows = document.querySelectorAll('#SortableTable_times tr'), out = [];"
            "for (var i = 1; i < rows.length; i++) out.push(rows[i].cells[0].textContent);"
            "var pre = document.createElement('pre'); pre.id = 'rows';"
            "pre.textContent = '[' + out.join('|') + ']'; document.body.appendChild(pre);"
            "</script>\n");
    const std::string command = std::string(browser) +
                                " --headless --disable-gpu --no-sandbox --dump-dom 'file://" +
                                page + "' 2>/dev/null";
    std::string dom;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) dom.append(buf, n);
        ::pclose(pipe);
    }
    // Written in the site's order (a 5 kb, b 1 kb, index 3 kb), shown smallest first.
    EXPECT_TRUE(Has(dom, "<pre id=\"rows\">[1 kb|3 kb|5 kb]</pre>"))
        << dom.substr(dom.size() > 1500 ? dom.size() - 1500 : 0);
}

}  // namespace
}  // namespace tw
