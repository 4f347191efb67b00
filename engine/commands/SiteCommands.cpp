#include "engine/commands/SiteCommands.h"

#include <algorithm>

#include "core/log/Log.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/LinkRepoint.h"
#include "engine/model/Changes.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kRemoveOrphans = 31070;

EAppSite* SiteOf(std::string_view path) {
    return ESiteRegistry::Instance().FindTrackedSite(path);
}

void AddTree(const std::string& path, EAppSite& site) {
    if (!site.AddPath(path)) return;
    FileStamp stamp = StampOf(path);
    if (!stamp.isFolder) return;
    DirectoryEnumerator entries(path + kPathSep, "*");
    std::string entry;
    while (entries.Next(entry, true)) AddTree(entry, site);
}

// The sum of the sizes below the paths, counted only as far as `limit`.
std::int64_t SizeUpTo(const std::vector<std::string>& paths, std::int64_t limit) {
    std::int64_t total = 0;
    std::vector<std::string> pending(paths.rbegin(), paths.rend());
    while (!pending.empty() && total <= limit) {
        std::string path = pending.back();
        pending.pop_back();
        FileStamp stamp = StampOf(path);
        if (!stamp.isFolder) {
            total += stamp.size;
            continue;
        }
        DirectoryEnumerator entries(path + kPathSep, "*");
        std::string entry;
        while (entries.Next(entry, true)) pending.push_back(entry);
    }
    return total;
}

// After a cancel while links were updated: "Yes" reverses the command, "No" ends tracking of
// the site and keeps the broken links.
void AskAfterAbort(bool& abortRequested, EAppSite& site) {
    if (EUiServices::Instance().AskReverseAfterCancel())
        abortRequested = true;
    else
        site.SetTracking(false);
}

// Pages and images moved outside any tracked site keep their links as they are: the user is
// told first (unless told not to), and may stop.
bool WarnedAboutUntrackedPages(const std::vector<std::string>& sources) {
    SettingsStore& settings = SettingsStore::Instance();
    if (!settings.ReadBool("1WarnSiteUntracked")) return true;
    const bool pages = std::any_of(sources.begin(), sources.end(), [](const std::string& s) {
        std::string ext = AsciiLower(PathExtension(StripTrailingSep(s)));
        return IsImageFile(s) || ext == "htm" || ext == "html";
    });
    if (!pages) return true;
    bool dontWarnAgain = false;
    Answer answer = EUiServices::Instance().WarnSiteUntracked(&dontWarnAgain);
    if (dontWarnAgain) settings.WriteBool("1WarnSiteUntracked", false);
    return answer == Answer::Ok;
}

// The folders above `path` that the site has no node for yet, outermost first.
std::vector<std::string> MissingFolders(const EAppSite& site, const std::string& path) {
    std::vector<std::string> missing;
    for (std::string folder(PathDirectory(path));
         site.Contains(folder) && !site.FindExactNode(folder);
         folder = std::string(PathDirectory(folder)))
        missing.insert(missing.begin(), folder);
    return missing;
}

}  // namespace

std::unique_ptr<ECommand> CommandFromLine(std::string_view line) {
    std::vector<std::unique_ptr<ECommand>> all;
    all.push_back(std::make_unique<ESiteMoveCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<ESiteRenameCommand>("", ""));
    all.push_back(std::make_unique<ESiteCopyCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<ESiteDuplicateCommand>(std::vector<std::string>{}));
    all.push_back(std::make_unique<ESiteShortcutCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<ESiteTrashCommand>(std::vector<std::string>{}));
    all.push_back(std::make_unique<EMoveOrphansCommand>(std::vector<std::string>{}, "", ""));
    all.push_back(std::make_unique<ETrashOrphansCommand>(std::vector<std::string>{}));
    all.push_back(std::make_unique<ENewDirCommand>(""));
    all.push_back(std::make_unique<EMoveCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<ERenameCommand>("", ""));
    all.push_back(std::make_unique<ECopyCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<EDuplicateCommand>(std::vector<std::string>{}));
    all.push_back(std::make_unique<EShortcutCommand>(std::vector<std::string>{}, ""));
    all.push_back(std::make_unique<ETrashCommand>(std::vector<std::string>{}));
    all.push_back(std::make_unique<ELaunchAppCommand>(""));
    for (auto& command : all)
        if (command->Deserialize(line)) return std::move(command);
    return nullptr;
}

void AddNewNodes(const std::vector<std::string>& paths, EAppSite& site) {
    for (const std::string& path : paths)
        if (StampOf(path).exists) AddTree(std::string(StripTrailingSep(path)), site);
    EChanges::Instance().OrphansChanged();
}

void RemoveVanishedNodes(const std::vector<std::string>& paths, EAppSite& site) {
    if (!PathExists(site.GetHomePage())) {
        site.SetTracking(false);
        return;
    }
    for (const std::string& path : paths)
        if (!StampOf(path).exists) site.RemovePath(path);
    EChanges::Instance().OrphansChanged();
}

// ---- ESiteMoveCommand ----

std::unique_ptr<GUIProgress> ESiteMoveCommand::ProgressFor(int /*items*/) {
    // A large transfer shows its progress, with Cancel.
    const std::int64_t threshold =
        std::int64_t{SettingsStore::Instance().ReadInt("100TransferSizeForProgressDlg")} * 1024;
    const bool large = SizeUpTo(sources_, threshold) > threshold;
    return EUiServices::Instance().CreateProgress(large ? ProgressKind::Dialog
                                                        : ProgressKind::Silent);
}

template <class Move>
EAppSite* TSiteMove<Move>::SourceSite() const {
    return this->sources_.empty() ? nullptr : SiteOf(this->sources_.front());
}

template <class Move>
bool TSiteMove<Move>::DoIt() {
    update_.reset();
    folderNodes_.clear();
    EAppSite* sourceSite = SourceSite();
    if (!sourceSite && !WarnedAboutUntrackedPages(this->sources_)) return false;
    EAppSite* targetSite = SiteOf(this->target_);
    if (sourceSite && sourceSite == targetSite) {
        update_.emplace(*sourceSite);
        update_->Prepare(this->sources_);
    }
    bool result = Move::DoIt();
    if (!this->abortRequested) {
        if (update_) {
            // Folders the move made get their nodes first: the moved nodes go into them.
            for (const MovedPath& moved : this->Transferred())
                for (const std::string& folder : MissingFolders(*sourceSite, moved.to)) {
                    sourceSite->AddPath(folder);
                    folderNodes_.push_back(folder);
                }
            // Links re-pointed first: a page reached through one is read where it leads.
            const std::vector<std::string> dangling =
                RepointLinks(sourceSite->GetDirectory(), this->Transferred(), this->journal_);
            if (this->journal_.WriteFailed()) {
                this->abortRequested = true;
            } else if (!update_->Apply(this->Transferred())) {
                if (update_->WriteFailed())
                    this->abortRequested = true;
                else
                    AskAfterAbort(this->abortRequested, *sourceSite);
            }
            for (const std::string& link : dangling) update_->NoteProblem(link);
            // A moved page that was rewritten is as the command means it to be.
            for (const auto& change : update_->Changes()) this->journal_.Restamp(change.path);
        } else {
            if (sourceSite) RemoveVanishedNodes(this->sources_, *sourceSite);
            if (targetSite) AddNewNodes(this->destinations_, *targetSite);
        }
    }
    if (this->abortRequested) {
        UndoIt();
        this->reversed = true;
        return false;
    }
    return result && (!update_ || update_->Problems().empty());
}

template <class Move>
bool TSiteMove<Move>::UndoIt() {
    if (update_) {
        // Nothing is done unless everything can be: the pages and the moved items must be as
        // the command left them.
        if (!update_->CanUndo() || !this->journal_.CanReverse()) return false;
        std::vector<std::string> pages;
        for (const auto& change : update_->Changes()) pages.push_back(change.path);
        // A page that cannot be written (a full disk) stops the undo before anything moves.
        // (A command reversing itself wrote no links that could lead to what it moved.)
        if (!this->abortRequested && !update_->PointLinksBack()) return false;
        if (!update_->RestorePages() && !update_->Changes().empty()) return false;
        for (const std::string& page : pages) this->journal_.Restamp(page);
        bool ok = Move::UndoIt();
        update_->Unapply();
        if (EAppSite* site = SourceSite())
            RemoveVanishedNodes({folderNodes_.rbegin(), folderNodes_.rend()}, *site);
        return ok;
    }
    bool ok = Move::UndoIt();
    EAppSite* sourceSite = SourceSite();
    EAppSite* targetSite = SiteOf(this->target_);
    if (sourceSite)
        AddNewNodes(this->sources_, *sourceSite);
    else if (targetSite)
        RemoveVanishedNodes(this->destinations_, *targetSite);
    return ok;
}

namespace {

std::vector<std::string> PagesOf(const std::optional<ELinkUpdate>& update) {
    std::vector<std::string> pages;
    if (update)
        for (const auto& change : update->Changes()) pages.push_back(change.path);
    return pages;
}

}  // namespace

template <class Move>
std::vector<std::string> TSiteMove<Move>::RewrittenFiles() const {
    // Where they will be once the undo has moved them back.
    std::vector<std::string> pages = PagesOf(update_);
    for (std::string& page : pages) page = this->journal_.Origin(page);
    for (const std::string& link : this->journal_.RelinkedLinks()) pages.push_back(link);
    return pages;
}

template <class Move>
std::string TSiteMove<Move>::OriginOf(const std::string& path) const {
    return this->journal_.Origin(path);
}

template <class Move>
void TSiteMove<Move>::Restamp(const std::string& path, const FileStamp& stamp) {
    this->journal_.Restamp(path, stamp);
    if (update_) update_->Restamp(path, stamp);
}

template class TSiteMove<EMoveCommand>;
template class TSiteMove<EMoveHierCommand>;

// ---- EMoveOrphansCommand, ETrashOrphansCommand ----

EAppSite* EMoveOrphansCommand::SourceSite() const {
    return SiteOf(RootFolder());
}

std::string EMoveOrphansCommand::GetName() const {
    return std::string(LoadString(kRemoveOrphans));
}

std::string ETrashOrphansCommand::GetName() const {
    return std::string(LoadString(kRemoveOrphans));
}

// ---- ESiteRenameCommand ----

std::vector<std::string> ESiteRenameCommand::RewrittenFiles() const {
    std::vector<std::string> pages = PagesOf(update_);
    for (const std::string& link : relinks_.RelinkedLinks()) pages.push_back(link);
    for (std::string& page : pages) page = OriginOf(page);
    return pages;
}

std::string ESiteRenameCommand::OriginOf(const std::string& path) const {
    return FollowedPath(path, {{new_, old_}});
}

void ESiteRenameCommand::Restamp(const std::string& path, const FileStamp& stamp) {
    if (update_) update_->Restamp(path, stamp);
    if (path == new_) renamed_ = stamp;
}

bool ESiteRenameCommand::DoIt() {
    update_.reset();
    relinks_.Clear();
    EAppSite* site = SiteOf(old_);
    if (!site) return ERenameCommand::DoIt();
    update_.emplace(*site);
    update_->Prepare({old_});
    update_->LogRenaming(true);
    if (!ERenameCommand::DoIt()) {
        update_.reset();
        return false;
    }
    // Links re-pointed first: a page reached through one is read where it leads.
    const std::vector<std::string> dangling =
        RepointLinks(site->GetDirectory(), {{old_, new_}}, relinks_);
    if (!relinks_.Empty()) renamed_ = StampOf(new_);  // it may be one of the links
    if (relinks_.WriteFailed()) {
        abortRequested = true;
    } else if (!update_->Apply({{old_, new_}})) {
        if (update_->WriteFailed())
            abortRequested = true;
        else
            AskAfterAbort(abortRequested, *site);
    }
    for (const std::string& link : dangling) update_->NoteProblem(link);
    if (abortRequested) {
        UndoIt();
        undoable = false;
        reversed = true;
        return false;
    }
    return update_->Problems().empty();
}

bool ESiteRenameCommand::UndoIt() {
    if (!update_) return ERenameCommand::UndoIt();
    if (!update_->CanUndo() || !relinks_.CanReverse()) return false;
    if (!StampOf(new_).SameAs(renamed_) || StampOf(old_).exists) {
        ELog::Instance().LogErrorFile(31037, StampOf(old_).exists ? old_ : new_);
        return false;
    }
    if (!abortRequested && !update_->PointLinksBack()) return false;
    if (!update_->RestorePages() && !update_->Changes().empty()) return false;
    bool ok = relinks_.Reverse();
    ok = ERenameCommand::UndoIt() && ok;
    update_->Unapply();
    return ok;
}

// ---- ESiteCopyCommand, ESiteDuplicateCommand, ESiteShortcutCommand, ESiteTrashCommand ----

bool ESiteCopyCommand::DoIt() {
    bool result = ECopyCommand::DoIt();
    if (!abortRequested)
        if (EAppSite* site = SiteOf(target_)) AddNewNodes(destinations_, *site);
    if (abortRequested) {
        UndoIt();
        reversed = true;
        return false;
    }
    return result;
}

bool ESiteCopyCommand::UndoIt() {
    bool ok = ECopyCommand::UndoIt();
    if (EAppSite* site = SiteOf(target_)) RemoveVanishedNodes(destinations_, *site);
    return ok;
}

bool ESiteDuplicateCommand::DoIt() {
    bool result = EDuplicateCommand::DoIt();
    if (abortRequested) {
        UndoIt();
        reversed = true;
        return false;
    }
    if (!Destinations().empty())
        if (EAppSite* site = SiteOf(Destinations().front())) AddNewNodes(Destinations(), *site);
    return result;
}

bool ESiteDuplicateCommand::UndoIt() {
    bool ok = EDuplicateCommand::UndoIt();
    if (!Destinations().empty())
        if (EAppSite* site = SiteOf(Destinations().front()))
            RemoveVanishedNodes(Destinations(), *site);
    return ok;
}

bool ESiteShortcutCommand::DoIt() {
    bool result = EShortcutCommand::DoIt();
    if (result)
        if (EAppSite* site = SiteOf(target_)) AddNewNodes(created_, *site);
    return result;
}

bool ESiteShortcutCommand::UndoIt() {
    std::vector<std::string> created = created_;
    bool ok = EShortcutCommand::UndoIt();
    if (ok)
        if (EAppSite* site = SiteOf(target_)) RemoveVanishedNodes(created, *site);
    return ok;
}

bool ESiteTrashCommand::DoIt() {
    bool result = ETrashCommand::DoIt();
    // Only a trash that took every item changes the site (else it is reloaded later).
    if (result && !sources_.empty())
        if (EAppSite* site = SiteOf(sources_.front())) RemoveVanishedNodes(sources_, *site);
    return result;
}

bool ESiteTrashCommand::UndoIt() {
    const bool ok = ETrashCommand::UndoIt();
    if (!sources_.empty())
        if (EAppSite* site = SiteOf(sources_.front())) AddNewNodes(sources_, *site);
    return ok;
}

}  // namespace tw
