#include "cli/FileCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
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
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "engine/commands/BrokenSince.h"
#include "engine/commands/CommandJournal.h"
#include "engine/commands/LinkUpdate.h"
#include "engine/commands/RewritePass.h"
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
    bool dryRun = false, force = false;
    std::string overwrite;
    std::string format = "text";
    std::vector<std::string> paths;
};

struct Report {
    std::vector<MovedPath> done;                     // what happened to which item
    std::vector<std::pair<std::string, int>> pages;  // page rewritten, links changed
    std::vector<std::string> problems;
    std::vector<std::string> refused;  // items left where they were, "ITEM: why"
    std::vector<BrokenLink> broken;    // links the command broke
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
        out += "], \"problems\": " + JsonStrings(problems) + ", \"broken\": [";
        for (std::size_t i = 0; i < report.broken.size(); ++i) {
            out += i ? ", {\"page\": " : "{\"page\": ";
            JsonString(out, report.broken[i].page);
            out += ", \"line\": " + std::to_string(report.broken[i].line) + ", \"url\": ";
            JsonString(out, report.broken[i].url);
            out += "}";
        }
        out += "]}\n";
    } else {
        for (const MovedPath& m : report.done) {
            // Orphans go to the trash or to a folder.
            out += std::string(o.verb == "orphans" && m.to.empty() ? "trashed" : word) + " " +
                   Relative(site, m.from);
            if (!m.to.empty()) out += " -> " + Relative(site, m.to);
            out += "\n";
        }
        for (const auto& [page, links] : report.pages)
            out += "rewrote " + Relative(site, page) + " (" + std::to_string(links) +
                   (links == 1 ? " link)\n" : " links)\n");
        for (const std::string& problem : report.problems) out += "problem: " + problem + "\n";
        for (const BrokenLink& link : report.broken)
            out += Relative(site, link.page) + ":" + std::to_string(link.line) + ": now broken \"" +
                   link.url + "\"\n";
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

// Runs a command on the site, telling what it did, which links it broke, and what an undo in
// a later run needs to know.
bool RunCommand(ECommand& command, EAppSite& site, Report& report, JournalEntry& entry,
                bool& reversed) {
    const EBrokenLinksWatch watch(site);
    const bool ok = command.Execute();
    reversed = command.ReversedItself();
    if (!reversed) report.broken = watch.NewlyBroken();
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
        if (ok) report.done.push_back({folder->Path(), {}});
        steps = folder->Journal();
    } else if (auto* trash = dynamic_cast<ETrashCommand*>(&command)) {
        for (const std::string& s : trash->Sources())
            if (!StampOf(s).exists) report.done.push_back({s, {}});
        steps = trash->Journal();
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
int Redo(const Options& o, std::vector<JournalEntry>& entries, const std::string& folder) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const JournalEntry& e) {
        return e.undone && ECommandJournal::OnSite(e, folder);
    });
    if (it == entries.end()) return Fail(o.verb, "nothing to redo in " + folder);
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
    const bool ok = RunCommand(*command, *site, report, entry, reversed);
    if (reversed) return Reversed(o.verb);
    if (report.done.empty() && report.pages.empty())
        return Fail(o.verb, "nothing could be done again");
    entry.site = it->site;
    entry.homePage = it->homePage;
    entry.server = it->server;
    entry.time = std::time(nullptr);
    const JournalEntry undone = std::exchange(*it, std::move(entry));
    if (!ECommandJournal().Write(entries)) {
        // The journal would still call the command undone: it is reversed instead.
        const std::string why = std::strerror(errno);
        if (command->IsUndoable() && command->Unexecute()) return JournalUnwritten(o.verb, why);
        *it = undone;
        report.problems.push_back("the undo journal could not be written (" + why + ")");
    }
    std::printf("redid %s in %s\n", command->GetName().c_str(), folder.c_str());
    Print(again, *site, report, ok);
    return ok && report.problems.empty() && report.broken.empty() ? kDone : kProblems;
}

}  // namespace

namespace {

// Why an undo was refused, as the check that refused it logged it (the reason, then the item
// on its own line).
std::string RefusalText() {
    std::string why = ELog::Instance().ErrorText();
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
    return why.empty() ? "nothing was undone (the reason is above)" : why + "\nnothing was undone";
}

std::string NameOf(const JournalEntry& entry) {
    return CommandNameOf(entry.command);
}

// Undoes the newest command not undone yet: every rewritten page gets its old bytes, every
// step is reversed; nothing is done when any of those files changed since.
int Undo(const Options& o, std::vector<JournalEntry>& entries, const std::string& folder) {
    auto it = std::find_if(entries.rbegin(), entries.rend(), [&](const JournalEntry& e) {
        return !e.undone && ECommandJournal::OnSite(e, folder);
    });
    if (it == entries.rend()) return Fail(o.verb, "nothing to undo in " + folder);
    JournalEntry& entry = *it;
    if (entry.damaged) return Damaged(o.verb, entry, "undone");
    ETransferJournal steps;
    if (!steps.Load(entry.steps)) return Fail(o.verb, "the journal cannot be read");
    const bool trash = entry.command.starts_with("ESiteTrashCommand") ||
                       entry.command.starts_with("ETrashCommand") ||
                       entry.command.starts_with("ETrashOrphansCommand");
    if (trash && steps.Empty())  // recorded before a delete kept where its items went
        return Fail(o.verb,
                    NameOf(entry) + " cannot be undone here: restore the items from the trash");
    ENewDirCommand made("");
    if (made.Deserialize(entry.command) && !ENewDirCommand::StillEmpty(made.Path()))
        return Fail(o.verb, RefusalText());
    if (!steps.CanReverse()) return Fail(o.verb, RefusalText());
    EWriteAhead::Scope record("(Undo)\t" + entry.command);
    if (!record.Ok()) return NoRecord(o.verb);
    bool ok = true;
    EPageWriter writer;
    // Each page is read once: its content decides whether it is as the command left it (an
    // edit that keeps size and time is still an edit; entries of older journals have only the
    // stamp), and is what its old bytes are spliced into. One that is not stops the undo
    // before anything changed (the writer drops what it staged).
    std::string content;
    for (const JournalEntry::Page& page : entry.pages) {
        content.clear();
        const bool read = ReadWholeFile(page.path, content);
        if (!read || (page.after == ContentCheck{} ? !StampOf(page.path).SameAs(page.stamp)
                                                   : ContentCheck::Of(content) != page.after))
            return Fail(o.verb, page.path + " changed since the command: nothing was undone");
        if (!writer.Stage(page.path, content, page.undo)) ok = false;
    }
    // Links written since the command to what it moved are pointed back (the site is read for
    // them), once the command's own pages are known to be as it left them.
    const std::vector<MovedPath> moves = steps.Moves();
    std::vector<std::pair<std::string, int>> pointedBack;
    if (!moves.empty() && !writer.WriteFailed()) {
        SiteOptions where;
        where.directory = entry.site;
        where.home = FollowedPath(entry.homePage, moves);
        where.server = entry.server;
        std::string problem;
        std::vector<std::string> restored;
        for (const JournalEntry::Page& page : entry.pages) restored.push_back(page.path);
        if (EAppSite* site = OpenSite(where, entry.site, problem)) {
            const RewriteOutcome back = PointLinksBack(*site, moves, restored);
            if (!back.Finished())
                return Fail(o.verb,
                            "a write failed; nothing was undone:\n" + ELog::Instance().ErrorText(),
                            kProblems);
            for (const PageChange& change : back.changes)
                pointedBack.emplace_back(change.path, change.links);
        } else if (problem != "cancelled") {
            std::fprintf(stderr,
                         "tidewright undo: links written since the command were not looked at "
                         "(%s)\n",
                         problem.c_str());
        }
    }
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
    for (const std::string& link : steps.RelinkedLinks()) restored.push_back(link);
    ok = steps.Reverse() && ok;
    entry.undone = true;
    // The pages given back are as the commands before left them: their stamps are taken anew.
    ECommandJournal::Restamp(entries, restored);
    if (!ECommandJournal().Write(entries)) ok = false;
    std::printf("undid %s in %s\n", NameOf(entry).c_str(), folder.c_str());
    for (const auto& [page, links] : pointedBack)
        std::printf(
            "pointed back %s (%d %s)\n",
            page.starts_with(folder + kPathSep) ? page.c_str() + folder.size() + 1 : page.c_str(),
            links, links == 1 ? "link" : "links");
    return ok ? kDone : kProblems;
}

std::string TimeText(std::int64_t seconds) {
    if (seconds <= 0) return "-";
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// The positions of the site's entries in the journal, oldest first.
std::vector<std::size_t> EntriesOf(const std::vector<JournalEntry>& entries,
                                   const std::string& folder) {
    std::vector<std::size_t> of;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (ECommandJournal::OnSite(entries[i], folder)) of.push_back(i);
    return of;
}

int History(const std::vector<JournalEntry>& entries, const std::string& folder) {
    std::printf("history of %s\n", folder.c_str());
    const std::vector<std::size_t> of = EntriesOf(entries, folder);
    for (std::size_t n = 0; n < of.size(); ++n) {
        const JournalEntry& e = entries[of[n]];
        std::printf("%3zu  %-7s %-19s  %s%s\n", n + 1, e.undone ? "undone" : "done",
                    TimeText(e.time).c_str(), NameOf(e).c_str(), e.damaged ? " (damaged)" : "");
    }
    return kDone;
}

// history --drop N: the entry leaves the history, so that the older ones can be undone past it
// (a delete whose items were emptied from the trash, a command whose pages were edited since).
int Drop(std::vector<JournalEntry>& entries, const std::string& folder, int n) {
    const std::vector<std::size_t> of = EntriesOf(entries, folder);
    if (n < 1 || static_cast<std::size_t>(n) > of.size())
        return Fail("history", "--drop " + std::to_string(n) + ": the history of " + folder +
                                   " has " + std::to_string(of.size()) + " entries");
    const std::string name = NameOf(entries[of[static_cast<std::size_t>(n) - 1]]);
    ECommandJournal::Drop(entries, of[static_cast<std::size_t>(n) - 1]);
    if (!ECommandJournal().Write(entries))
        return Fail("history",
                    "the undo journal " + ECommandJournal::DefaultPath() +
                        " could not be written (" + std::strerror(errno) + ")",
                    kProblems);
    std::printf("dropped %d  %s: its changes stay; undo goes on with the command before it\n", n,
                name.c_str());
    return kDone;
}

// The entry undo (or redo) works on: the site's newest not undone (its oldest undone).
const JournalEntry* NextEntry(const std::vector<JournalEntry>& entries, bool undo,
                              const std::string& folder) {
    const auto mine = [&](const JournalEntry& e) {
        return e.undone != undo && ECommandJournal::OnSite(e, folder);
    };
    if (undo) {
        auto it = std::find_if(entries.rbegin(), entries.rend(), mine);
        return it == entries.rend() ? nullptr : &*it;
    }
    auto it = std::find_if(entries.begin(), entries.end(), mine);
    return it == entries.end() ? nullptr : &*it;
}

// The real folder of the site whose history is meant: the one named, else the one holding
// the current folder (a defined site, or one with a history); empty, with the reason in
// `problem`, when none is.
std::string HistorySite(const SiteOptions& where, const std::vector<JournalEntry>& entries,
                        std::string& problem) {
    if (!where.directory.empty()) return Real(where.directory);
    std::vector<std::string> folders;
    for (const auto& site : DefinedSites()) {
        if (!where.site.empty() && site->GetName() == where.site) return Real(site->GetDirectory());
        folders.push_back(Real(site->GetDirectory()));
    }
    if (!where.site.empty()) {
        problem = "no site named \"" + where.site + "\" is defined";
        return {};
    }
    for (const JournalEntry& e : entries) folders.push_back(Real(e.site));
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    const std::string here = Real(".");
    std::string best;
    for (const std::string& folder : folders)
        if ((here == folder || here.starts_with(folder + kPathSep)) && folder.size() > best.size())
            best = folder;
    if (!best.empty()) return best;
    problem = "the current folder is in no site; name one with --site NAME or --site-dir DIR";
    if (!folders.empty()) {
        problem += " (sites:";
        for (const std::string& folder : folders) problem += " " + folder;
        problem += ")";
    }
    return {};
}

const char* HistoryHelp(const std::string& verb) {
    if (verb == "undo")
        return "Undoes the newest command of a site not undone yet: every page it rewrote gets "
               "its old bytes,\nevery item goes back (items it sent to the trash come back from "
               "it), and links written\nsince to what it moved are pointed back. Nothing is done "
               "when a page or item changed\nsince the command; it says which. The site is the "
               "one named, or the one holding the\ncurrent folder.";
    if (verb == "redo")
        return "Does again the oldest command of a site that was undone, as it was first run. "
               "The site is\nthe one named, or the one holding the current folder.";
    return "Lists a site's commands that can be undone or redone, oldest first: number, state, "
           "time and\ncommand. --drop N takes entry N out of the history (its changes stay), so "
           "that older\nentries can be undone past it. The site is the one named, or the one "
           "holding the current\nfolder.";
}

// undo | redo | history. An undo or redo holds the lock of its site, then the journal's, in
// that order (as every command does), reading the journal again under both: another command
// may have ended in between.
int RunHistoryCommand(Options& o, int argc, char** argv) {
    CLI::App app(HistoryHelp(o.verb), "tidewright " + o.verb);
    app.add_option("--site", o.where.site, "a site defined in the settings, by name");
    app.add_option("--site-dir", o.where.directory, "the site's folder");
    int drop = 0;
    if (o.verb == "history")
        app.add_option("--drop", drop, "take entry N out of the history (its changes stay)");
    else
        AddWaitOption(app, o.where);
    if (std::optional<int> status = Parse(app, argc, argv)) return *status;
    ScopedLog log(std::make_unique<QuietLog>());
    ScopedUiServices scope(std::make_unique<EConsoleServices>());
    std::vector<JournalEntry> entries;
    std::string folder;
    for (bool locked = false;;) {
        EFileLock journal = ECommandJournal::Lock();
        if (!ECommandJournal().Read(entries)) return Fail(o.verb, "the journal cannot be read");
        std::string problem;
        if (folder.empty()) folder = HistorySite(o.where, entries, problem);
        if (folder.empty()) return Fail(o.verb, problem);
        if (o.verb == "history")
            return drop ? Drop(entries, folder, drop) : History(entries, folder);
        if (int status = RefuseWhilePending(o.verb)) return status;
        if (locked || !NextEntry(entries, o.verb == "undo", folder))
            return o.verb == "undo" ? Undo(o, entries, folder) : Redo(o, entries, folder);
        journal.Release();
        if (!HoldSiteLock(folder, o.where.wait, problem))
            return Fail(o.verb, problem, problem == "cancelled" ? kCancelled : kUsage);
        locked = true;
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
    CLI::App app(o.verb == "rm"
                     ? std::string("Tidewright rm: sends items to the trash (undo brings them "
                                   "back). Items that pages link to stay unless --force; a "
                                   "command that breaks links lists them and exits 1.")
                     : "Tidewright " + o.verb +
                           ": keeps every link of the site valid (undo gives every byte back); "
                           "links it cannot keep are listed, exit 1.",
                 "tidewright " + o.verb);
    AddSiteOptions(app, o.where);
    AddWaitOption(app, o.where);
    app.add_option("--format", o.format, "text or json")->check(CLI::IsMember({"text", "json"}));
    if (o.verb == "mv" || o.verb == "rename")
        app.add_flag("--dry-run", o.dryRun, "change nothing; show the moves and the page diffs");
    if (o.verb == "rm") {
        app.add_flag("--dry-run", o.dryRun,
                     "change nothing; show what would be trashed and which links would break");
        app.add_flag("--force", o.force, "trash items that pages link to (their links break)");
    }
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

    if (o.verb == "rm") {
        // Links into what goes would break: said first, and done only when asked.
        const std::vector<BrokenLink> inbound = LinksInto(*site, sources);
        std::string lines;
        for (const BrokenLink& link : inbound)
            lines += Relative(*site, link.page) + ":" + std::to_string(link.line) + ": " +
                     (o.dryRun ? "would break" : "links to it") + " \"" + link.url + "\"\n";
        if (o.dryRun) {
            std::string items;
            for (const std::string& source : sources)
                items += "would trash " + Relative(*site, source) + "\n";
            lines.insert(0, items);
            std::fwrite(lines.data(), 1, lines.size(), stdout);
            return std::fflush(stdout) == 0 ? kDone : kUsage;
        }
        if (!inbound.empty() && !o.force)
            return Fail(o.verb, "pages link to what would be trashed:\n" + lines +
                                    "nothing was trashed (--force trashes it all the same; "
                                    "undo brings it back)");
    }
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
    // The site as the command found it: a redo opens it so (a renamed home page is back).
    entry.site = site.GetDirectory();
    entry.homePage = site.GetHomePage();
    entry.server = site.GetServer();
    entry.time = std::time(nullptr);
    const bool ok = RunCommand(*command, site, report, entry, reversed);
    if (reversed) return Reversed(o.verb);
    if (!report.done.empty() || !report.pages.empty()) {
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
    return ok && report.problems.empty() && report.broken.empty() ? kDone : kProblems;
}

}  // namespace tw::cli
