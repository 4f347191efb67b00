#include "engine/maintenance/Orphans.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_set>

#include "core/platform/WholeFile.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/commands/SiteCommands.h"
#include "engine/html/UrlText.h"
#include "engine/model/Iterators.h"
#include "engine/model/Site.h"
#include "engine/model/Traverse.h"

namespace tw {

EGatherOrphans::EGatherOrphans(const EAppSite& site)
    : EGatherOrphans(site, SettingsStore::Instance().ReadBool("0TotalOrphans")) {}

EGatherOrphans::EGatherOrphans(const EAppSite& site, bool totalOrphans)
    : site_(site), totalOrphans_(totalOrphans) {}

bool EGatherOrphans::Note(ENode* node) {
    // The orphan rule holds only inside a fully tracked site, and never for its root, whose
    // folder lies outside it.
    if (site_.IsWholeSite() && node != site_.Root() && site_.IsOrphan(node, totalOrphans_))
        found.insert(node);
    return true;
}

bool EGatherOrphans::VisitFile(EFileNode* node) {
    return Note(node);
}
bool EGatherOrphans::VisitHtml(EHtmlNode* node) {
    return Note(node);
}
bool EGatherOrphans::VisitDir(EDirNode* node) {
    return Note(node);
}

namespace {

// Whether a byte may belong to a file name as pages write it: URLs and script strings split
// names at slashes, quotes, brackets, spaces, "?", "#" and the like.
bool NameByte(unsigned char c) {
    return std::isalnum(c) || c >= 0x80 || std::strchr("._-~+%!$@,", c) != nullptr;
}

// The pages whose text names one of `names` (lower case), by the names they hold.
std::set<std::string> NamesMentioned(const std::vector<ENode*>& pages,
                                     const std::unordered_set<std::string>& names) {
    std::set<std::string> mentioned;
    std::string content, token;
    for (ENode* page : pages) {
        content.clear();
        if (!ReadWholeFile(page->GetPath(), content)) continue;
        for (std::size_t i = 0; i < content.size();) {
            while (i < content.size() && !NameByte(static_cast<unsigned char>(content[i]))) ++i;
            std::size_t start = i;
            while (i < content.size() && NameByte(static_cast<unsigned char>(content[i]))) ++i;
            if (i == start) continue;
            token.assign(content, start, i - start);
            for (char& c : token)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (names.count(token)) mentioned.insert(token);
        }
    }
    return mentioned;
}

std::vector<ENode*> NodesFrom(ENode* top) {
    std::vector<ENode*> nodes;
    TIterPreOrderTyped it(top);
    for (it.First(); !it.IsDone(); it.Next()) nodes.push_back(it.CurrentItem());
    return nodes;
}

bool Below(const std::string& path, const std::set<std::string>& folders) {
    for (std::string_view at = PathDirectory(path); !at.empty(); at = PathDirectory(at)) {
        if (folders.count(std::string(at))) return true;
        if (at.find(kPathSep) == std::string_view::npos) break;
    }
    return false;
}

}  // namespace

OrphanReview ReviewOrphans(EAppSite& site) {
    OrphanReview review;
    if (!site.IsWholeSite() || !site.Root()) return review;
    EGatherOrphans gather(site);
    TTraverse<TIterPreOrderTyped>(site.Root(), gather).Run("", 50);
    std::set<std::string> ignore;
    for (const std::string& path : SettingsStore::Instance().LoadStringList("IgnoreOrphanFile"))
        ignore.insert(path);

    std::vector<ENode*> candidates;
    std::set<ENode*> leaving;
    std::set<std::string> orphanFolders;  // the ones that go
    for (ENode* node : gather.found)
        if (node->IsFolder() && !ignore.count(node->GetPath()))
            orphanFolders.insert(node->GetPath());
    for (ENode* node : gather.found) {
        // An orphan folder goes whole: what lies below it is not listed again.
        if (Below(node->GetPath(), orphanFolders)) continue;
        if (ignore.count(node->GetPath())) {
            review.ignored.push_back(node->GetPath());
            continue;
        }
        candidates.push_back(node);
        leaving.insert(node);
    }
    auto leaves = [&](ENode* node) {
        return leaving.count(node) || Below(node->GetPath(), orphanFolders);
    };
    // The pages that stay, and the names of the files that would go.
    std::vector<ENode*> staying;
    std::unordered_set<std::string> names;
    for (ENode* node : NodesFrom(site.Root())) {
        auto* page = dynamic_cast<EHtmlNode*>(node);
        if (page && page->IsLinkSource() && !leaves(node)) staying.push_back(node);
        if (!node->IsFolder() && leaves(node)) {
            names.insert(AsciiLower(node->GetName()));
            names.insert(AsciiLower(EncodeUrl(node->GetName(), true)));
        }
    }
    const std::set<std::string> mentioned = NamesMentioned(staying, names);
    auto referenced = [&](ENode* file) {
        for (ENode* page : site.backLinks.PagesOf(file))
            if (!leaves(page)) return true;
        return mentioned.count(AsciiLower(file->GetName())) ||
               mentioned.count(AsciiLower(EncodeUrl(file->GetName(), true)));
    };
    for (ENode* node : candidates) {
        bool kept = false;
        if (node->IsFolder()) {
            for (ENode* below : NodesFrom(node))
                if (!below->IsFolder() && referenced(below)) kept = true;
        } else {
            kept = referenced(node);
        }
        (kept ? review.referenced : review.remove).push_back(node->GetPath());
    }
    for (auto* list : {&review.remove, &review.ignored, &review.referenced})
        std::sort(list->begin(), list->end());
    return review;
}

std::unique_ptr<ECommand> OrphanRemoval(const EAppSite& site,
                                        const std::vector<std::string>& ticked,
                                        const std::vector<std::string>& unticked, bool toTrash,
                                        const std::string& folder) {
    SettingsStore& settings = SettingsStore::Instance();
    settings.SaveStringList("IgnoreOrphanFile", unticked);
    settings.WriteBool("SendOrphansToRecycleBin", toTrash);
    settings.WriteString(SettingsStore::kSection, "SendOrphansToDirectory", folder);
    if (ticked.empty()) return nullptr;
    if (toTrash) return std::make_unique<ETrashOrphansCommand>(ticked, site.GetDirectory());
    return std::make_unique<EMoveOrphansCommand>(
        ticked, std::string(StripTrailingSep(site.GetDirectory())), folder);
}

}  // namespace tw
