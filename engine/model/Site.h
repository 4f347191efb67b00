#pragma once
// A site: a name, a directory, a home page, the server it is published under and the default
// document names of that server. ESite holds the definition, the loaded tree and the path
// index; EAppSite adds the link web and the tracking state.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/strings/CaseFold.h"
#include "engine/model/BackLinks.h"
#include "engine/model/Node.h"
#include "engine/model/PathIndex.h"

namespace tw {

class EFindUrlsCreateFromMap;

class ESite {
  public:
    // A new site takes the next number of the program-wide counter.
    ESite();
    ESite(std::string name, std::string directory, std::string homePage, std::string server,
          std::string serverDefaults);
    virtual ~ESite();
    ESite(const ESite&) = delete;
    ESite& operator=(const ESite&) = delete;

    virtual void SetName(std::string name);
    virtual void SetDirectory(std::string directory);
    virtual void SetHomePage(std::string homePage);
    virtual void SetServer(std::string_view server);
    virtual void SetServerDefaults(std::string defaults);
    virtual void SetExcludedFolders(std::vector<std::string> folders);
    virtual bool IsIgnoredLink(std::string_view /*siteRelativePath*/) const { return false; }
    virtual bool HasIgnoredLinks() const { return false; }
    virtual void RegisterNode(ENode* node);
    // After a command created a file or folder: its node, entered in tree and index.
    virtual ENode* AddPath(std::string_view path);
    // After a file or folder disappeared: its node (and subtree) leaves tree and index.
    virtual void RemovePath(std::string_view path);
    // After a file or folder got a new name or place: its node and subtree follow.
    virtual void UpdateRenamedPath(std::string_view oldPath);
    // After a command moved the item of `node` on disk to `newPath` (below a folder of the
    // site): the node, keeping its identity, moves there in the tree and the index with its
    // subtree. False when the new folder has no node.
    bool MoveNode(ENode* node, std::string_view newPath);
    virtual void Clear();

    // Looks a path up in the index without regard to case (an exact match wins).
    bool FindNode(std::string_view path, ENode** found) const;
    ENode* FindNode(std::string_view path) const;
    // The node indexed under exactly this path, for whatever acts on the file itself: removing,
    // renaming or adding it must never reach a name that differs in case alone.
    ENode* FindExactNode(std::string_view path) const { return pathIndex_.FindExact(path); }
    // Also tells whether the node is a folder and whether it is spelled as `path`, without
    // reading the node.
    ENode* FindNode(std::string_view path, bool* isFolder, bool* sameSpelling = nullptr) const {
        return pathIndex_.Find(path, isFolder, sameSpelling);
    }
    bool IsPathTracked(std::string_view path) const;
    bool IsWholeSite() const { return excludedFolders_.empty(); }
    // Whether the path lies in the site directory (the directory itself included).
    bool Contains(std::string_view path) const;

    bool Load();
    // Load from the section of another number: true when the definition is usable (named,
    // with its folder and home page present); a section that does not exist leaves no name.
    bool LoadAs(int id) {
        id_ = id;
        return Load();
    }
    void Save() const;
    void SaveAs(int id);
    std::string GetSectionName() const;

    const std::string& GetName() const { return name_; }
    const std::string& GetDirectory() const { return directory_; }
    const std::string& GetHomePage() const { return homePage_; }
    const std::string& GetServer() const { return server_; }
    const std::string& GetServerDefaults() const { return serverDefaults_; }
    const std::vector<std::string>& GetExcludedFolders() const { return excludedFolders_; }
    int GetId() const { return id_; }
    int NodeCount() const { return nodeCount_; }
    int FolderCount() const { return folderCount_; }
    void SetCounts(int nodes, int folders) {
        nodeCount_ = nodes;
        folderCount_ = folders;
    }
    EDirNode* Root() const { return root_.get(); }
    void SetRoot(std::unique_ptr<EDirNode> root) { root_ = std::move(root); }
    // Empties the path index (a new tree is about to be registered).
    void ClearIndex();
    void UnregisterNode(ENode* node);
    // Enters a node in the path index without counting it.
    void IndexNode(ENode* node);

    // The number the next new site takes (the site list is read anew from 1).
    static void SetNextId(int id);

  protected:
    int nodeCount_ = 0;
    int folderCount_ = 0;
    std::string name_;
    std::string directory_;
    std::string homePage_;
    std::string server_;
    std::string serverDefaults_;
    std::vector<std::string> excludedFolders_;
    std::unique_ptr<EDirNode> root_;
    EPathIndex pathIndex_;
    int id_ = 0;
};

// Orders URL paths without regard to case, as two URLs name the same link when their site
// paths are equal ignoring case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareNoCase(a, b) < 0;
    }
};

struct ELinkEntry {
    ENode* page = nullptr;
    int count = 0;
};
using ELinkMap = std::multimap<std::string, ELinkEntry, NoCaseLess>;

// How the last load of a site ended.
enum class LoadState { NotLoaded, Loaded, Cancelled, OutOfMemory };

class EAppSite : public ESite {
  public:
    using ESite::ESite;
    ~EAppSite() override;

    bool IsIgnoredLink(std::string_view siteRelativePath) const override;
    bool HasIgnoredLinks() const override;
    // While pages are read on other cores, which links are ignored is answered from a copy
    // (the walk adds entries to the map meanwhile; the links it ignores stay the same).
    void FreezeIgnoredLinks(bool frozen);
    ENode* AddPath(std::string_view path) override;
    void RemovePath(std::string_view path) override;
    void Clear() override;

    // ---- link web ----
    // Parses the page and records its links; false when it could not be read.
    bool RecordPageLinks(EHtmlNode* page, EFindUrlsCreateFromMap& visitor);
    // Broken links that name the node's path lead to it now (it appeared or moved there);
    // returns the pages whose links were so resolved.
    std::vector<ENode*> ResolveWaitingLinks(ENode* node);
    // Reads the page again and records its links afresh, dropping what it recorded before.
    void RefreshPageLinks(EHtmlNode* page);
    // The URLs of the page that resolve to `target`.
    int CountUrlsToNode(EHtmlNode* page, ENode* target);
    void FixPageLink(EHtmlNode* page, std::string_view oldUrlPath, std::string_view newUrlPath);
    void IgnoreBrokenLink(std::string_view siteRelativePath);
    void UnignoreBrokenLink(std::string_view siteRelativePath);
    void ReevaluateReachability(ENode* node);
    void ReevaluateReachability(std::string_view path);
    // With `totalOrphans` (the setting "0TotalOrphans"): nothing links to it; without: the
    // walk from the home page did not reach it. Folders are orphans when every child is.
    bool IsOrphan(ENode* node, bool totalOrphans) const;
    bool IsOrphan(ENode* node) const;

    // The site-relative URL path of a node ("/sub/a.htm").
    std::string SiteRelativePath(const ENode* node) const;
    // Sum of the broken counts of all pages.
    int TotalBrokenCount() const;

    // While on, pages collect their ids and fragment references as they are parsed.
    bool CollectsFragments() const { return collectFragments_; }
    void SetCollectFragments(bool on) { collectFragments_ = on; }

    bool SetTracking(bool on);
    LoadState GetLoadState() const { return loadState_; }
    void SetLoadState(LoadState state) { loadState_ = state; }
    bool IsTracking() const { return tracking_; }
    void MarkTracking(bool on) { tracking_ = on; }

    // Link-web containers.
    EBackLinks backLinks;
    std::unordered_map<ENode*, int> brokenCountByPage;
    ELinkMap brokenLinks;
    ELinkMap untrackedLinks;
    ELinkMap ignoredLinks;
    std::set<ENode*> orphans;
    // The pages the load could not read: their links are unknown, so a command that rewrites
    // links tells the user they were not looked at.
    std::vector<std::string> unreadablePages;

    // Checks the web against the pages on disk: back-links, broken counts, the broken,
    // untracked and ignored maps, the path index and the orphan set. For tests after every
    // change; `why` names the first disagreement.
    bool IsConsistent(std::string* why = nullptr);

  private:
    static void Bump(ELinkMap& map, const std::string& path, ENode* page, int by);
    void ForgetNode(ENode* node);
    bool tracking_ = false;
    bool collectFragments_ = false;
    std::optional<std::set<std::string, NoCaseLess>> frozenIgnored_;
    LoadState loadState_ = LoadState::NotLoaded;
};

}  // namespace tw
