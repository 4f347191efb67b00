#include "cli/CheckCommand.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Formatters.h"
#include "cli/SiteChoice.h"
#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/html/Fragments.h"
#include "engine/html/UrlText.h"
#include "engine/maintenance/Orphans.h"
#include "engine/model/SiteLoader.h"
#include "engine/model/Traverse.h"
#include "engine/report/Findings.h"
#include "engine/report/Overview.h"
#include "engine/services/Browse.h"
#include "engine/services/ConsoleServices.h"

namespace tw::cli {
namespace {

constexpr int kExitClean = 0, kExitBroken = 1, kExitUsage = 2, kExitCancelled = 130;

struct CheckOptions {
    SiteOptions where;
    bool totalOrphans = false;
    bool syntax = true;
    bool fragments = true;
    bool strictCase = false;
    bool json = false;
    int jobs = 0;
};

// Collects syntax errors as data; the text of the report goes nowhere.
class SyntaxSection : public ESection {
  public:
    explicit SyntaxSection(std::vector<SyntaxFinding>& out)
        : ESection(ELog::kSyntaxSectionId, Stream::None), out_(out) {}
    void RecordSyntaxError(std::string_view path, int line, std::string_view message) override {
        out_.push_back({std::string(path), line, std::string(message)});
    }

  private:
    std::vector<SyntaxFinding>& out_;
};

// The log of a check: file errors go to standard error and become findings, syntax errors
// become findings, and other report sections are dropped so that standard output carries
// only the results.
class CheckLog : public ELog {
  public:
    CheckLog(std::vector<SyntaxFinding>& syntax, std::vector<FileError>& fileErrors)
        : syntax_(syntax), discard_(0, ESection::Stream::None), fileErrors_(fileErrors) {}
    void LogErrorFile(std::string_view text, std::string_view path) override {
        ELog::LogErrorFile(text, path);
        fileErrors_.push_back({std::string(path), std::string(text)});
    }
    ESection* OpenSection(int titleId) override {
        if (titleId == kErrorSectionId) return ELog::OpenSection(titleId);
        if (titleId == kSyntaxSectionId) return &syntax_;
        return &discard_;
    }
    void CloseSection(ESection* section) override {
        if (section != &syntax_ && section != &discard_) ELog::CloseSection(section);
    }

  private:
    SyntaxSection syntax_;
    ESection discard_;
    std::vector<FileError>& fileErrors_;
};

int Usage(const char* problem) {
    std::fprintf(stderr, "tidewright check: %s\nTry 'tidewright check --help'.\n", problem);
    return kExitUsage;
}

int Fail(const std::string& problem) {
    std::fprintf(stderr, "tidewright check: %s\n", problem.c_str());
    return kExitUsage;
}

int Cancelled() {
    std::fprintf(stderr, "tidewright check: cancelled\n");
    return kExitCancelled;
}

bool ParseOptions(int argc, char** argv, CheckOptions& o, int& exit) {
    bool optionsEnded = false;
    auto folder = [&](const std::string& arg) {
        if (!o.where.directory.empty()) {
            exit = Usage("only one folder can be checked at a time");
            return false;
        }
        o.where.directory = arg;
        return true;
    };
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded) {
            if (!folder(arg)) return false;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;  // what follows is a folder, even one that starts with '-'
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (arg.starts_with("--") && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            hasValue = true;
        }
        auto take = [&](std::string& into) {
            if (!hasValue) {
                if (i + 1 >= argc) return false;
                value = argv[++i];
            }
            into = value;
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            PrintCheckHelp();
            exit = kExitClean;
            return false;
        }
        std::string text;
        if (arg == "--home" || arg == "--server" || arg == "--site" || arg == "--defaults" ||
            arg == "--exclude" || arg == "--format" || arg == "--jobs") {
            if (!take(text)) {
                exit = Usage(("option " + arg + " needs a value").c_str());
                return false;
            }
            if (arg == "--home") o.where.home = text;
            if (arg == "--server") o.where.server = text;
            if (arg == "--site") o.where.site = text;
            if (arg == "--defaults") o.where.defaults = text;
            if (arg == "--exclude") o.where.excluded.push_back(text);
            if (arg == "--jobs") {
                char* end = nullptr;
                const long jobs = std::strtol(text.c_str(), &end, 10);
                if (text.empty() || *end || jobs < 0 || jobs > 1024) {
                    exit = Usage("--jobs takes a number of cores (0: all)");
                    return false;
                }
                o.jobs = static_cast<int>(jobs);
            }
            if (arg == "--format") {
                if (text != "text" && text != "json") {
                    exit = Usage("--format takes text or json");
                    return false;
                }
                o.json = text == "json";
            }
        } else if (arg == "--total-orphans") {
            o.totalOrphans = true;
        } else if (arg == "--no-syntax") {
            o.syntax = false;
        } else if (arg == "--fragments" || arg == "--no-fragments") {
            o.fragments = arg == "--fragments";
        } else if (arg == "--strict-case") {
            o.strictCase = true;
        } else if (arg.starts_with("-") && arg != "-") {
            exit = Usage(("unknown option " + arg).c_str());
            return false;
        } else if (!folder(arg)) {
            return false;
        }
    }
    if (o.where.directory.empty() == o.where.site.empty()) {
        exit = Usage("name a folder or a defined site (--site NAME)");
        return false;
    }
    return true;
}

LinkFinding Finding(EHtmlNode& page, const EUrl& url) {
    LinkFinding f{
        page.GetPath(), url.line, url.start, url.text, SiteRelativeUrlPath(page, url.text), {}};
    if (url.target) f.file = url.target->GetName();
    return f;
}

}  // namespace

void PrintCheckHelp() {
    std::puts(
        "Usage: tidewright check DIR [options]\n"
        "       tidewright check --site NAME [options]\n"
        "\n"
        "Loads a web site from disk the way tracking it does and reports every broken link\n"
        "(PAGE:LINE: broken link \"URL\"), every untracked and ignored link, every orphan file,\n"
        "every HTML syntax error, and an overview of the site.\n"
        "\n"
        "Options:\n"
        "  --home FILE         the home page (default: the first of index.html, index.htm,\n"
        "                      default.htm, home.htm that exists in DIR)\n"
        "  --server TEXT       the address the site is published under, e.g. example.com/~me;\n"
        "                      absolute URLs to it count as links into the site\n"
        "  --defaults LIST     default document names of the server, separated by ';'\n"
        "                      (default: index.html;index.htm;index.cfm;index.asp;index.php3;\n"
        "                      index.shtml;default.htm;default.asp;welcome.html;welcome.htm;\n"
        "                      home.html;home.htm)\n"
        "  --exclude FOLDER    leave a folder out of tracking (repeatable); the site is then\n"
        "                      checked in sections and no orphans are reported\n"
        "  --total-orphans     an orphan is a file no file links to (default: a file the home\n"
        "                      page does not reach)\n"
        "  --no-syntax         do not report HTML syntax errors\n"
        "  --no-fragments      do not check that \"page.html#part\" and \"#part\" name an id\n"
        "                      (or <a name>) of their page (checked by default)\n"
        "  --strict-case       count links that resolve only when case is ignored as broken\n"
        "                      (they are always listed as \"case mismatch\")\n"
        "  --format text|json  the output format (default: text)\n"
        "  --jobs N            read pages on N cores (default 0: every core); the report is\n"
        "                      the same whatever N\n"
        "  --site NAME         check a site defined in Tidewright's settings instead of DIR\n"
        "\n"
        "Exit status: 0 no broken links, 1 broken links found, 2 bad usage or a site that\n"
        "cannot be loaded, 130 cancelled (Ctrl+C).");
}

int RunCheck(int argc, char** argv) {
    CheckOptions options;
    int exit = kExitClean;
    if (!ParseOptions(argc, argv, options, exit)) return exit;

    CheckResult result;
    ScopedLog log(std::make_unique<CheckLog>(result.syntaxErrors, result.fileErrors));
    ScopedUiServices services(std::make_unique<EConsoleServices>());

    std::string problem;
    std::unique_ptr<EAppSite> site = MakeSite(options.where, problem);
    if (!site) return Fail(problem);
    if (!PathExists(site->GetHomePage()))
        return Fail("home page " + site->GetHomePage() + " does not exist");
    if (int fd = OpenRegularFile(site->GetHomePage()); fd < 0)
        return Fail("home page " + site->GetHomePage() +
                    " cannot be read: " + std::strerror(errno));
    else
        ::close(fd);
    if (!IsHtmlFile(site->GetHomePage()))
        return Fail("home page " + site->GetHomePage() + " is not an HTML file");
    // Compared as real paths: "site2/x.html" is not inside "site", and "site/../x.html" is not.
    if (!Absolute(site->GetHomePage())
             .starts_with(std::string(StripTrailingSep(Absolute(site->GetDirectory()))) + kPathSep))
        return Fail("home page " + site->GetHomePage() + " lies outside " + site->GetDirectory());

    LoadOptions load;
    load.reportSyntaxErrors = options.syntax;
    load.jobs = options.jobs;
    load.showLoadErrors = false;
    load.onProblem = [&](EHtmlNode& page, const EUrl& url, LinkProblem kind) {
        auto& list = kind == LinkProblem::Broken         ? result.broken
                     : kind == LinkProblem::Untracked    ? result.untracked
                     : kind == LinkProblem::CaseMismatch ? result.caseMismatches
                                                         : result.ignored;
        list.push_back(Finding(page, url));
    };
    if (options.fragments) {
        load.onBrokenFragment = [&](EHtmlNode& page, const FragmentRef& ref) {
            FragmentFinding f = DescribeFragment(page, ref);
            result.brokenFragments.push_back(
                {page.GetPath(), f.line, ref.start, std::move(f.url), std::move(f.fragment)});
        };
    }
    // The folder's size comes from a walk of its own over the disk: it runs beside the load,
    // on a core the load leaves idle while it makes the site's tree.
    std::future<std::uint64_t> folderBytes = std::async(
        std::launch::async, [folder = site->GetDirectory()] { return SiteFolderBytes(folder); });
    if (!LoadSite(*site, load) || EConsoleServices::CancelRequested()) {
        if (site->GetLoadState() == LoadState::OutOfMemory)
            return Fail("out of memory while loading the site; nothing was checked");
        return Cancelled();
    }

    if (site->IsWholeSite() && site->Root()) {
        EGatherOrphans gather(*site, options.totalOrphans);
        TTraverse<TIterPreOrderTyped>(site->Root(), gather).Run("", 50);
        // Files only: a folder of orphans is implied by its files.
        for (ENode* node : gather.found)
            if (!node->IsFolder()) result.orphans.push_back(node->GetPath());
    }
    result.name = site->GetName();
    result.directory = site->GetDirectory();
    result.homePage = site->GetHomePage();
    result.server = site->GetServer();
    result.wholeSite = site->IsWholeSite();
    result.summary = CountSite(*site, folderBytes.get());
    result.summary.orphans = static_cast<int>(result.orphans.size());
    if (options.strictCase) {
        // A server that tells case apart will not find these: they are broken there.
        result.broken.insert(result.broken.end(), result.caseMismatches.begin(),
                             result.caseMismatches.end());
        result.summary.brokenLinks += static_cast<int>(result.caseMismatches.size());
    }
    result.Sort();
    if (options.json)
        WriteJson(result, stdout);
    else
        WriteText(result, stdout);
    // A report that did not reach its reader (a full disk, a closed pipe) is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(std::string("the report could not be written: ") + std::strerror(errno));
    if (EConsoleServices::CancelRequested()) return Cancelled();
    // Files that could not be read leave the report incomplete: never a clean result.
    return result.broken.empty() && result.fileErrors.empty() ? kExitClean : kExitBroken;
}

}  // namespace tw::cli
