#include "engine/model/SiteRegistry.h"

#include <algorithm>
#include <utility>

#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/html/TagReader.h"
#include "engine/model/Changes.h"
#include "engine/model/SiteLoader.h"
#include "engine/services/UiServices.h"

namespace tw {

namespace {

constexpr int kSyntaxErrorsIn = 514, kUnreadable = 515;

}  // namespace

ESiteRegistry& ESiteRegistry::Instance() {
    static ESiteRegistry registry;
    return registry;
}

void ESiteRegistry::LoadAllSites() {
    sites_.clear();
    changedSites_.clear();
    ESite::SetNextId(1);
    for (;;) {
        auto site = std::make_unique<EAppSite>();
        if (!site->Load() || site->GetName().empty()) break;
        sites_.push_back(std::move(site));
    }
    ESite::SetNextId(static_cast<int>(sites_.size()) + 1);
}

void ESiteRegistry::SaveAllSites() {
    int id = 1;
    for (auto& site : sites_) site->SaveAs(id++);
    // The section a removed site left behind: an empty record deletes its values.
    EAppSite empty;
    empty.SaveAs(id);
}

void ESiteRegistry::AddSite(std::unique_ptr<EAppSite> site) {
    if (!site) return;
    sites_.push_back(std::move(site));
    SaveAllSites();
}

EAppSite* ESiteRegistry::AdoptSite(std::unique_ptr<EAppSite> site) {
    if (!site) return nullptr;
    sites_.push_back(std::move(site));
    return sites_.back().get();
}

void ESiteRegistry::RemoveSite(EAppSite* site) {
    auto it =
        std::find_if(sites_.begin(), sites_.end(), [&](const auto& s) { return s.get() == site; });
    if (it == sites_.end()) return;
    std::string directory = site->GetDirectory();
    changedSites_.erase(site);
    sites_.erase(it);
    SaveAllSites();
    EChanges::Instance().FolderChanged(directory);
}

void ESiteRegistry::ReloadAllSites() {
    if (sites_.empty()) return;
    SettingsStore& settings = SettingsStore::Instance();
    if (settings.ReadBool("1WarnBeginTracking")) {
        bool dontAsk = false;
        Answer answer = EUiServices::Instance().WarnBeginTracking(&dontAsk);
        settings.WriteBool("1WarnBeginTracking", !dontAsk);
        if (answer != Answer::Ok) return;
    }
    for (auto& site : sites_)
        if (!LoadSite(*site)) break;
}

EAppSite* ESiteRegistry::FindTrackedSite(std::string_view path) const {
    for (const auto& site : sites_)
        if (site->IsTracking() && site->Contains(path)) return site.get();
    return nullptr;
}

bool ESiteRegistry::IsTrackedPath(std::string_view path) const {
    EAppSite* site = FindTrackedSite(path);
    return site && site->IsPathTracked(path);
}

bool ESiteRegistry::IsOrphanPath(std::string_view path) const {
    std::string_view folder = PathDirectory(StripTrailingSep(path));
    EAppSite* site = FindTrackedSite(folder);
    if (!site || !site->IsWholeSite()) return false;
    ENode* node = site->FindExactNode(path);
    return node && site->IsOrphan(node);
}

int ESiteRegistry::GetBrokenLinkCount(std::string_view path) const {
    EAppSite* site = FindTrackedSite(path);
    if (!site) return -1;
    ENode* node = site->FindExactNode(path);
    if (node && !node->IsFolder()) {
        auto it = site->brokenCountByPage.find(node);
        return it == site->brokenCountByPage.end() ? 0 : it->second;
    }
    std::string prefix = std::string(StripTrailingSep(path)) + kPathSep;
    int total = 0;
    for (const auto& [page, count] : site->brokenCountByPage)
        if (page->GetPath().size() > prefix.size() && page->GetPath().starts_with(prefix))
            total += count;
    return total;
}

void ESiteRegistry::CheckReload() {
    if (!changed_) return;
    changed_ = false;
    if (changedSites_.empty()) return;
    SettingsStore& settings = SettingsStore::Instance();
    Answer answer = Answer::Yes;
    if (settings.ReadBool("1WarnReloadSite")) {
        bool dontAsk = false;
        answer = EUiServices::Instance().ConfirmReloadSite(&dontAsk);
        settings.WriteBool("1WarnReloadSite", !dontAsk);
    }
    // In list order, so that a failure stops the reloads of the sites after it.
    bool failed = false;
    for (auto& site : sites_) {
        if (!changedSites_.count(site.get())) continue;
        if (failed) {
            site->SetTracking(false);
        } else if (answer == Answer::Yes) {
            if (!LoadSite(*site)) {
                site->SetTracking(false);
                failed = true;
            }
        } else if (answer == Answer::Cancel) {
            site->SetTracking(false);
        }
    }
    changedSites_.clear();
}

namespace {

// The page of a path: the node of the tracked site that holds it, or a temporary node.
struct PageOf {
    EHtmlNode* page = nullptr;
    std::unique_ptr<EHtmlNode> temporary;
    EAppSite* site = nullptr;

    PageOf(const ESiteRegistry& registry, std::string_view path) {
        site = registry.FindTrackedSite(path);
        ENode* node = site ? site->FindExactNode(path) : nullptr;
        if (node) {
            page = dynamic_cast<EHtmlNode*>(node);
        } else {
            temporary = std::make_unique<EHtmlNode>(path);
            page = temporary.get();
        }
        if (page && !page->IsHtml()) page = nullptr;
    }
    ~PageOf() {
        if (page && !temporary) {
            page->ClearTags();
            page->ClearUrls();
        }
    }
};

}  // namespace

void ESiteRegistry::LoadPageInfo(std::string_view path) {
    if (path.empty() || IsFolder(path)) return;
    {
        PageOf of(*this, path);
        if (!of.page) return;
        of.page->ClearTags();
        of.page->ClearUrls();
        ParseResult r = of.page->ParseUrls(nullptr);
        if (r == ParseResult::SyntaxErrors || r == ParseResult::Unreadable) {
            std::string name(PathName(path));
            int message = r == ParseResult::SyntaxErrors ? kSyntaxErrorsIn : kUnreadable;
            EUiServices::Instance().ShowStatusMessage(LoadMessage(message, {name}), true);
        }
        const auto& urls = of.page->Urls();
        pageUrlCount = static_cast<int>(urls.size());
        pageExternalCount = static_cast<int>(
            std::count_if(urls.begin(), urls.end(), [](const EUrl& u) { return u.IsExternal(); }));
        pageBrokenCount =
            of.site ? static_cast<int>(std::count_if(urls.begin(), urls.end(),
                                                     [](const EUrl& u) { return u.IsBroken(); }))
                    : -1;
        pageTitle = GetTitle(*of.page);
        lastRead_ = {std::string(path), urls, of.page->GetBaseDirectory(false), 0, {}};
    }
    // Taken once the page read for a page outside the sites has gone again.
    lastRead_.generation = ENode::Generation();
    lastRead_.stamp = StampOf(path);
}

std::string ESiteRegistry::GetPageUrls(std::string_view path, std::vector<EUrl>& urls,
                                       std::vector<std::uint32_t>& lines) {
    if (path.empty() || IsFolder(path)) return {};
    urls.clear();
    lines.clear();
    ReadPage last = std::exchange(lastRead_, {});
    if (last.path == path && last.generation == ENode::Generation() && last.stamp.exists &&
        StampOf(path).SameAs(last.stamp)) {
        urls = std::move(last.urls);
        for (const EUrl& url : urls) lines.push_back(url.line);
        return last.base;
    }
    PageOf of(*this, path);
    if (!of.page) return {};
    of.page->ParseUrls(nullptr);
    for (const EUrl& url : of.page->Urls()) {
        urls.push_back(url);
        lines.push_back(url.line);
    }
    return of.page->GetBaseDirectory(false);
}

}  // namespace tw
