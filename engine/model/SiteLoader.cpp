#include "engine/model/SiteLoader.h"

#include <cstdlib>
#include <functional>

#include <sys/stat.h>

#include <fstream>
#include <new>

#include "core/log/Log.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/html/Fragments.h"
#include "engine/html/ParseAhead.h"
#include "engine/html/UrlText.h"
#include "engine/model/Changes.h"
#include "engine/model/Traverse.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

// Runs the visitor over the nodes of a walk from `root` with a progress of the given kind.
template <typename Iterator>
int RunPass(ENode* root, EVisitor& visitor, ProgressKind kind, std::string_view title, int total) {
    auto progress = EUiServices::Instance().CreateProgress(kind);
    return TTraverse<Iterator>(root, visitor).Run(title, total, progress.get());
}

// The walk over the web from the home page, whose record of the nodes reached is the
// visitor's: one set asked per link, not two.
template <typename Iterator>
int WalkWeb(EHtmlNode* home, EFindUrlsCreateFromMap& visitor, std::string_view title, int total) {
    auto progress = EUiServices::Instance().CreateProgress(ProgressKind::Dialog);
    TTraverse<Iterator> traverse(home, visitor);
    traverse.GetIterator().RecordReachedIn(&visitor.visited);
    return traverse.Run(title, total, progress.get());
}

std::string TrimLine(std::string line) {
    auto tailBlank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    while (!line.empty() && tailBlank(line.back())) line.pop_back();
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    return line.substr(start);
}

void ShowLoadErrors(EFindUrlsCreateFromMap& visitor) {
    ELog& log = ELog::Instance();
    bool syntax = visitor.section && visitor.section->HasContent();
    if (!syntax && !log.HasErrors()) return;
    if (!SettingsStore::Instance().ReadBool("1WarnOnLoadSites")) return;
    std::string text;
    if (log.HasErrors()) {
        log.EndErrorLine();
        text += log.ErrorText();
    }
    if (syntax) text += visitor.section->Contents();
    bool dontShowAgain = false;
    EUiServices::Instance().ShowLoadErrors(text, &dontShowAgain);
    if (dontShowAgain) SettingsStore::Instance().WriteBool("1WarnOnLoadSites", false);
}

// The passes after the tree exists: links from the home page (or every page when only
// sections are tracked), orphans, the ignore list. False on a cancel.
bool LoadLinks(EAppSite& site, const LoadOptions& options) {
    if (!site.Root()) return true;
    LoadIgnoreList(site);
    const std::string title(LoadString(30004));
    EFindUrlsCreateFromMap visitor(&site, !site.IsWholeSite(), options.reportSyntaxErrors);
    visitor.onProblem = options.onProblem;
    visitor.keepUrls = options.keepUrls;
    std::optional<EFragmentCheck> fragments;
    if (options.onBrokenFragment) {
        fragments.emplace(options.onBrokenFragment);
        visitor.fragments = &*fragments;
    }
    // Pages collect their ids only while this pass needs them.
    struct Collecting {
        EAppSite& site;
        ~Collecting() { site.SetCollectFragments(false); }
    } collecting{site};
    site.SetCollectFragments(fragments.has_value());
    // Pages are read on the other cores ahead of the walk (its order, its output unchanged).
    struct Frozen {
        EAppSite& site;
        explicit Frozen(EAppSite& s) : site(s) { site.FreezeIgnoredLinks(true); }
        ~Frozen() { site.FreezeIgnoredLinks(false); }
    };
    std::optional<Frozen> frozen;
    std::optional<EParseAhead> ahead;
    if (const int workers = EParseAhead::WorkersFor(options.jobs); workers > 0) {
        frozen.emplace(site);
        ahead.emplace(workers, visitor.section != nullptr);
        visitor.ahead = &*ahead;
    }
    // The walk takes each page's children from the back-link queue: it stays readable until
    // the walk is over, whoever asks for back links meanwhile.
    EBackLinks::QueueHold holdQueue(site.backLinks);
    auto announce = [&](ENode* node) {
        if (auto* page = dynamic_cast<EHtmlNode*>(node); ahead && page && page->IsLinkSource())
            ahead->Announce(page);
    };
    if (site.IsWholeSite()) {
        auto* home = dynamic_cast<EHtmlNode*>(site.FindNode(site.GetHomePage()));
        announce(home);
        // The walk lets go of each page's URLs once it has followed them, unless they stay.
        const int walked =
            !home ? 0
            : options.keepUrls
                ? WalkWeb<TIterBreadthCyclic>(home, visitor, title, site.NodeCount())
                : WalkWeb<TIterBreadthCyclic2>(home, visitor, title, site.NodeCount());
        if (walked < 0) return false;
        ESetupOrphans setup(site.orphans, visitor.visited);
        RunPass<TIterPreOrderTyped>(site.Root(), setup, ProgressKind::Silent, title, 50);
        if (!site.orphans.empty()) {
            auto progress = EUiServices::Instance().CreateProgress(ProgressKind::Dialog);
            progress->Begin(LoadString(30023), static_cast<int>(site.orphans.size()), nullptr);
            bool cancel = false;
            for (ENode* orphan : site.orphans) announce(orphan);
            for (ENode* orphan : site.orphans) {
                progress->SetFolder(orphan->GetDirectory(), &cancel);
                if (cancel) break;
                progress->Step(orphan->GetPath(), 1);
                orphan->Accept(visitor);
                // An orphan's links are recorded; its parsed data need not stay.
                if (auto* page = dynamic_cast<EHtmlNode*>(orphan)) {
                    page->ClearTags();
                    if (!options.keepUrls) page->ClearUrls();
                }
            }
            progress->End();
            if (cancel) return false;
        }
    } else {
        if (ahead) {
            TIterPreOrderTyped all(site.Root());
            for (all.First(); !all.IsDone(); all.Next()) announce(all.CurrentItem());
        }
        if (RunPass<TIterPreOrderTyped>(site.Root(), visitor, ProgressKind::Dialog, title,
                                        site.NodeCount()) < 0)
            return false;
    }
    PruneIgnoreList(site);
    if (options.showLoadErrors) ShowLoadErrors(visitor);
    return true;
}

}  // namespace

// ---- ECreateNodes ----

ECreateNodes::ECreateNodes(ENodeCreator& creator, ESite* site, GUIProgress* progress)
    : creator_(creator), site_(site), progress_(progress) {
    if (site_) site_->ClearIndex();
}

ECreateNodes::~ECreateNodes() {
    if (section) ELog::Instance().CloseSection(section);
}

bool ECreateNodes::InsideItself(EDirNode* folder, const struct ::stat& st) {
    std::pair<std::uint64_t, std::uint64_t> id{st.st_dev, st.st_ino};
    folderIds_[folder] = id;
    for (EDirNode* up = folder->GetParent(); up; up = up->GetParent()) {
        auto it = folderIds_.find(up);
        if (it != folderIds_.end() && it->second == id) return true;
    }
    return false;
}

void ECreateNodes::LogSkipped(const ENode& node, const std::string& attributeText) {
    if (!section) section = ELog::Instance().OpenSection(ELog::kHiddenFilesSectionId);
    section->WriteResLine(28683, section->Escape(node.GetPath()), attributeText);
}

bool ECreateNodes::VisitDir(EDirNode* folder) {
    if (site_) site_->RegisterNode(folder);
    struct stat st;
    if (::stat(folder->GetPath().c_str(), &st) != 0 || InsideItself(folder, st)) return true;
    const bool excluded =
        site_ && !site_->IsWholeSite() && !site_->IsPathTracked(folder->GetPath() + kPathSep);
    DirectoryEnumerator entries(folder->GetPath() + kPathSep, "*");
    std::string path;
    bool cancel = false;
    std::vector<std::unique_ptr<ENode>> children;
    while (!cancel && entries.Next(path, true)) {
        if (excluded && !IsFolder(path)) continue;
        std::unique_ptr<ENode> node = creator_.Create(path, entries.LastWasLink());
        if (progress_) {
            progress_->SetFolder(folder->GetPath(), &cancel);
            progress_->Step(node->GetPath(), 0);
        }
        // A dangling symbolic link names no file: a link to it is broken.
        if (!node->Exists()) continue;
        std::string attributeText;
        if (node->GetAttributeText(attributeText)) {
            LogSkipped(*node, attributeText);
            continue;
        }
        if (site_) {
            site_->RegisterNode(node.get());
            if (auto* page = dynamic_cast<EHtmlNode*>(node.get()))
                page->SetSite(dynamic_cast<EAppSite*>(site_));
        }
        children.push_back(std::move(node));
        ++count;
    }
    folder->AddChildren(std::move(children));
    // What could not be read is said, never dropped without a word.
    if (entries.OpenFailed()) ELog::Instance().LogErrorFile(30062, folder->GetPath());
    if (entries.SkippedTooLong()) ELog::Instance().LogErrorFile(30061, folder->GetPath());
    return true;
}

// ---- loading ----

namespace {

// The site's tree: every folder given its children, the counts taken; false on a cancel.
bool TreePasses(EAppSite& site) {
    site.SetRoot(std::make_unique<EDirNode>(site.GetDirectory()));
    ProgressPasses::Announce(2);
    {
        auto progress = EUiServices::Instance().CreateProgress(ProgressKind::StartAware);
        ENodeCreator creator;
        ECreateNodes create(creator, &site, progress.get());
        if (TTraverse<TIterPreOrderTyped>(site.Root(), create)
                .Run(LoadString(30003), -1, progress.get()) < 0)
            return false;
    }
    ECountFiles counter;
    RunPass<TIterPreOrderTyped>(site.Root(), counter, ProgressKind::Silent, "", 50);
    site.SetCounts(counter.nodes, counter.folders);
    return true;
}

// The passes of a load; false when one was cancelled.
bool LoadPasses(EAppSite& site, const LoadOptions& options) {
    return TreePasses(site) && LoadLinks(site, options);
}

}  // namespace

bool LoadSite(EAppSite& site, const LoadOptions& options) {
    EUiServices& ui = EUiServices::Instance();
    ui.ShowStatusMessage(LoadString(154), false);
    ELog::Instance().ClearErrors();
    site.Clear();
    site.MarkTracking(true);
    EChanges::Batch batch;
    LoadState state = LoadState::Loaded;
    try {
        if (!LoadPasses(site, options)) state = LoadState::Cancelled;
    } catch (const std::bad_alloc&) {
        state = LoadState::OutOfMemory;
    }
    // A load that did not finish leaves nothing half made: a site with links missing would
    // show good pages as orphans and broken links as none.
    if (state != LoadState::Loaded) {
        site.Clear();
        site.MarkTracking(false);
        ProgressPasses::Announce(0);
        if (state == LoadState::OutOfMemory) ui.MessageBox(LoadString(138));
        // Said where the user looks: the site's marks and counts are gone with it.
        if (state == LoadState::Cancelled)
            ui.ShowStatusMessage("Loading of \"" + site.GetName() +
                                     "\" was cancelled: it is not tracked until it is loaded "
                                     "again (Site, Reload Site)",
                                 true);
        EChanges::Instance().Everything();
    }
    site.SetLoadState(state);
    EChanges::Instance().FolderChanged(site.GetDirectory());
    EChanges::Instance().OrphansChanged();
    return state == LoadState::Loaded;
}

// ---- the links file ----

std::string LinksFilePath(const ESite& site) {
    return ProgramSubfolder(LoadString(30050)) + site.GetName() + std::string(LoadString(351));
}

void ReadLinksFile(const std::string& path,
                   const std::function<void(bool header, const std::string& text)>& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    bool headerMode = false;
    std::string whole;
    while (std::getline(in, whole)) {
        // Lines arrive in pieces of at most 1039 characters, each handled like a line.
        for (std::size_t at = 0; at < whole.size() || (at == 0 && whole.empty()); at += 1039) {
            std::string piece = whole.substr(at, 1039);
            if (piece.empty() || piece.front() == '\r' || piece.front() == '\n') break;
            if (piece.front() == '=') {
                headerMode = !headerMode;
                continue;
            }
            line(headerMode, TrimLine(piece));
        }
    }
}

LinksFileEntry ParseLinksFileEntry(const std::string& text) {
    LinksFileEntry entry{text, 0};
    std::size_t paren = text.rfind('(');
    if (paren == std::string::npos || paren == 0) return entry;
    entry.link = TrimLine(text.substr(0, paren - 1));
    entry.count = std::atoi(text.c_str() + paren + 1);
    return entry;
}

void LoadIgnoreList(EAppSite& site) {
    const std::string ignoreHeader(LoadString(363));
    bool ignoring = false;
    ReadLinksFile(LinksFilePath(site), [&](bool header, const std::string& text) {
        if (header) {
            ignoring = text.starts_with(ignoreHeader);
            return;
        }
        if (!ignoring) return;
        const std::string link = ParseLinksFileEntry(text).link;
        if (link.empty()) return;
        std::string resolved = ResolveToFilePath(link, site.GetDirectory(), site.GetDirectory());
        if (site.IsPathTracked(resolved)) site.ignoredLinks.emplace(link, ELinkEntry{});
    });
}

void PruneIgnoreList(EAppSite& site) {
    for (auto it = site.ignoredLinks.begin(); it != site.ignoredLinks.end();) {
        if (!it->second.page || it->second.count == 0)
            it = site.ignoredLinks.erase(it);
        else
            ++it;
    }
}

bool LoadSiteTree(EAppSite& site) {
    site.Clear();
    site.MarkTracking(true);
    EChanges::Batch batch;
    if (!TreePasses(site)) {
        site.Clear();
        site.MarkTracking(false);
        return false;
    }
    LoadIgnoreList(site);
    return true;
}

}  // namespace tw
