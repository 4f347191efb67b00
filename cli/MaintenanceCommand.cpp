#include "cli/MaintenanceCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/FileCommand.h"
#include "cli/Formatters.h"
#include "cli/SiteChoice.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/SiteCommands.h"
#include "engine/html/UrlText.h"
#include "engine/maintenance/FixLinks.h"
#include "engine/maintenance/LinksTree.h"
#include "engine/maintenance/Orphans.h"
#include "engine/model/Iterators.h"
#include "engine/model/SiteLoader.h"
#include "engine/report/Overview.h"
#include "engine/report/StatisticsReport.h"
#include "engine/services/ConsoleServices.h"
#include "engine/services/Launcher.h"

namespace tw::cli {
namespace {

struct Options {
    std::string verb;
    SiteOptions where;
    std::string format = "text";
    bool dryRun = false;
    // orphans
    bool trash = false;
    std::string moveTo;
    // fix, ignore
    std::vector<std::string> urls;
    std::string page;
    bool suggest = false;
    bool list = false;
    bool remove = false;
    // report
    std::string output;
    bool open = false;
};

void Emit(const std::string& out) {
    std::fwrite(out.data(), 1, out.size(), stdout);
}

// ---- orphans ----

int Orphans(const Options& o, EAppSite& site) {
    if (!site.IsWholeSite()) return Fail(o.verb, std::string(LoadString(354)));
    const OrphanReview review = ReviewOrphans(site);
    if (o.trash || !o.moveTo.empty()) {
        if (review.remove.empty()) {
            std::puts(LoadString(355).data());
            return kDone;
        }
        if (o.dryRun) {
            std::string out;
            for (const std::string& path : review.remove)
                out += (o.trash ? "would trash " : "would move ") + Relative(site, path) + "\n";
            for (const std::string& path : review.referenced)
                out += "would keep " + Relative(site, path) + " (referenced)\n";
            Emit(out);
            return kDone;
        }
        if (o.trash)
            return RunJournaled(
                o.verb, o.format, site,
                std::make_unique<ETrashOrphansCommand>(review.remove, site.GetDirectory()));
        std::string target = Absolute(o.moveTo);
        for (const std::string& path : review.remove)
            if (target == path || target.starts_with(path + kPathSep))
                return Fail(o.verb, o.moveTo + " lies in an orphan folder that is to move");
        return RunJournaled(
            o.verb, o.format, site,
            std::make_unique<EMoveOrphansCommand>(
                review.remove, std::string(StripTrailingSep(site.GetDirectory())), target));
    }
    std::string out;
    if (o.format == "json") {
        out = "{\"orphans\": " + JsonStrings(review.remove) +
              ", \"ignored\": " + JsonStrings(review.ignored) +
              ", \"referenced\": " + JsonStrings(review.referenced) + "}\n";
    } else {
        for (const std::string& path : review.remove)
            out += "orphan   " + Relative(site, path) + "\n";
        for (const std::string& path : review.ignored)
            out += "ignored  " + Relative(site, path) + "\n";
        for (const std::string& path : review.referenced)
            out +=
                "kept     " + Relative(site, path) + " (referenced: a page that stays names it)\n";
        if (review.remove.empty() && review.ignored.empty() && review.referenced.empty())
            out += std::string(LoadString(355)) + "\n";
    }
    Emit(out);
    return kDone;
}

// ---- fix ----

// A link as the site's maps key it: "/dir/name.htm".
std::string SiteRelative(const std::string& url) {
    return url.starts_with('/') ? url : "/" + url;
}

// The new target: a site-relative path, a path below the site's folder, or a file's path.
std::string TargetOf(const EAppSite& site, const std::string& text) {
    if (text.starts_with('/') && !PathExists(text)) return text;
    const std::string path = Real(InSite(text, site.GetDirectory()));
    if (PathExists(path) && Inside(site, path))
        return SiteRelativePathOf(path, site.GetDirectory());
    return SiteRelative(text);
}

// Files whose name is the broken link's last part, letter case aside: the same case first,
// then the ones sharing most folders with the link, then the shorter paths.
std::vector<std::string> Suggestions(const EAppSite& site, const std::string& link) {
    const std::string name(PathName(link.substr(0, link.find_first_of("?#"))));
    struct Candidate {
        std::string path;
        bool sameCase;
        int shared;
    };
    std::vector<Candidate> found;
    if (name.empty() || !site.Root()) return {};
    TIterPreOrderTyped it(site.Root());
    for (it.First(); !it.IsDone(); it.Next()) {
        ENode* node = it.CurrentItem();
        if (node->IsFolder() || !EqualsNoCase(node->GetName(), name)) continue;
        const std::string path = SiteRelativePathOf(node->GetPath(), site.GetDirectory());
        int shared = 0;
        for (std::size_t i = 0; i < path.size() && i < link.size() && path[i] == link[i]; ++i)
            if (path[i] == '/') ++shared;
        found.push_back({path, node->GetName() == name, shared});
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        if (a.sameCase != b.sameCase) return a.sameCase;
        if (a.shared != b.shared) return a.shared > b.shared;
        if (a.path.size() != b.path.size()) return a.path.size() < b.path.size();
        return a.path < b.path;
    });
    std::vector<std::string> paths;
    for (const Candidate& c : found) paths.push_back(c.path);
    return paths;
}

int Fix(const Options& o, EAppSite& site) {
    if (o.urls.empty()) return Fail(o.verb, "expects URL NEW_URL (or URL --suggest)");
    EHtmlNode* page = nullptr;
    if (!o.page.empty()) {
        page =
            dynamic_cast<EHtmlNode*>(site.FindExactNode(Real(InSite(o.page, site.GetDirectory()))));
        if (!page || !page->IsLinkSource())
            return Fail(o.verb, o.page + ": not a page of the site");
    }
    const std::string from = page ? o.urls[0] : SiteRelative(o.urls[0]);
    if (o.suggest) {
        const std::string link =
            page && IsLocalUrl(*page, from) ? SiteRelativeUrlPath(*page, from) : from;
        const std::vector<std::string> found = Suggestions(site, link);
        if (o.format == "json") {
            Emit("{\"link\": " +
                 [&] {
                     std::string s;
                     JsonString(s, link);
                     return s;
                 }() +
                 ", \"suggestions\": " + JsonStrings(found) + "}\n");
        } else {
            std::string out;
            for (const std::string& path : found) out += path + "\n";
            if (found.empty()) out = "no file of the site is named like " + link + "\n";
            Emit(out);
        }
        return found.empty() ? kProblems : kDone;
    }
    if (o.urls.size() != 2) return Fail(o.verb, "expects URL NEW_URL");
    const std::string to = TargetOf(site, o.urls[1]);
    if (!site.FindNode(ResolveToFilePath(to, site.GetDirectory(), site.GetDirectory())))
        return Fail(o.verb,
                    o.urls[1] + ": no file of the site is there; the link would stay broken");
    auto command = std::make_unique<ESiteFixLinksCommand>(&site, page, from, to, page == nullptr);
    if (o.dryRun) {
        std::string out;
        for (const auto& p : command->Preview()) {
            const std::string name = Relative(site, p.path);
            out += LineDiff(name, name, p.oldContent, p.newContent);
        }
        if (out.empty()) return Fail(o.verb, "no page holds the link " + command->FromUrl());
        Emit(out);
        return kDone;
    }
    const int status = RunJournaled(o.verb, o.format, site, std::move(command));
    if (status == kUsage)
        std::fprintf(stderr, "tidewright fix: no page holds the link %s\n", from.c_str());
    return status;
}

// ---- ignore ----

int Ignore(const Options& o, EAppSite& site) {
    GLinksTree tree;
    tree.Fill(site);
    const std::size_t ignore = tree.Find(GLinksTree::Kind::Ignore);
    if (o.list || o.urls.empty()) {
        const auto& links = tree.Groups()[ignore].links;
        std::string out;
        if (o.format == "json") {
            out = "[";
            for (std::size_t i = 0; i < links.size(); ++i) {
                out += i ? ", {\"link\": " : "{\"link\": ";
                JsonString(out, links[i].path);
                out += ", \"instances\": " + std::to_string(links[i].count) + "}";
            }
            out += "]\n";
        } else {
            for (const auto& link : links)
                out += link.path + " (" + std::to_string(link.count) + " instances)\n";
        }
        Emit(out);
        return kDone;
    }
    std::vector<std::string> problems;
    for (const std::string& url : o.urls) {
        const std::string link = SiteRelative(url);
        bool moved = false;
        for (std::size_t g = 0; g < tree.Groups().size() && !moved; ++g) {
            const bool wanted = o.remove ? g == ignore : g != ignore;
            if (!wanted ||
                !tree.CanMove(g, o.remove ? tree.Find(GLinksTree::Kind::Broken) : ignore))
                continue;
            const auto& links = tree.Groups()[g].links;
            if (std::none_of(links.begin(), links.end(),
                             [&](const auto& l) { return EqualsNoCase(l.path, link); }))
                continue;
            tree.Move(site, g, {link}, o.remove ? tree.Find(GLinksTree::Kind::Broken) : ignore);
            moved = true;
        }
        if (moved)
            std::printf("%s %s\n", o.remove ? "no longer ignored:" : "ignored:", link.c_str());
        else
            problems.push_back(link + (o.remove ? " is not on the ignore list"
                                                : " is not a broken link of the site"));
    }
    if (!tree.Save(LinksFilePath(site))) problems.push_back("the links file could not be written");
    for (const std::string& p : problems)
        std::fprintf(stderr, "tidewright ignore: %s\n", p.c_str());
    if (problems.size() == o.urls.size()) return kUsage;
    return problems.empty() ? kDone : kProblems;
}

// ---- report, overview ----

int Report(const Options& o, EAppSite& site) {
    std::string path = o.output;
    if (path.empty()) {
        path = ProgramSubfolder("temp") + site.GetName() + ".html";
    } else {
        const std::string ext = AsciiLower(PathExtension(path));
        if (ext != "htm" && ext != "html") path += ".html";
        path = Absolute(path);
        CreateFolders(PathDirectory(path));
    }
    ReportOptions options;
    options.load = true;
    if (!GenerateReport(site, path, options)) {
        return Fail(o.verb, "the report could not be written to " + path, kProblems);
    }
    std::printf("%s\n", path.c_str());
    if (o.open) {
        auto launcher = EUiServices::Instance().CreateLauncher();
        if (!launcher || launcher->OpenDocument(path) != LaunchResult::Done)
            return Fail(o.verb, "written, but no program opened " + path, kProblems);
    }
    return kDone;
}

int Overview(const Options&, EAppSite& site) {
    std::string text = LoadMessage(
        296, {site.GetName(), site.GetDirectory(), std::string(PathName(site.GetHomePage()))});
    if (!site.IsWholeSite()) text += "\n" + std::string(LoadString(356)) + "\n";
    text += "\n" + SiteSummary(site, 295);
    Emit(text);
    return kDone;
}

const char* HelpOf(const std::string& verb) {
    if (verb == "orphans")
        return "Tidewright orphans: the files no page reaches from the home page; with --trash "
               "or --move-to, removes them (a move can be undone).";
    if (verb == "fix")
        return "Tidewright fix: gives a broken link a new target in every page that holds it "
               "(or in one page), keeping each URL's form; --suggest lists files named like it.";
    if (verb == "ignore")
        return "Tidewright ignore: the site's ignore list of broken links (kept in its links "
               "file).";
    if (verb == "report") return "Tidewright report: writes the site's statistics report.";
    return "Tidewright overview: counts of the site's files, links, broken links and orphans.";
}

}  // namespace

bool IsMaintenanceCommand(const char* command) {
    for (const char* verb : {"orphans", "fix", "ignore", "report", "overview"})
        if (std::strcmp(command, verb) == 0) return true;
    return false;
}

int RunMaintenanceCommand(const char* verb, int argc, char** argv) {
    Options o;
    o.verb = verb;
    CLI::App app(HelpOf(o.verb), "tidewright " + o.verb);
    AddSiteOptions(app, o.where);
    if (o.verb != "report" && o.verb != "overview")
        app.add_option("--format", o.format, "text or json")
            ->check(CLI::IsMember({"text", "json"}));
    if (o.verb == "orphans" || o.verb == "fix") AddWaitOption(app, o.where);
    if (o.verb == "orphans") {
        app.add_flag("--trash", o.trash, "send the orphans to the trash");
        app.add_option("--move-to", o.moveTo,
                       "move the orphans to this folder, keeping their folders (may lie outside "
                       "the site)");
        app.add_flag("--dry-run", o.dryRun, "change nothing; show what would be removed");
    } else if (o.verb == "fix") {
        app.add_option("urls", o.urls,
                       "URL NEW_URL: the broken link (as a path from the site's "
                       "root, or as PAGE writes it) and its new target");
        app.add_option("--page", o.page, "fix the link in this page only");
        app.add_flag("--suggest", o.suggest, "list the files named like the link, best first");
        app.add_flag("--dry-run", o.dryRun, "change nothing; show the diff of every page");
    } else if (o.verb == "ignore") {
        app.add_option("urls", o.urls, "the broken links to ignore (paths from the site's root)");
        app.add_flag("--list", o.list, "list the ignored links");
        app.add_flag("--remove", o.remove, "stop ignoring the links given");
    } else if (o.verb == "report") {
        app.add_option("-o,--output", o.output, "the report file (FILE.html)");
        app.add_flag("--open", o.open, "open the report in the browser");
    }
    if (std::optional<int> status = Parse(app, argc, argv)) return *status;
    if (o.trash && !o.moveTo.empty()) return Fail(o.verb, "give --trash or --move-to, not both");
    o.where.lock = !o.dryRun && ((o.verb == "orphans" && (o.trash || !o.moveTo.empty())) ||
                                 (o.verb == "fix" && !o.suggest));

    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    std::string problem;
    // The report loads the site itself, so that each page is read once.
    EAppSite* site = OpenSite(o.where, Real("."), problem, o.verb != "report");
    if (!site) return Fail(o.verb, problem, problem == "cancelled" ? kCancelled : kUsage);
    if (o.verb == "orphans") return Orphans(o, *site);
    if (o.verb == "fix") return Fix(o, *site);
    if (o.verb == "ignore") return Ignore(o, *site);
    if (o.verb == "report") return Report(o, *site);
    return Overview(o, *site);
}

}  // namespace tw::cli
