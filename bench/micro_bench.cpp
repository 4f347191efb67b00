// Microbenchmarks of the hot paths: the tag reader, URL extraction, the URL functions and the
// target search of the fix-link dialogs.
// Each prints bytes per second where that is the natural measure.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "bench/SiteGenerator.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/html/Scanner.h"
#include "engine/html/TagReader.h"
#include "engine/html/UrlText.h"
#include "engine/maintenance/TargetSearch.h"
#include "engine/model/Site.h"
#include "engine/model/SiteLoader.h"

namespace {

// A scratch folder for the whole run, removed at exit.
struct Scratch {
    std::string root;
    Scratch() {
        char templ[] = "/tmp/tw_bench_XXXXXX";
        root = ::mkdtemp(templ);
        ::setenv("TIDEWRIGHT_HOME", (root + "/home").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    }
    ~Scratch() { tw::RemoveFolderTree(root); }
};

Scratch& TheScratch() {
    static Scratch s;
    return s;
}

// One page of about 8 MB built from a generated page repeated.
const std::string& BigPage() {
    static std::string path = [] {
        tw::bench::SiteParams p;
        p.pages = 2;
        p.pageBytes = 20000;
        p.linksPerPage = 60;
        std::string site = TheScratch().root + "/page-site";
        tw::bench::GenerateSite(p, site);
        std::ifstream in(site + "/index.html", std::ios::binary);
        std::string one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string big;
        while (big.size() < (8u << 20)) big += one;
        std::string out = TheScratch().root + "/big.html";
        std::ofstream(out, std::ios::binary) << big;
        return out;
    }();
    return path;
}

void TagReader(benchmark::State& state) {
    const std::string& path = BigPage();
    std::int64_t bytes = tw::FileSize(path);
    for (auto _ : state) {
        tw::EScannerFile scanner(path);
        std::vector<tw::ETag> tags;
        tw::ReadAllTags(scanner, tags, nullptr, nullptr);
        benchmark::DoNotOptimize(tags.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(TagReader)->Unit(benchmark::kMillisecond);

void ParseTagsAndLines(benchmark::State& state) {
    const std::string& path = BigPage();
    std::int64_t bytes = tw::FileSize(path);
    for (auto _ : state) {
        tw::EHtmlNode page(path);
        page.ParseTags(nullptr);
        benchmark::DoNotOptimize(page.Tags().data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(ParseTagsAndLines)->Unit(benchmark::kMillisecond);

void UrlExtraction(benchmark::State& state) {
    static std::string site = [] {
        tw::bench::SiteParams p;
        p.pages = 200;
        p.linksPerPage = 100;
        std::string s = TheScratch().root + "/extract-site";
        tw::bench::GenerateSite(p, s);
        return s;
    }();
    tw::EAppSite appSite("bench", site, site + "/index.html", "", "index.html");
    tw::LoadOptions quiet;
    quiet.reportSyntaxErrors = false;
    quiet.showLoadErrors = false;
    tw::LoadSite(appSite, quiet);
    auto* page = dynamic_cast<tw::EHtmlNode*>(appSite.FindNode(site + "/index.html"));
    page->ParseTags(nullptr);
    std::int64_t bytes = tw::FileSize(page->GetPath());
    for (auto _ : state) {
        page->ClearUrls();
        page->ParseUrls(nullptr);
        benchmark::DoNotOptimize(page->Urls().data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["urls"] = static_cast<double>(page->Urls().size());
}
BENCHMARK(UrlExtraction)->Unit(benchmark::kMicrosecond);

void UrlFunctions(benchmark::State& state) {
    tw::UrlContext page;
    page.siteDirectory = "/srv/site/";
    page.baseDirectory = "/srv/site/docs/guide/";
    page.pageFolder = page.baseDirectory;
    const char* urls[] = {"../api/index.html", "/img/logo%20big.png", "chapter%203.html",
                          "https://example.org/x", "../../a/b/../c/./d.html"};
    for (auto _ : state) {
        for (const char* url : urls) {
            std::string decoded = tw::DecodeUrl(tw::StripFragmentOrQuery(url));
            if (tw::IsLocalUrl(page, decoded)) {
                std::string path = tw::ResolveToFilePath(tw::LocalUrlPath(page, decoded),
                                                         page.baseDirectory, page.siteDirectory);
                benchmark::DoNotOptimize(path.data());
            }
            benchmark::DoNotOptimize(tw::EncodeUrl(decoded, false).data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(UrlFunctions);

// "Find Target" on the JDK api docs (10,137 pages in some 1,100 folders): every folder listed,
// each name matched against a wildcard. Goal: under 0.2 s. Skipped when the docs are missing.
void FindTargetOnJdkDocs(benchmark::State& state) {
    const std::string api = "/usr/share/doc/openjdk-17-doc/api/";
    if (!tw::IsFolder(api)) {
        state.SkipWithError("openjdk-17-doc is not installed");
        return;
    }
    std::size_t found = 0;
    for (auto _ : state) found = tw::FindTargetMatches(api, "*Str*.html", false).size();
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(FindTargetOnJdkDocs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
