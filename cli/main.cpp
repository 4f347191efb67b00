// tidewright: the command-line front end.

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/CheckCommand.h"
#include "cli/FileCommand.h"
#include "cli/LinksCommand.h"
#include "cli/MaintenanceCommand.h"
#include "cli/RecoverCommand.h"

namespace {

void PrintHelp() {
    std::puts(
        "Usage: tidewright COMMAND [options]\n"
        "\n"
        "Tidewright understands web sites kept as files on your disk.\n"
        "\n"
        "Commands:\n"
        "  check DIR       load a site and report broken links, orphans and syntax errors\n"
        "  mv SRC... DEST  move items inside a site, rewriting every link to them\n"
        "  rename OLD NEW  rename an item inside a site, rewriting every link to it\n"
        "  cp, dup, ln     copy, duplicate in place, make shortcuts (symbolic links)\n"
        "  mkdir, rm       make a folder; send items to the trash\n"
        "  undo, redo      undo or redo the last command (history lists them)\n"
        "  orphans         list the files no page reaches; --trash or --move-to removes them\n"
        "  fix URL NEW     give a broken link a new target in every page (--suggest: targets)\n"
        "  ignore URL...   keep broken links on the site's ignore list (--list, --remove)\n"
        "  report          write the site's statistics report (-o FILE.html, --open)\n"
        "  overview        count the site's files, links, broken links and orphans\n"
        "  links PAGE...   every URL of the pages: line, bytes, kind, status and target\n"
        "  recover         roll back a command a crash or a full disk interrupted\n"
        "\n"
        "Options:\n"
        "  --help          show this help (tidewright help COMMAND, or tidewright COMMAND\n"
        "                  --help, for a command's)\n"
        "  --version       show the version\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Large buffers (a big page's line table, its URL list) are given back to the system
    // when freed: without a fixed threshold glibc raises it after the first big free and
    // keeps later big buffers on the heap, so each big page would add to the peak.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    if (argc < 2) {
        PrintHelp();
        return 2;
    }
    std::string command = argv[1];
    if (command == "help" && argc > 2) {
        const std::string verb = argv[2];
        if (verb == "check") {
            tw::cli::PrintCheckHelp();
            return 0;
        }
        // Every other command tells its own options.
        char help[] = "--help";
        char* args[] = {help};
        if (verb == "links") return tw::cli::RunLinks(1, args);
        if (verb == "recover") return tw::cli::RunRecover(1, args);
        if (tw::cli::IsMaintenanceCommand(argv[2]))
            return tw::cli::RunMaintenanceCommand(argv[2], 1, args);
        if (tw::cli::IsFileCommand(argv[2]) && verb != "undo" && verb != "redo" &&
            verb != "history")
            return tw::cli::RunFileCommand(argv[2], 1, args);
        std::fprintf(stderr, "tidewright: no help on '%s'\nTry 'tidewright --help'.\n", argv[2]);
        return 2;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        PrintHelp();
        return 0;
    }
    if (command == "--version") {
        std::printf("tidewright %s\n", TW_VERSION);
        return 0;
    }
    if (command == "recover") return tw::cli::RunRecover(argc - 2, argv + 2);
    if (command == "check" || command == "links" || command == "history") tw::cli::WarnIfPending();
    if (command == "check") return tw::cli::RunCheck(argc - 2, argv + 2);
    if (command == "links") return tw::cli::RunLinks(argc - 2, argv + 2);
    if (tw::cli::IsMaintenanceCommand(argv[1]))
        return tw::cli::RunMaintenanceCommand(argv[1], argc - 2, argv + 2);
    if (tw::cli::IsFileCommand(argv[1]))
        return tw::cli::RunFileCommand(argv[1], argc - 2, argv + 2);
    std::fprintf(stderr, "tidewright: unknown command '%s'\nTry 'tidewright --help'.\n", argv[1]);
    return 2;
}
