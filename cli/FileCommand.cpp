#include "cli/FileCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Formatters.h"
#include "cli/SiteChoice.h"
#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/commands/SiteCommands.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {
namespace {

constexpr int kDone = 0, kProblems = 1, kUsage = 2, kCancelled = 130;

// Errors go to standard error; the report sections a load writes are not wanted here.
class QuietLog : public ELog {
  public:
    QuietLog() : discard_(0, ESection::Stream::None) {}
    ESection* OpenSection(int titleId) override {
        return titleId == kErrorSectionId ? ELog::OpenSection(titleId) : &discard_;
    }
    void CloseSection(ESection* section) override {
        if (section != &discard_) ELog::CloseSection(section);
    }

  private:
    ESection discard_;
};

struct Options {
    std::string verb;
    SiteOptions where;
    bool dryRun = false;
    std::string overwrite;
    std::string format = "text";
    std::vector<std::string> paths;
};

struct Report {
    std::vector<MovedPath> done;                     // what happened to which item
    std::vector<std::pair<std::string, int>> pages;  // page rewritten, links changed
    std::vector<std::string> problems;
};

int Fail(const Options& o, const std::string& problem, int status = kUsage) {
    std::fprintf(stderr, "tidewright %s: %s\n", o.verb.c_str(), problem.c_str());
    return status;
}

std::string Real(const std::string& path) {
    return std::string(StripTrailingSep(Absolute(path)));
}

bool Inside(const EAppSite& site, const std::string& path) {
    const std::string folder(StripTrailingSep(Absolute(site.GetDirectory())));
    return path == folder || path.starts_with(folder + kPathSep);
}

// The site the command works on: the one named, the one given by folder, or the defined site
// whose folder holds the first item. Loaded, and known to the registry for this run.
EAppSite* OpenSite(const Options& o, const std::string& first, std::string& problem) {
    std::unique_ptr<EAppSite> site;
    if (!o.where.site.empty() || !o.where.directory.empty()) {
        site = MakeSite(o.where, problem);
    } else {
        const std::string real = Real(first);
        for (int id = 1;; ++id) {
            auto candidate = std::make_unique<EAppSite>();
            const bool usable = candidate->LoadAs(id);
            if (candidate->GetName().empty()) break;
            if (usable && Inside(*candidate, real)) {
                site = std::move(candidate);
                break;
            }
        }
        if (!site)
            problem = "no defined site holds " + first +
                      "; give the site with --site-dir DIR (or --site NAME) so that its links "
                      "are kept valid";
    }
    if (!site) return nullptr;
    if (!PathExists(site->GetHomePage())) {
        problem = "home page " + site->GetHomePage() + " does not exist";
        return nullptr;
    }
    EAppSite* adopted = ESiteRegistry::Instance().AdoptSite(std::move(site));
    LoadOptions load;
    load.showLoadErrors = false;
    load.reportSyntaxErrors = false;
    if (!LoadSite(*adopted, load)) {
        problem = adopted->GetLoadState() == LoadState::OutOfMemory
                      ? "out of memory while loading the site"
                      : "cancelled";
        return nullptr;
    }
    return adopted;
}

std::string Relative(const EAppSite& site, const std::string& path) {
    const std::string folder(StripTrailingSep(Absolute(site.GetDirectory())));
    return path.starts_with(folder + kPathSep) ? path.substr(folder.size() + 1) : path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// What a move or rename would do, as a unified diff of every page it would rewrite.
int DryRun(EAppSite& site, const std::vector<MovedPath>& moves) {
    std::vector<std::string> sources;
    for (const MovedPath& m : moves) sources.push_back(m.from);
    ELinkUpdate update(site);
    update.Prepare(sources);
    std::string out;
    for (const MovedPath& m : moves)
        out += "would move " + Relative(site, m.from) + " -> " + Relative(site, m.to) + "\n";
    for (const auto& page : update.Preview(moves)) {
        out +=
            "--- a/" + Relative(site, page.before) + "\n+++ b/" + Relative(site, page.after) + "\n";
        std::vector<std::string> before = Lines(page.oldContent), after = Lines(page.newContent);
        for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
            if (before[i] == after[i]) continue;
            out += "@@ -" + std::to_string(i + 1) + ",1 +" + std::to_string(i + 1) + ",1 @@\n-" +
                   before[i] + "\n+" + after[i] + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? kDone : kUsage;
}

void Print(const Options& o, const EAppSite& site, const Report& report, bool done) {
    std::string out;
    const char* word = o.verb == "mv"       ? "moved"
                       : o.verb == "rename" ? "renamed"
                       : o.verb == "cp"     ? "copied"
                       : o.verb == "dup"    ? "duplicated"
                       : o.verb == "ln"     ? "linked"
                       : o.verb == "mkdir"  ? "made"
                                            : "trashed";
    if (o.format == "json") {
        out = "{\"command\": ";
        JsonString(out, o.verb);
        out += ", \"done\": " + std::string(done ? "true" : "false") + ", \"items\": [";
        for (std::size_t i = 0; i < report.done.size(); ++i) {
            out += i ? ", {\"from\": " : "{\"from\": ";
            JsonString(out, report.done[i].from);
            out += ", \"to\": ";
            JsonString(out, report.done[i].to);
            out += "}";
        }
        out += "], \"pages\": [";
        for (std::size_t i = 0; i < report.pages.size(); ++i) {
            out += i ? ", {\"path\": " : "{\"path\": ";
            JsonString(out, report.pages[i].first);
            out += ", \"links\": " + std::to_string(report.pages[i].second) + "}";
        }
        out += "], \"problems\": [";
        for (std::size_t i = 0; i < report.problems.size(); ++i) {
            if (i) out += ", ";
            JsonString(out, report.problems[i]);
        }
        out += "]}\n";
    } else {
        for (const MovedPath& m : report.done) {
            out += std::string(word) + " " + Relative(site, m.from);
            if (!m.to.empty()) out += " -> " + Relative(site, m.to);
            out += "\n";
        }
        for (const auto& [page, links] : report.pages)
            out += "rewrote " + Relative(site, page) + " (" + std::to_string(links) +
                   (links == 1 ? " link)\n" : " links)\n");
        for (const std::string& problem : report.problems) out += "problem: " + problem + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void AddPages(Report& report, const ELinkUpdate* update) {
    if (!update) return;
    for (const auto& change : update->Changes())
        report.pages.emplace_back(change.path, change.links);
    std::sort(report.pages.begin(), report.pages.end());
    for (const std::string& page : update->Problems())
        report.problems.push_back(page +
                                  ": could not be rewritten; its links to what moved are broken");
}

}  // namespace

bool IsFileCommand(const char* command) {
    for (const char* verb : {"mv", "rename", "cp", "dup", "mkdir", "rm", "ln"})
        if (std::strcmp(command, verb) == 0) return true;
    return false;
}

int RunFileCommand(const char* verb, int argc, char** argv) {
    Options o;
    o.verb = verb;
    CLI::App app("Tidewright " + o.verb + ": keeps every link of the site valid.",
                 "tidewright " + o.verb);
    app.add_option("--site", o.where.site, "a site defined in the settings, by name");
    app.add_option("--site-dir", o.where.directory, "the site's folder (a site for this run only)");
    app.add_option("--home", o.where.home, "with --site-dir: the home page");
    app.add_option("--server", o.where.server,
                   "with --site-dir: the address it is published under");
    app.add_option("--format", o.format, "text or json")->check(CLI::IsMember({"text", "json"}));
    if (o.verb == "mv" || o.verb == "rename")
        app.add_flag("--dry-run", o.dryRun, "change nothing; show the moves and the page diffs");
    if (o.verb == "mv" || o.verb == "cp")
        app.add_option("--overwrite", o.overwrite,
                       "when a name is taken: trash, skip, older, rename")
            ->check(CLI::IsMember({"trash", "skip", "older", "rename"}));
    const char* pathsHelp =
        o.verb == "rename"  ? "OLD NEW (a new name, or a path in the same folder)"
        : o.verb == "mkdir" ? "FOLDER"
        : (o.verb == "mv" || o.verb == "cp" || o.verb == "ln") ? "SRC... DEST_FOLDER"
                                                               : "SRC...";
    app.add_option("paths", o.paths, pathsHelp)->required();
    std::vector<std::string> args;
    for (int i = argc - 1; i >= 0; --i) args.emplace_back(argv[i]);
    try {
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kDone : kUsage;
    }
    const bool hasTarget = o.verb == "mv" || o.verb == "cp" || o.verb == "ln";
    if ((hasTarget && o.paths.size() < 2) || (o.verb == "rename" && o.paths.size() != 2) ||
        (o.verb == "mkdir" && o.paths.size() != 1))
        return Fail(o, std::string("expects ") + pathsHelp);

    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    auto& console = static_cast<EConsoleServices&>(EUiServices::Instance());
    if (!o.overwrite.empty())
        console.SetOverwritePolicy(o.overwrite == "trash"   ? OverwritePolicy::Overwrite
                                   : o.overwrite == "skip"  ? OverwritePolicy::Skip
                                   : o.overwrite == "older" ? OverwritePolicy::OverwriteOlder
                                                            : OverwritePolicy::Rename);
    std::string problem;
    EAppSite* site = OpenSite(o, o.paths.front(), problem);
    if (!site) return Fail(o, problem, problem == "cancelled" ? kCancelled : kUsage);

    // Everything named must lie in the site: a move out of it could not keep its links.
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < o.paths.size(); ++i) {
        const bool mayBeNew = (o.verb == "rename" && i == 1) || o.verb == "mkdir";
        std::string path = Real(o.paths[i]);
        if (o.verb == "rename" && i == 1 && o.paths[i].find(kPathSep) == std::string::npos)
            path = JoinPath(PathDirectory(paths.front()), o.paths[i]);
        if (!mayBeNew && !StampOf(path).exists)
            return Fail(o, o.paths[i] + ": no such file or folder");
        if (!Inside(*site, path))
            return Fail(o, o.paths[i] + " lies outside the site " + site->GetDirectory());
        paths.push_back(path);
    }
    std::vector<std::string> sources(paths.begin(), hasTarget ? paths.end() - 1 : paths.end());
    const std::string target = hasTarget ? paths.back() : std::string();
    if (hasTarget && !IsFolder(target)) return Fail(o, o.paths.back() + " is not a folder");
    if (o.verb == "rename" && PathDirectory(paths[0]) != PathDirectory(paths[1]))
        return Fail(o, "NEW must be a name, or a path in the folder of OLD (use mv to move)");

    if (o.dryRun) {
        std::vector<MovedPath> moves;
        if (o.verb == "rename")
            moves.push_back({paths[0], paths[1]});
        else
            for (const std::string& s : sources)
                moves.push_back({s, JoinPath(target, PathName(s))});
        return DryRun(*site, moves);
    }

    ELog::Instance().ClearErrors();
    Report report;
    bool ok = false, reversed = false;
    if (o.verb == "mv") {
        ESiteMoveCommand command(sources, target);
        ok = command.Execute();
        reversed = command.ReversedItself();
        report.done = command.Transferred();
        AddPages(report, command.LinkUpdate());
    } else if (o.verb == "rename") {
        ESiteRenameCommand command(paths[0], paths[1]);
        ok = command.Execute();
        reversed = command.ReversedItself();
        if (command.IsUndoable()) report.done.push_back({paths[0], paths[1]});
        AddPages(report, command.LinkUpdate());
    } else if (o.verb == "cp") {
        ESiteCopyCommand command(sources, target);
        ok = command.Execute();
        reversed = command.ReversedItself();
        report.done = command.Transferred();
    } else if (o.verb == "dup") {
        ESiteDuplicateCommand command(sources);
        ok = command.Execute();
        for (std::size_t i = 0; i < command.Destinations().size(); ++i)
            if (StampOf(command.Destinations()[i]).exists)
                report.done.push_back({sources[i], command.Destinations()[i]});
    } else if (o.verb == "ln") {
        ESiteShortcutCommand command(sources, target);
        ok = command.Execute();
        for (const std::string& link : command.Created()) report.done.push_back({link, {}});
    } else if (o.verb == "mkdir") {
        ENewDirCommand command(paths[0]);
        ok = command.Execute();
        if (ok) report.done.push_back({paths[0], {}});
    } else {
        ESiteTrashCommand command(sources, std::string(PathDirectory(sources.front())));
        ok = command.Execute();
        for (const std::string& s : sources)
            if (!StampOf(s).exists) report.done.push_back({s, {}});
    }
    if (reversed) return Fail(o, "cancelled; nothing was changed", kCancelled);
    Print(o, *site, report, ok);
    if (std::fflush(stdout) != 0) return kUsage;
    if (report.done.empty()) return kUsage;
    return ok && report.problems.empty() ? kDone : kProblems;
}

}  // namespace tw::cli
