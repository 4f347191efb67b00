// libFuzzer target: any bytes as a page (or, when the first byte is odd, a stylesheet) of a
// small site, read the way a load reads it: from its file, through the tag reader with
// syntax errors reported, URL extraction from attributes, scripts, styles and event handlers,
// and resolution against the site. Every URL's span must lie in the file, and the full
// reading (every tag kept) and the reading of the bytes in memory must find what the lean one
// does. Build with clang and
// -DTW_FUZZ=ON (see the README).

#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/log/Log.h"
#include "core/log/Section.h"
#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"

namespace {

struct Fixture {
    std::string folder;
    std::unique_ptr<tw::EAppSite> site;

    Fixture() {
        std::string templ =
            std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/tw_fuzz_XXXXXX";
        folder = mkdtemp(templ.data());
        setenv("TIDEWRIGHT_HOME", (folder + "/home").c_str(), 1);
        for (const char* dir : {"/home", "/site", "/site/sub", "/site/img"})
            if (mkdir((folder + dir).c_str(), 0755) != 0) __builtin_trap();
        for (const char* name : {"site/index.html", "site/page.html", "site/style.css",
                                 "site/a.htm", "site/sub/b.html", "site/img/x.png"})
            Write(folder + "/" + name, "<a href=page.html><link href=style.css rel=stylesheet>");
        site = std::make_unique<tw::EAppSite>("fuzz", folder + "/site", folder + "/site/index.html",
                                              "example.org/~me", "index.html;index.htm");
        tw::LoadOptions options;
        options.showLoadErrors = false;
        tw::LoadSite(*site, options);
    }

    static void Write(const std::string& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    }
};

struct Reading {
    std::size_t count = 0;
    std::vector<std::uint32_t> spans;
};

// How a page is read: from its file (lean, or with every tag), or from its bytes in memory.
enum class Way { Lean, Full, Memory };

Reading Read(tw::EHtmlNode& page, Way way, std::string_view bytes) {
    page.ClearTags();
    page.ClearUrls();
    tw::ESection syntax(tw::ELog::kSyntaxSectionId, tw::ESection::Stream::None);
    if (way == Way::Full) page.ParseTags(&syntax);
    if (way == Way::Memory)
        page.ParseUrlsOf(std::string(bytes), &syntax);
    else
        page.ParseUrls(&syntax);
    Reading r;
    for (const tw::EUrl& url : page.Urls()) {
        r.spans.push_back(url.start);
        r.spans.push_back(url.end);
    }
    r.count = page.Urls().size();
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const bool styleSheet = size > 0 && (data[0] & 1);
    const std::string path = fixture.folder + (styleSheet ? "/site/style.css" : "/site/page.html");
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Fixture::Write(path, bytes);
    auto* page = dynamic_cast<tw::EHtmlNode*>(fixture.site->FindNode(path));
    if (!page) __builtin_trap();
    Reading lean = Read(*page, Way::Lean, bytes);
    // A span is where link rewriting will splice: it must lie inside the file.
    for (std::size_t i = 0; i + 1 < lean.spans.size(); i += 2)
        if (lean.spans[i] > lean.spans[i + 1] || (size > 0 && lean.spans[i + 1] >= size))
            __builtin_trap();
    if (!styleSheet) {
        Reading full = Read(*page, Way::Full, bytes);
        if (full.count != lean.count || full.spans != lean.spans) __builtin_trap();
    }
    Reading memory = Read(*page, Way::Memory, bytes);
    if (memory.count != lean.count || memory.spans != lean.spans) __builtin_trap();
    page->ClearTags();
    page->ClearUrls();
    return 0;
}
