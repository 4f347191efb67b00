#pragma once
// Loading ("tracking") a site: the node tree of its directory, the path index, the link web of
// every page and the orphans, as a fixed sequence of cancellable passes.

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "engine/html/LinkWeb.h"
#include "engine/model/PointerSet.h"
#include "engine/model/Site.h"
#include "engine/model/Visitor.h"

namespace tw {

class GUIProgress;
class ESection;

struct LoadOptions {
    LinkProblemSink onProblem;               // told of every link that does not lead to a file
    std::optional<bool> reportSyntaxErrors;  // overrides the setting "1ReportSyntaxErrors"
    bool showLoadErrors = true;              // offer "File and Syntax Errors" afterwards
    // Every page keeps its URLs after the load (for passes that read them all next, such as
    // the statistics report's): memory for speed.
    bool keepUrls = false;
    // Cores that read pages: 0 all of them, 1 this thread alone.
    int jobs = 0;
    // When given, every "#part" is checked against the ids of its page, and each one that
    // names no place is passed here.
    std::function<void(EHtmlNode& page, const FragmentRef& ref)> onBrokenFragment;
};

// True when the site is tracked afterwards; false when a pass was cancelled or memory ran out
// (the site is then cleared and untracked; its GetLoadState says which).
bool LoadSite(EAppSite& site, const LoadOptions& options = {});
// The site's tree and its ignore list alone, without its web: enough to resolve and judge the
// URLs of a few pages (their targets, broken, untracked, ignored) without reading the rest.
bool LoadSiteTree(EAppSite& site);

// Gives each folder it visits its children. Hidden and system files get no node and are
// listed in the log instead.
class ECreateNodes : public EVisitor {
  public:
    ECreateNodes(ENodeCreator& creator, ESite* site, GUIProgress* progress);
    ~ECreateNodes() override;
    bool VisitDir(EDirNode* folder) override;

  private:
    // Whether the folder is the same folder as one of its ancestors (a link loop).
    bool InsideItself(EDirNode* folder, const struct ::stat& st);
    void LogSkipped(const ENode& node, const std::string& attributeText);

    ENodeCreator& creator_;
    ESite* site_;
    GUIProgress* progress_;
    std::map<EDirNode*, std::pair<std::uint64_t, std::uint64_t>> folderIds_;
};

class ECountFiles : public EVisitor {
  public:
    bool VisitFile(EFileNode*) override { return Count(false); }
    bool VisitHtml(EHtmlNode*) override { return Count(false); }
    bool VisitDir(EDirNode*) override { return Count(true); }
    int nodes = 0;
    int folders = 0;

  private:
    bool Count(bool folder) {
        ++nodes;
        ++count;
        if (folder) ++folders;
        return true;
    }
};

// Puts every file the walk from the home page did not reach into the site's orphans.
class ESetupOrphans : public EVisitor {
  public:
    ESetupOrphans(std::set<ENode*>& unreached, const TPointerSet<ENode>& reached)
        : unreached_(unreached), reached_(reached) {}
    bool VisitFile(EFileNode* node) override { return Note(node); }
    bool VisitHtml(EHtmlNode* node) override { return Note(node); }

  private:
    bool Note(ENode* node) {
        if (!reached_.count(node)) unreached_.insert(node);
        return true;
    }
    std::set<ENode*>& unreached_;
    const TPointerSet<ENode>& reached_;
};

// The site's links file: NAME_links.txt in the Config folder.
std::string LinksFilePath(const ESite& site);
// Walks a links file: each line (lines of more than 1039 characters in pieces), trimmed, and
// whether it stands between the "=" lines of a group header.
void ReadLinksFile(const std::string& path,
                   const std::function<void(bool header, const std::string& text)>& line);
// "/a/b.htm (3 instances)": the link and its count (a line without "(" is a link alone).
struct LinksFileEntry {
    std::string link;
    int count = 0;
};
LinksFileEntry ParseLinksFileEntry(const std::string& text);
void LoadIgnoreList(EAppSite& site);
void PruneIgnoreList(EAppSite& site);

}  // namespace tw
