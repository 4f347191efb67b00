#include "cli/LinksCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/Formatters.h"
#include "cli/SiteChoice.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "engine/html/Fragments.h"
#include "engine/html/UrlText.h"
#include "engine/model/LinkStatus.h"
#include "engine/model/Node.h"
#include "engine/model/SiteLoader.h"
#include "engine/services/Browse.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {
namespace {

struct Options {
    SiteOptions where;
    std::vector<std::string> pages;
    std::string format = "text";
    std::string statuses;
};

struct Row {
    std::string url, fragment, status, source, target;
    std::uint32_t line = 0, start = 0, end = 0;
};

struct PageRows {
    std::string page;
    std::vector<Row> rows;
};

// Where the URL written at [start, end] ends once its query and fragment, which lie past the
// span the reading keeps, are counted: at the first byte that ends a value where it stands.
std::uint32_t WholeUrlEnd(const std::string& content, const EUrl& url) {
    std::size_t at = url.end + 1;
    if (at >= content.size() || (content[at] != '?' && content[at] != '#')) return url.end;
    const bool style = url.source == UrlSource::StyleUrl || url.source == UrlSource::StyleImport;
    while (at < content.size()) {
        const char c = content[at];
        if (c == '"' || c == '\'' || c == '<' || c == '>' || c == ' ' || c == '\t' || c == '\n' ||
            c == '\r' || c == '\f' || (style && c == ')'))
            break;
        ++at;
    }
    // A srcset candidate ends before the comma that separates it from the next.
    if (url.source == UrlSource::Srcset && content[at - 1] == ',') --at;
    return static_cast<std::uint32_t>(at - 1);
}

// Reads one page and judges its URLs: the pages its fragments point into are read for their
// ids, nothing else of the site.
std::vector<Row> RowsOf(EAppSite& site, EHtmlNode& page) {
    std::set<std::uint32_t> brokenFragments;  // starts of URLs whose "#part" names no place
    EFragmentCheck fragments([&](EHtmlNode& from, const FragmentRef& ref) {
        if (&from == &page) brokenFragments.insert(ref.start);
    });
    site.SetCollectFragments(true);
    page.ClearUrls();
    page.ParseUrls(nullptr);
    std::set<EHtmlNode*> targets;
    for (const FragmentRef& ref : page.FragmentRefs())
        if (auto* target = dynamic_cast<EHtmlNode*>(ref.target); target && target != &page)
            targets.insert(target);
    fragments.OnPageParsed(page);  // takes the page's ids and references, not its URLs
    for (EHtmlNode* target : targets) {
        target->ClearUrls();
        target->ParseUrls(nullptr);
        fragments.OnPageParsed(*target);
        target->ClearUrls();
    }
    site.SetCollectFragments(false);

    std::string content;
    ReadWholeFile(page.GetPath(), content);
    std::vector<Row> rows;
    for (const EUrl& url : page.Urls()) {
        if (url.IsBaseHref()) continue;
        Row row;
        row.line = url.line;
        row.start = url.start;
        row.end = url.end < content.size() ? WholeUrlEnd(content, url) : url.end;
        row.url = url.end < content.size() ? content.substr(url.start, row.end - url.start + 1)
                                           : url.text;
        if (const std::size_t hash = row.url.find('#'); hash != std::string::npos)
            row.fragment = row.url.substr(hash + 1);
        row.source = UrlSourceName(url.source);
        // The site's tree is read, so its links are judged as in a tracked site.
        row.status =
            std::string(InfoOf(ClassifyLink(url, true, brokenFragments.count(url.start))).name);
        if (!url.IsExternal())
            row.target = url.target ? site.SiteRelativePath(url.target)
                                    : SiteRelativeUrlPath(page, url.text);
        rows.push_back(std::move(row));
    }
    page.ClearUrls();
    return rows;
}

void Print(const Options& o, const EAppSite& site, const std::vector<PageRows>& pages) {
    std::string out;
    if (o.format == "json") {
        out = "{\"pages\": [";
        for (std::size_t p = 0; p < pages.size(); ++p) {
            out += p ? ", {\"page\": " : "{\"page\": ";
            JsonString(out, pages[p].page);
            out += ", \"urls\": [";
            for (std::size_t i = 0; i < pages[p].rows.size(); ++i) {
                const Row& r = pages[p].rows[i];
                out += i ? ", {\"url\": " : "{\"url\": ";
                JsonString(out, r.url);
                out += ", \"line\": " + std::to_string(r.line) +
                       ", \"start\": " + std::to_string(r.start) +
                       ", \"end\": " + std::to_string(r.end) + ", \"source\": ";
                JsonString(out, r.source);
                out += ", \"fragment\": ";
                if (r.url.find('#') == std::string::npos)
                    out += "null";
                else
                    JsonString(out, r.fragment);
                out += ", \"status\": ";
                JsonString(out, r.status);
                out += ", \"target\": ";
                if (r.target.empty())
                    out += "null";
                else
                    JsonString(out, r.target);
                out += "}";
            }
            out += "]}";
        }
        out += "]}\n";
    } else {
        for (const PageRows& page : pages)
            for (const Row& r : page.rows) {
                out += Relative(site, page.page) + ":" + std::to_string(r.line) + ": " + r.status +
                       " \"" + r.url + "\"";
                if (!r.target.empty()) out += " -> " + r.target;
                out += "\n";
            }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int RunLinks(int argc, char** argv) {
    Options o;
    CLI::App app(
        "Tidewright links: every URL of the pages given, with its line, its bytes in the file, "
        "where it was found, its status and its target.",
        "tidewright links");
    AddSiteOptions(app, o.where);
    app.add_option("--format", o.format, "text or json")->check(CLI::IsMember({"text", "json"}));
    app.add_option("--status", o.statuses,
                   "only these, comma-separated: good, broken, external, untracked, ignored, "
                   "case, fragment");
    app.add_option("pages", o.pages, "PAGE...: pages or stylesheets of the site")->required();
    if (std::optional<int> status = Parse(app, argc, argv)) return *status;

    std::set<std::string> wanted;
    for (std::size_t at = 0; at < o.statuses.size();) {
        std::size_t comma = o.statuses.find(',', at);
        if (comma == std::string::npos) comma = o.statuses.size();
        const std::string one = o.statuses.substr(at, comma - at);
        if (LinkStatus status; !LinkStatusNamed(one, status))
            return Fail("links", "--status: no status \"" + one + "\"");
        wanted.insert(one);
        at = comma + 1;
    }

    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    const std::string first = Real(o.pages.front());
    std::string problem;
    SiteOptions where = o.where;
    // Without a site given: the defined one that holds the page, else the page's folder.
    EAppSite* site = OpenSite(where, first, problem, false);
    if (!site && where.site.empty() && where.directory.empty()) {
        where.directory = std::string(PathDirectory(first));
        // A folder without a home page of its own: the page stands for it.
        if (!PathExists(DefaultPage(where.directory))) where.home = first;
        site = OpenSite(where, first, problem, false);
    }
    if (!site) return Fail("links", problem);
    if (!LoadSiteTree(*site)) return Fail("links", "cancelled", kCancelled);

    std::vector<PageRows> pages;
    bool broken = false;
    for (const std::string& given : o.pages) {
        const std::string path = Real(InSite(given, site->GetDirectory()));
        auto* page = dynamic_cast<EHtmlNode*>(site->FindExactNode(path));
        if (!page || !page->IsLinkSource())
            return Fail("links",
                        given + ": not a page or stylesheet of the site " + site->GetDirectory());
        PageRows rows{path, {}};
        for (Row& row : RowsOf(*site, *page)) {
            broken = broken || row.status == "broken";
            if (wanted.empty() || wanted.count(row.status)) rows.rows.push_back(std::move(row));
        }
        pages.push_back(std::move(rows));
    }
    Print(o, *site, pages);
    if (std::fflush(stdout) != 0) return kUsage;
    return broken ? kProblems : kDone;
}

}  // namespace tw::cli
