#include "cli/RecoverCommand.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

#include "cli/FileCommand.h"
#include "cli/Formatters.h"
#include "cli/SiteChoice.h"
#include "engine/commands/CommandJournal.h"
#include "engine/commands/Recovery.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {
namespace {

std::string Describe(const PendingCommand& pending) {
    return CommandNameOf(pending.command) + " (started " + pending.started + ")";
}

// The notice for each interrupted command; false when there is none.
bool TellPending(const char* closing) {
    const std::vector<PendingCommand> pending = FindPendingCommands();
    for (const PendingCommand& p : pending)
        std::fprintf(stderr, "tidewright: an interrupted command left its work half done: %s\n",
                     Describe(p).c_str());
    if (!pending.empty()) std::fprintf(stderr, "%s", closing);
    return !pending.empty();
}

}  // namespace

int RefuseWhilePending(const std::string& verb) {
    if (!TellPending("Run 'tidewright recover' to roll it back ('tidewright recover --show' "
                     "tells what that would do).\n"))
        return 0;
    std::fprintf(stderr, "tidewright %s: nothing was done\n", verb.c_str());
    return kProblems;
}

void WarnIfPending() {
    TellPending("The site may look half changed until 'tidewright recover' rolls it back.\n");
}

int RunRecover(int argc, char** argv) {
    bool show = false, forget = false, wait = false;
    std::string format = "text";
    CLI::App app(
        "Tidewright recover: rolls back every command a crash, a kill or a full disk "
        "interrupted, so that each file is as it was before that command.",
        "tidewright recover");
    app.add_flag("--show", show, "change nothing; tell what the rollback would do");
    app.add_flag("--forget", forget,
                 "drop the records of interrupted commands, leaving the files as they are now");
    app.add_option("--format", format, "text or json")->check(CLI::IsMember({"text", "json"}));
    app.add_flag("--wait", wait,
                 "when another command is changing a site to roll back, wait until it ends");
    if (std::optional<int> status = Parse(app, argc, argv)) return *status;
    if (show && forget) return Fail("recover", "--show and --forget exclude each other");

    std::vector<PendingCommand> pending = FindPendingCommands();
    // A rollback changes the sites the interrupted commands held: nobody else may meanwhile.
    if (!show) {
        ScopedUiServices scope(std::make_unique<EConsoleServices>());
        for (const PendingCommand& p : pending)
            for (const std::string& site : p.sites) {
                std::string problem;
                if (!HoldSiteLock(site, wait, problem))
                    return Fail("recover", problem, problem == "cancelled" ? kCancelled : kUsage);
            }
    }
    bool allDone = true;
    std::string json = "[";
    for (PendingCommand& p : pending) {
        RollbackReport report;
        bool ok = true;
        if (forget)
            ok = ForgetPending(p);
        else
            ok = RollBack(p, report, show);
        // Commands run before keep their undo: the files given back are as they left them.
        if (!show && !report.changed.empty()) ECommandJournal().Restamp(report.changed);
        allDone = allDone && ok;
        if (format == "json") {
            if (json.size() > 1) json += ", ";
            json += "{\"command\": ";
            JsonString(json, CommandNameOf(p.command));
            json += ", \"finishedBefore\": " + std::string(p.complete ? "true" : "false");
            json += ", \"started\": ";
            JsonString(json, p.started);
            json += ", \"done\": " + JsonStrings(report.done) +
                    ", \"problems\": " + JsonStrings(report.problems) +
                    ", \"finished\": " + (ok && !show ? "true" : "false") + "}";
            continue;
        }
        const char* verb = forget ? "forgot"
                           : p.complete
                               ? "finished before it was interrupted, nothing to roll back:"
                           : show ? "would roll back"
                                  : "rolled back";
        std::printf("%s %s\n", ok ? verb : "could not wholly roll back", Describe(p).c_str());
        for (const std::string& step : report.done)
            std::printf("  %s%s\n", show ? "would have " : "", step.c_str());
        for (const std::string& problem : report.problems)
            std::printf("  problem: %s\n", problem.c_str());
    }
    if (format == "json")
        std::printf("%s]\n", json.c_str());
    else if (pending.empty())
        std::printf("no interrupted command\n");
    else if (!allDone && !show)
        std::printf(
            "Run 'tidewright recover' again once the problems are solved, or 'tidewright "
            "recover --forget' to keep the files as they are.\n");
    return allDone ? kDone : kProblems;
}

}  // namespace tw::cli
