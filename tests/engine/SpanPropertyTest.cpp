// Two properties link rewriting relies on, checked on every URL of real pages: the bytes of
// the file at a URL's span read back as the URL's text (so splicing the span replaces exactly
// the URL), and the full reading of a page (every tag kept) finds the same URLs as the lean
// one the load uses. Run on the fixtures and the demo site always; on the documentation sites
// the benchmark uses (some 60,000 pages, two minutes in a Debug build) when TW_DOC_SITES is
// set and they are installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "engine/html/AttributeText.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// The written bytes of a URL cleaned the way the page's reader cleans them before decoding:
// character references, script escapes, white space, backslashes read as slashes.
std::string ReadBack(std::string_view raw, UrlSource source) {
    std::string s = DecodeCharacterReferences(raw, 0).text;
    if (source == UrlSource::Script || source == UrlSource::ModuleImport) {
        std::string unescaped;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\' && i + 1 < s.size()) ++i;
            unescaped += s[i];
        }
        s = std::move(unescaped);
    }
    std::erase_if(s, [](char c) { return c == '\t' || c == '\n' || c == '\r' || c == '\f'; });
    auto [first, last] = TrimmedRange(s);
    s = s.substr(first, last - first);
    if (!HasUrlScheme(s) || AsciiLower(s.substr(0, 5)).starts_with("http"))
        std::replace(s.begin(), s.end(), '\\', '/');
    return DecodeUrl(s);
}

std::string Describe(const EUrl& u) {
    std::ostringstream out;
    out << UrlSourceName(u.source) << " " << u.start << "-" << u.end << " line " << u.line
        << " flags " << u.flags << " \"" << u.text << "\"";
    return out.str();
}

// Checks every page below `root`; returns the first few faults found, one per line.
std::string FaultsBelow(const std::string& root, int* pages) {
    std::ostringstream faults;
    int reported = 0;
    auto fault = [&](const std::string& path, const std::string& what) {
        if (reported++ < 10) faults << path << ": " << what << "\n";
    };
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.is_symlink()) continue;
        const std::string path = entry.path().string();
        std::string ext = AsciiLower(entry.path().extension().string());
        if (ext != ".htm" && ext != ".html" && ext != ".css") continue;
        EHtmlNode lean(path), full(path);
        if (lean.ParseUrls(nullptr) == ParseResult::Unreadable) continue;
        ++*pages;
        std::string bytes;
        ReadWholeFile(path, bytes);
        for (const EUrl& u : lean.Urls()) {
            if (u.end < u.start || u.end >= bytes.size()) {
                fault(path, "span outside the file: " + Describe(u));
                continue;
            }
            std::string_view raw(bytes.data() + u.start, u.end - u.start + 1);
            if (ReadBack(raw, u.source) != u.text && !(raw.size() == 1 && u.text.empty()))
                fault(path, Describe(u) + " reads back as \"" + std::string(raw) + "\"");
        }
        full.ParseTags(nullptr);
        full.ParseUrls(nullptr);
        if (full.Urls().size() != lean.Urls().size()) {
            fault(path, "full reading finds " + std::to_string(full.Urls().size()) +
                            " URLs, lean " + std::to_string(lean.Urls().size()));
            continue;
        }
        for (std::size_t i = 0; i < lean.Urls().size(); ++i)
            if (Describe(full.Urls()[i]) != Describe(lean.Urls()[i]))
                fault(path,
                      "full " + Describe(full.Urls()[i]) + ", lean " + Describe(lean.Urls()[i]));
        // Read from the bytes in memory (as a rewrite does): the same URLs again.
        EHtmlNode inMemory(path);
        inMemory.ParseUrlsOf(bytes, nullptr);
        bool same = inMemory.Urls().size() == lean.Urls().size();
        for (std::size_t i = 0; same && i < lean.Urls().size(); ++i)
            same = Describe(inMemory.Urls()[i]) == Describe(lean.Urls()[i]);
        if (!same) fault(path, "read from memory, the URLs differ");
    }
    if (reported > 10) faults << "... " << reported << " faults in all\n";
    return faults.str();
}

TEST(SpanProperty, FixturesAndDemoSite) {
    for (const std::string& root :
         {std::string(TW_FIXTURES) + "/html", std::string(TW_SOURCE) + "/examples/demo-site"}) {
        int pages = 0;
        EXPECT_EQ(FaultsBelow(root, &pages), "") << root;
        EXPECT_GT(pages, 5) << root;
    }
}

// A page too big to be read whole goes through windows, and its URLs are taken tag by tag as
// it is read: pages of every kind one after another, so that tags, script and style blocks and
// comments stand across window boundaries, still give the same URLs read in full, lean and
// from memory.
class SpanPropertyBigPage : public test::TestHome {};

TEST_F(SpanPropertyBigPage, PagesReadThroughWindowsGiveTheSameUrls) {
    std::string page;
    for (const auto& entry :
         fs::recursive_directory_iterator(std::string(TW_SOURCE) + "/examples/demo-site")) {
        if (entry.path().extension() != ".htm" && entry.path().extension() != ".html") continue;
        std::string bytes;
        ReadWholeFile(entry.path().string(), bytes);
        page += bytes;
    }
    ASSERT_FALSE(page.empty());
    const std::string once = page;
    while (page.size() <= (5u << 20)) page += once;
    MakeFolder("big");
    WriteFile("big/page.html", page);
    int pages = 0;
    EXPECT_EQ(FaultsBelow(PathOf("big"), &pages), "");
    EXPECT_EQ(pages, 1);
}

TEST(SpanProperty, DocumentationSites) {
    if (!std::getenv("TW_DOC_SITES")) GTEST_SKIP() << "TW_DOC_SITES is not set";
    const char* roots[] = {"/usr/share/doc/python3.11/html", "/usr/share/cppreference/doc/html",
                           "/usr/share/doc/postgresql-doc-15/html",
                           "/usr/share/doc/openjdk-17-doc/api"};
    int checked = 0;
    for (const char* root : roots) {
        if (!IsFolder(root)) continue;
        int pages = 0;
        EXPECT_EQ(FaultsBelow(root, &pages), "") << root;
        checked += pages;
    }
    if (checked == 0) GTEST_SKIP() << "no documentation site installed";
}

}  // namespace
}  // namespace tw
