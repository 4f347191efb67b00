#include "cli/FileCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Formatters.h"
#include "cli/RecoverCommand.h"
#include "cli/SiteChoice.h"
#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"
#include "engine/commands/CommandJournal.h"
#include "engine/commands/SiteCommands.h"
#include "engine/commands/WriteAhead.h"
#include "engine/maintenance/FixLinks.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {
namespace {

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
    std::vector<std::string> refused;  // items left where they were, "ITEM: why"
};

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
        out += LineDiff(Relative(site, page.before), Relative(site, page.after), page.oldContent,
                        page.newContent);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? kDone : kUsage;
}

void Print(const Options& o, const EAppSite& site, const Report& report, bool done) {
    std::string out;
    const char* word = o.verb == "mv" || o.verb == "orphans" ? "moved"
                       : o.verb == "rename"                  ? "renamed"
                       : o.verb == "cp"                      ? "copied"
                       : o.verb == "dup"                     ? "duplicated"
                       : o.verb == "ln"                      ? "linked"
                       : o.verb == "mkdir"                   ? "made"
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
        std::vector<std::string> problems = report.refused;
        problems.insert(problems.end(), report.problems.begin(), report.problems.end());
        out += "], \"problems\": " + JsonStrings(problems) + "}\n";
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
        // Each item left alone says why, where errors go.
        for (const std::string& refused : report.refused)
            std::fprintf(stderr, "tidewright %s: %s\n", o.verb.c_str(),
                         Relative(site, refused).c_str());
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void AddPages(Report& report, const ELinkUpdate* update) {
    if (!update) return;
    for (const auto& change : update->Changes())
        report.pages.emplace_back(change.path, change.links);
    std::sort(report.pages.begin(), report.pages.end());
    for (const std::string& problem : update->Problems()) report.problems.push_back(problem);
}

std::unique_ptr<ECommand> MakeCommand(const std::string& verb,
                                      const std::vector<std::string>& paths,
                                      const std::vector<std::string>& sources,
                                      const std::string& target) {
    if (verb == "mv") return std::make_unique<ESiteMoveCommand>(sources, target);
    if (verb == "rename") return std::make_unique<ESiteRenameCommand>(paths[0], paths[1]);
    if (verb == "cp") return std::make_unique<ESiteCopyCommand>(sources, target);
    if (verb == "dup") return std::make_unique<ESiteDuplicateCommand>(sources);
    if (verb == "ln") return std::make_unique<ESiteShortcutCommand>(sources, target);
    if (verb == "mkdir") return std::make_unique<ENewDirCommand>(paths[0]);
    return std::make_unique<ESiteTrashCommand>(sources,
                                               std::string(PathDirectory(sources.front())));
}

// A command that reversed itself: cancelled by the user, or stopped by a failed write.
int Reversed(const std::string& verb) {
    if (!ELog::Instance().HasErrors())
        return Fail(verb, "cancelled: nothing was changed", kCancelled);
    return Fail(verb,
                "a write failed, so the command was reversed; nothing was changed:\n" +
                    ELog::Instance().ErrorText(),
                kProblems);
}

// An entry whose checksum does not match: what it says cannot be trusted to give bytes back.
int Damaged(const std::string& verb, const JournalEntry& entry, const char* what) {
    return Fail(verb, "the journal's entry for " + CommandNameOf(entry.command) + " in " +
                          ECommandJournal::DefaultPath() +
                          " is damaged (cut short or changed since it was written): nothing "
                          "was " +
                          what);
}

// A command reversed because the journal that would let it be undone could not be written.
int JournalUnwritten(const std::string& verb, const std::string& why) {
    return Fail(verb,
                "the undo journal " + ECommandJournal::DefaultPath() + " could not be written (" +
                    why + "), so the command was reversed: nothing was changed",
                kProblems);
}

int NoRecord(const std::string& verb) {
    return Fail(verb,
                std::string("nothing was changed: the command's record could not be written in ") +
                    EWriteAhead::Folder() + " (" + std::strerror(errno) + ")",
                kProblems);
}

// Runs a command, telling what it did and what an undo in a later run needs to know.
bool RunCommand(ECommand& command, Report& report, JournalEntry& entry, bool& reversed) {
    const bool ok = command.Execute();
    reversed = command.ReversedItself();
    entry.command = command.Serialize();
    ETransferJournal steps;
    const ELinkUpdate* update = nullptr;
    if (auto* transfer = dynamic_cast<ETransferCommand*>(&command))
        report.refused = transfer->Skipped();
    if (auto* move = dynamic_cast<ESiteMoveCommand*>(&command)) {
        report.done = move->Transferred();
        update = move->LinkUpdate();
        steps = move->Journal();
    } else if (auto* orphans = dynamic_cast<EMoveOrphansCommand*>(&command)) {
        report.done = orphans->Transferred();
        update = orphans->LinkUpdate();
        steps = orphans->Journal();
    } else if (auto* fix = dynamic_cast<ESiteFixLinksCommand*>(&command)) {
        for (const PageChange& change : fix->Changes()) {
            report.pages.emplace_back(change.path, change.links);
            entry.pages.push_back({change.path, change.stamp, change.undo, change.after});
        }
        std::sort(report.pages.begin(), report.pages.end());
        for (const std::string& problem : fix->Problems()) report.problems.push_back(problem);
    } else if (auto* rename = dynamic_cast<ESiteRenameCommand*>(&command)) {
        update = rename->LinkUpdate();
        if (rename->IsUndoable()) {
            MovedPath item{rename->OldPath(), rename->NewPath()};
            report.done.push_back(item);
            steps.NoteMoved(item.from, item.to);
            steps.Append(rename->Relinks());
        }
    } else if (auto* copy = dynamic_cast<ECopyCommand*>(&command)) {
        report.done = copy->Transferred();
        steps = copy->Journal();
    } else if (auto* dup = dynamic_cast<EDuplicateCommand*>(&command)) {
        for (std::size_t i = 0; i < dup->Destinations().size(); ++i)
            if (StampOf(dup->Destinations()[i]).exists)
                report.done.push_back({dup->Sources()[i], dup->Destinations()[i]});
        steps = dup->Journal();
    } else if (auto* links = dynamic_cast<EShortcutCommand*>(&command)) {
        for (const std::string& link : links->Created()) {
            report.done.push_back({link, {}});
            steps.NoteMade(link);
        }
    } else if (auto* folder = dynamic_cast<ENewDirCommand*>(&command)) {
        if (ok) {
            report.done.push_back({folder->Path(), {}});
            // The folders it made, outermost first, so that undo removes them innermost first.
            std::vector<std::string> made{folder->Path()};
            for (int level = 1; level < folder->LevelsCreated(); ++level)
                made.insert(made.begin(), std::string(PathDirectory(made.front())));
            for (const std::string& path : made) steps.NoteMade(path);
        }
    } else if (auto* trash = dynamic_cast<ETrashCommand*>(&command)) {
        for (const std::string& s : trash->Sources())
            if (!StampOf(s).exists) report.done.push_back({s, {}});
    }
    AddPages(report, update);
    if (update) {
        for (const auto& change : update->Changes()) {
            steps.Restamp(change.path);
            entry.pages.push_back({change.path, change.stamp, change.undo, change.after});
        }
    }
    entry.steps = steps.Save();
    return ok;
}

// Runs again the oldest command undone: on its site, as it was first run.
int Redo(const Options& o, std::vector<JournalEntry>& entries) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [](const JournalEntry& e) { return e.undone; });
    if (it == entries.end()) return Fail(o.verb, "nothing to redo");
    if (it->damaged) return Damaged(o.verb, *it, "done again");
    const std::string& line = it->command;
    std::unique_ptr<ECommand> command = CommandFromLine(line);
    const bool fix = line.starts_with("ESiteFixLinksCommand");
    if (!command && !fix) return Fail(o.verb, "the journal cannot be read");
    Options again = o;
    again.verb = fix                                       ? "fix"
                 : line.starts_with("EMoveOrphansCommand") ? "orphans"
                 : line.starts_with("ESiteMoveCommand")    ? "mv"
                 : line.starts_with("ESiteRenameCommand")  ? "rename"
                 : line.starts_with("ESiteCopyCommand")    ? "cp"
                 : line.starts_with("ESiteDuplicate")      ? "dup"
                 : line.starts_with("ESiteShortcut")       ? "ln"
                 : line.starts_with("ENewDir")             ? "mkdir"
                                                           : "rm";
    again.where.directory = it->site;
    again.where.home = it->homePage;
    again.where.server = it->server;
    again.where.lock = true;
    std::string problem;
    EAppSite* site = OpenSite(again.where, it->site, problem);
    if (!site) return Fail(o.verb, problem);
    if (fix) {
        // A fix names its site and, for one page, the page it changed.
        ESiteFixLinksCommand read(nullptr, nullptr, "", "", true);
        if (!read.Deserialize(line)) return Fail(o.verb, "the journal cannot be read");
        const bool all = line.ends_with("\tAll");
        EHtmlNode* page = nullptr;
        if (!all && !it->pages.empty())
            page = dynamic_cast<EHtmlNode*>(site->FindExactNode(it->pages.front().path));
        command =
            std::make_unique<ESiteFixLinksCommand>(site, page, read.FromUrl(), read.ToUrl(), all);
    }
    EWriteAhead::Scope record(command->Serialize());
    if (!record.Ok()) return NoRecord(o.verb);
    Report report;
    JournalEntry entry;
    bool reversed = false;
    const bool ok = RunCommand(*command, report, entry, reversed);
    if (reversed) return Reversed(o.verb);
    if (report.done.empty() && report.pages.empty())
        return Fail(o.verb, "nothing could be done again");
    entry.site = it->site;
    entry.homePage = it->homePage;
    entry.server = it->server;
    const JournalEntry undone = std::exchange(*it, std::move(entry));
    if (!ECommandJournal().Write(entries)) {
        // The journal would still call the command undone: it is reversed instead.
        const std::string why = std::strerror(errno);
        if (command->IsUndoable() && command->Unexecute()) return JournalUnwritten(o.verb, why);
        *it = undone;
        report.problems.push_back("the undo journal could not be written (" + why + ")");
    }
    std::printf("redid %s\n", command->GetName().c_str());
    Print(again, *site, report, ok);
    return ok && report.problems.empty() ? kDone : kProblems;
}

}  // namespace

namespace {

std::string NameOf(const JournalEntry& entry) {
    return CommandNameOf(entry.command);
}

// Undoes the newest command not undone yet: every rewritten page gets its old bytes, every
// step is reversed; nothing is done when any of those files changed since.
int Undo(const Options& o, std::vector<JournalEntry>& entries) {
    auto it = std::find_if(entries.rbegin(), entries.rend(),
                           [](const JournalEntry& e) { return !e.undone; });
    if (it == entries.rend()) return Fail(o.verb, "nothing to undo");
    JournalEntry& entry = *it;
    if (entry.damaged) return Damaged(o.verb, entry, "undone");
    if (entry.command.starts_with("ESiteTrashCommand") ||
        entry.command.starts_with("ETrashCommand") ||
        entry.command.starts_with("ETrashOrphansCommand"))
        return Fail(o.verb,
                    NameOf(entry) + " cannot be undone here: restore the items from the trash");
    ETransferJournal steps;
    if (!steps.Load(entry.steps)) return Fail(o.verb, "the journal cannot be read");
    for (const JournalEntry::Page& page : entry.pages)
        // The content decides (an edit that keeps size and time is still an edit); entries of
        // older journals have only the stamp.
        if (page.after == ContentCheck{} ? !StampOf(page.path).SameAs(page.stamp)
                                         : !HoldsContent(page.path, page.after))
            return Fail(o.verb, page.path + " changed since the command: nothing was undone");
    if (!steps.CanReverse())
        return Fail(o.verb, "an item changed since the command: nothing was undone");
    EWriteAhead::Scope record("(Undo)\t" + entry.command);
    if (!record.Ok()) return NoRecord(o.verb);
    bool ok = true;
    EPageWriter writer;
    for (const JournalEntry::Page& page : entry.pages)
        if (!writer.StageFile(page.path, page.undo)) ok = false;
    // A page that cannot be written (a full disk) stops the undo before anything changed.
    std::vector<std::string> notReplaced;
    if (!writer.WriteFailed()) notReplaced = writer.Commit();
    if (!notReplaced.empty()) ok = false;
    if (writer.WriteFailed()) {
        return Fail(o.verb, "a write failed; nothing was undone:\n" + ELog::Instance().ErrorText(),
                    kProblems);
    }
    std::vector<std::string> restored;  // where the pages will be once the items are back
    for (const JournalEntry::Page& page : entry.pages) {
        steps.Restamp(page.path);
        restored.push_back(steps.Origin(page.path));
    }
    ok = steps.Reverse() && ok;
    entry.undone = true;
    // The pages given back are as the commands before left them: their stamps are taken anew.
    ECommandJournal::Restamp(entries, restored);
    if (!ECommandJournal().Write(entries)) ok = false;
    std::printf("undid %s\n", NameOf(entry).c_str());
    return ok ? kDone : kProblems;
}

int History(const std::vector<JournalEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::printf("%3zu  %-7s %s\n", i + 1, entries[i].undone ? "undone" : "done",
                    NameOf(entries[i]).c_str());
    return kDone;
}

// The entry undo (or redo) works on: the newest not undone (the oldest undone).
const JournalEntry* NextEntry(const std::vector<JournalEntry>& entries, bool undo) {
    if (undo) {
        auto it = std::find_if(entries.rbegin(), entries.rend(),
                               [](const JournalEntry& e) { return !e.undone; });
        return it == entries.rend() ? nullptr : &*it;
    }
    auto it = std::find_if(entries.begin(), entries.end(),
                           [](const JournalEntry& e) { return e.undone; });
    return it == entries.end() ? nullptr : &*it;
}

// undo | redo | history. An undo or redo holds the lock of its entry's site, then the
// journal's, in that order (as every command does), reading the journal again under both:
// another command may have ended in between.
int RunHistoryCommand(Options& o, int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        if (o.verb != "history" && std::strcmp(argv[i], "--wait") == 0)
            o.where.wait = true;
        else
            return Fail(o.verb, o.verb == "history" ? "takes no arguments"
                                                    : "takes no arguments but --wait");
    }
    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    std::vector<JournalEntry> entries;
    std::string lockedSite;
    for (;;) {
        EFileLock journal = ECommandJournal::Lock();
        if (!ECommandJournal().Read(entries)) return Fail(o.verb, "the journal cannot be read");
        if (o.verb == "history") return History(entries);
        if (int status = RefuseWhilePending(o.verb)) return status;
        const JournalEntry* entry = NextEntry(entries, o.verb == "undo");
        if (!entry || entry->site == lockedSite)
            return o.verb == "undo" ? Undo(o, entries) : Redo(o, entries);
        journal.Release();
        std::string problem;
        if (!HoldSiteLock(entry->site, o.where.wait, problem))
            return Fail(o.verb, problem, problem == "cancelled" ? kCancelled : kUsage);
        lockedSite = entry->site;
    }
}

}  // namespace

std::string CommandNameOf(const std::string& line) {
    const bool undo = line.starts_with("(Undo)\t");
    const std::string bare = undo ? line.substr(7) : line;
    std::string name = bare;
    if (std::unique_ptr<ECommand> command = CommandFromLine(bare)) {
        name = command->GetName();
    } else {
        ESiteFixLinksCommand fix(nullptr, nullptr, "", "", true);
        if (fix.Deserialize(bare)) name = fix.GetName();
    }
    return undo ? "undo of " + name : name;
}

bool IsFileCommand(const char* command) {
    for (const char* verb :
         {"mv", "rename", "cp", "dup", "mkdir", "rm", "ln", "undo", "redo", "history"})
        if (std::strcmp(command, verb) == 0) return true;
    return false;
}

int RunFileCommand(const char* verb, int argc, char** argv) {
    Options o;
    o.verb = verb;
    if (o.verb == "undo" || o.verb == "redo" || o.verb == "history")
        return RunHistoryCommand(o, argc, argv);
    CLI::App app("Tidewright " + o.verb + ": keeps every link of the site valid.",
                 "tidewright " + o.verb);
    AddSiteOptions(app, o.where);
    AddWaitOption(app, o.where);
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
    if (std::optional<int> status = Parse(app, argc, argv)) return *status;
    const bool hasTarget = o.verb == "mv" || o.verb == "cp" || o.verb == "ln";
    if ((hasTarget && o.paths.size() < 2) || (o.verb == "rename" && o.paths.size() != 2) ||
        (o.verb == "mkdir" && o.paths.size() != 1))
        return Fail(o.verb, std::string("expects ") + pathsHelp);

    if (int status = RefuseWhilePending(o.verb)) return status;
    o.where.lock = !o.dryRun;
    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    auto& console = static_cast<EConsoleServices&>(EUiServices::Instance());
    if (!o.overwrite.empty())
        console.SetOverwritePolicy(o.overwrite == "trash"   ? OverwritePolicy::Overwrite
                                   : o.overwrite == "skip"  ? OverwritePolicy::Skip
                                   : o.overwrite == "older" ? OverwritePolicy::OverwriteOlder
                                                            : OverwritePolicy::Rename);
    std::string problem;
    EAppSite* site = OpenSite(o.where, o.paths.front(), problem);
    if (!site) return Fail(o.verb, problem, problem == "cancelled" ? kCancelled : kUsage);

    // Everything named must lie in the site: a move out of it could not keep its links.
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < o.paths.size(); ++i) {
        const bool mayBeNew = (o.verb == "rename" && i == 1) || o.verb == "mkdir";
        std::string path = AsNamed(o.paths[i]);
        if (o.verb == "rename" && i == 1 && o.paths[i].find(kPathSep) == std::string::npos)
            path = JoinPath(PathDirectory(paths.front()), o.paths[i]);
        if (!mayBeNew && !StampOf(path).exists)
            return Fail(o.verb, o.paths[i] + ": no such file or folder");
        if (!Inside(*site, path))
            return Fail(o.verb, o.paths[i] + " lies outside the site " + site->GetDirectory());
        paths.push_back(path);
    }
    std::vector<std::string> sources(paths.begin(), hasTarget ? paths.end() - 1 : paths.end());
    const std::string target = hasTarget ? paths.back() : std::string();
    if (hasTarget && !IsFolder(target)) return Fail(o.verb, o.paths.back() + " is not a folder");
    if (o.verb == "rename" && PathDirectory(paths[0]) != PathDirectory(paths[1]))
        return Fail(o.verb, "NEW must be a name, or a path in the folder of OLD (use mv to move)");
    if (o.verb == "rename") {
        // The same file under another case (a case-insensitive file system) is no other item.
        const FileStamp from = StampOf(paths[0]), to = StampOf(paths[1]);
        if (to.exists && !(to.device == from.device && to.inode == from.inode))
            return Fail(o.verb, o.paths[1] + ": that name is taken; nothing was done");
    }
    if (o.verb == "mkdir" && StampOf(paths.back()).exists)
        return Fail(o.verb, o.paths.back() + ": exists already; nothing was done");

    if (o.dryRun) {
        std::vector<MovedPath> moves;
        if (o.verb == "rename")
            moves.push_back({paths[0], paths[1]});
        else
            for (const std::string& s : sources)
                moves.push_back({s, JoinPath(target, PathName(s))});
        return DryRun(*site, moves);
    }

    return RunJournaled(o.verb, o.format, *site, MakeCommand(o.verb, paths, sources, target));
}

int RunJournaled(const std::string& verb, const std::string& format, EAppSite& site,
                 std::unique_ptr<ECommand> command) {
    Options o;
    o.verb = verb;
    o.format = format;
    ELog::Instance().ClearErrors();
    if (int status = RefuseWhilePending(verb)) return status;
    // What the command is about to do is on the disk before it does it, so that a crash
    // midway can be rolled back (tidewright recover).
    EWriteAhead::Scope record(command->Serialize());
    if (!record.Ok()) return NoRecord(verb);
    Report report;
    JournalEntry entry;
    bool reversed = false;
    const bool ok = RunCommand(*command, report, entry, reversed);
    if (reversed) return Reversed(o.verb);
    if (!report.done.empty() || !report.pages.empty()) {
        entry.site = site.GetDirectory();
        entry.homePage = site.GetHomePage();
        entry.server = site.GetServer();
        // Without its entry the command could never be undone: it is reversed instead.
        if (!ECommandJournal().Add(std::move(entry))) {
            const std::string why = std::strerror(errno);
            if (command->IsUndoable() && command->Unexecute()) return JournalUnwritten(verb, why);
            report.problems.push_back("the undo journal " + ECommandJournal::DefaultPath() +
                                      " could not be written (" + why +
                                      "): undo will not know this command");
        }
    }
    Print(o, site, report, ok);
    if (std::fflush(stdout) != 0) return kUsage;
    if (report.done.empty() && report.pages.empty()) return kUsage;
    return ok && report.problems.empty() ? kDone : kProblems;
}

}  // namespace tw::cli
