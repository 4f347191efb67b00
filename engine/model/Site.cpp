#include "engine/model/Site.h"

#include <algorithm>

#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/settings/Profile.h"
#include "core/strings/PathText.h"
#include "engine/html/UrlText.h"
#include "engine/model/Iterators.h"

namespace tw {
namespace {

int& IdCounter() {
    static int next = 1;
    return next;
}

std::string WithTrailingSep(std::string path) {
    if (!path.empty() && path.back() != kPathSep) path += kPathSep;
    return path;
}

// Every node below `folder`, in pre-order, the folder itself left out.
std::vector<ENode*> Subtree(ENode* folder) {
    std::vector<ENode*> nodes;
    TIterPreOrderTyped it(folder);
    for (it.First(); !it.IsDone(); it.Next())
        if (it.CurrentItem() != folder) nodes.push_back(it.CurrentItem());
    return nodes;
}

}  // namespace

void ESite::SetNextId(int id) {
    IdCounter() = id;
}

ESite::ESite() : id_(IdCounter()++) {}

ESite::ESite(std::string name, std::string directory, std::string homePage, std::string server,
             std::string serverDefaults)
    : name_(std::move(name)),
      directory_(WithTrailingSep(std::move(directory))),
      homePage_(std::move(homePage)),
      server_(NormalizeServer(server)),
      serverDefaults_(std::move(serverDefaults)),
      id_(IdCounter()++) {}

ESite::~ESite() = default;

void ESite::SetName(std::string name) {
    name_ = std::move(name);
    Save();
}

void ESite::SetDirectory(std::string directory) {
    directory = WithTrailingSep(std::move(directory));
    if (directory == directory_) return;
    directory_ = std::move(directory);
    Save();
}

void ESite::SetHomePage(std::string homePage) {
    homePage_ = std::move(homePage);
    Save();
}

void ESite::SetServer(std::string_view server) {
    server_ = NormalizeServer(server);
    Save();
}

void ESite::SetServerDefaults(std::string defaults) {
    serverDefaults_ = std::move(defaults);
    Save();
}

void ESite::SetExcludedFolders(std::vector<std::string> folders) {
    for (std::string& f : folders) f = WithTrailingSep(std::move(f));
    excludedFolders_ = std::move(folders);
}

void ESite::IndexNode(ENode* node) {
    pathIndex_.Insert(node);
}

void ESite::RegisterNode(ENode* node) {
    IndexNode(node);
    ++nodeCount_;
}

void ESite::UnregisterNode(ENode* node) {
    pathIndex_.Erase(node, node->GetPath());
}

void ESite::ClearIndex() {
    pathIndex_.Clear();
}

bool ESite::FindNode(std::string_view path, ENode** found) const {
    ENode* node = pathIndex_.Find(path);
    if (found) *found = node;
    return node != nullptr;
}

ENode* ESite::FindNode(std::string_view path) const {
    ENode* node = nullptr;
    FindNode(path, &node);
    return node;
}

bool ESite::Contains(std::string_view path) const {
    std::string_view bare = StripTrailingSep(path);
    std::string_view dir = StripTrailingSep(directory_);
    if (bare.size() < dir.size() || bare.substr(0, dir.size()) != dir) return false;
    return bare.size() == dir.size() || bare[dir.size()] == kPathSep || dir == "/";
}

bool ESite::IsPathTracked(std::string_view path) const {
    std::string folder(StripTrailingSep(path));
    if (!IsFolder(folder)) folder = std::string(PathDirectory(folder));
    if (folder.empty() || !IsFolder(folder)) return false;
    std::string withSep = WithTrailingSep(folder);
    return std::find(excludedFolders_.begin(), excludedFolders_.end(), withSep) ==
           excludedFolders_.end();
}

ENode* ESite::AddPath(std::string_view path) {
    std::string bare(StripTrailingSep(path));
    if (!PathExists(bare)) return nullptr;
    ENode* node = FindExactNode(bare);
    if (!node) {
        std::string parentPath(PathDirectory(bare));
        ENode* parent = nullptr;
        if (Contains(parentPath)) {
            // Only the folder of exactly this name will do: "Sub/f.htm" does not belong
            // under "sub", nor under a file "data" when the folder is "Data".
            parent = FindExactNode(parentPath);
            if (!parent) parent = AddPath(parentPath);
            if (parent && !parent->IsFolder()) return nullptr;
        }
        const bool isLink = bare != StripTrailingSep(directory_) && IsSymbolicLink(bare);
        auto created = ENodeCreator().Create(bare, isLink);
        node = created.get();
        if (parent) {
            parent->AddChild(std::move(created));
        } else if (!root_ && created->IsFolder()) {
            root_.reset(static_cast<EDirNode*>(created.release()));
        } else {
            return nullptr;  // nowhere to hang it
        }
        RegisterNode(node);
        if (node->IsFolder()) ++folderCount_;
    }
    if (node->IsFolder())
        for (ENode* child : Subtree(node)) AddPath(child->GetPath());
    return node;
}

void ESite::RemovePath(std::string_view path) {
    std::string bare(StripTrailingSep(path));
    if (PathExists(bare)) return;
    ENode* node = FindExactNode(bare);
    if (!node) return;
    --nodeCount_;
    if (node->IsFolder()) {
        --folderCount_;
        // Removal changes the tree, so the walk starts over after each child.
        for (;;) {
            std::vector<ENode*> below = Subtree(node);
            if (below.empty()) break;
            ENode* last = below.back();
            std::size_t before = below.size();
            RemovePath(last->GetPath());
            if (Subtree(node).size() == before) {
                // The child still exists on disk (a stale node): unlink it anyway.
                UnregisterNode(last);
                if (last->GetParent()) last->GetParent()->RemoveChild(last);
            }
        }
    }
    UnregisterNode(node);
    if (node == root_.get()) {
        root_.reset();
    } else if (EDirNode* parent = node->GetParent()) {
        parent->RemoveChild(node);  // the returned owner destroys it here
    }
}

void ESite::UpdateRenamedPath(std::string_view oldPath) {
    std::string old(StripTrailingSep(oldPath));
    ENode* node = FindExactNode(old);
    if (!node) return;
    // Under its old path: the node may carry its new name already.
    pathIndex_.Erase(node, old);
    node->RecomputePath();
    const bool isSiteDirectory = WithTrailingSep(old) == directory_;
    if (isSiteDirectory) {
        std::string homeName(PathName(homePage_));
        directory_ = WithTrailingSep(node->GetPath());
        homePage_ = directory_ + homeName;
    } else if (old == homePage_) {
        homePage_ = node->GetPath();
    }
    IndexNode(node);
    if (node->IsFolder()) {
        // Children still carry their old paths; each recomputes from its updated parent.
        for (ENode* child : Subtree(node)) UpdateRenamedPath(child->GetPath());
    }
}

bool ESite::MoveNode(ENode* node, std::string_view newPath) {
    std::string target(StripTrailingSep(newPath));
    EDirNode* oldParent = node->GetParent();
    auto* newParent = dynamic_cast<EDirNode*>(FindExactNode(PathDirectory(target)));
    if (!oldParent || !newParent) return false;
    std::vector<ENode*> moved = Subtree(node);
    moved.insert(moved.begin(), node);
    const std::string oldPath = node->GetPath();
    for (ENode* n : moved) pathIndex_.Erase(n, n->GetPath());
    std::unique_ptr<ENode> owned = oldParent->RemoveChild(node);
    node->MoveTo(target);
    newParent->AddChild(std::move(owned));
    for (ENode* n : moved) {
        if (n != node) n->RecomputePath();
        IndexNode(n);
    }
    // The home page may have moved with it.
    if (homePage_ == oldPath || homePage_.starts_with(oldPath + kPathSep))
        homePage_ = node->GetPath() + homePage_.substr(oldPath.size());
    return true;
}

void ESite::Clear() {
    root_.reset();
    pathIndex_.Clear();
    nodeCount_ = 0;
    folderCount_ = 0;
}

std::string ESite::GetSectionName() const {
    return "Site" + std::to_string(id_);
}

bool ESite::Load() {
    const std::string file = ProfileFilePath();
    const std::string section = GetSectionName();
    name_ = profile::ReadString(file, section, "Name", "");
    directory_ = WithTrailingSep(profile::ReadString(file, section, "Directory", ""));
    homePage_ = profile::ReadString(file, section, "HomePage", "");
    server_ = profile::ReadString(file, section, "Server", "");
    serverDefaults_ = profile::ReadString(file, section, "ServerDefaults", "");
    excludedFolders_.clear();
    for (int n = 0;; ++n) {
        std::string folder = profile::ReadString(file, section, std::to_string(n), "");
        if (folder.empty()) break;
        excludedFolders_.push_back(WithTrailingSep(std::move(folder)));
    }
    return !name_.empty() && IsFolder(directory_) && PathExists(homePage_);
}

void ESite::Save() const {
    const std::string file = ProfileFilePath();
    const std::string section = GetSectionName();
    const std::pair<const char*, const std::string*> values[] = {
        {"Name", &name_},     {"Directory", &directory_},           {"HomePage", &homePage_},
        {"Server", &server_}, {"ServerDefaults", &serverDefaults_},
    };
    for (const auto& [key, value] : values) {
        if (name_.empty())
            profile::WriteString(file, section, key, std::nullopt);
        else
            profile::WriteString(file, section, key, *value);
    }
    int n = 0;
    for (const std::string& folder : excludedFolders_)
        profile::WriteString(file, section, std::to_string(n++), folder);
    for (;; ++n) {
        std::string key = std::to_string(n);
        if (profile::ReadString(file, section, key, "").empty()) break;
        profile::WriteString(file, section, key, std::nullopt);
    }
}

void ESite::SaveAs(int id) {
    id_ = id;
    Save();
}

}  // namespace tw
