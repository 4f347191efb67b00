#include "engine/commands/FileCommands.h"

#include "core/log/Log.h"
#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/Shell.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/UniqueNames.h"
#include "engine/commands/WriteAhead.h"
#include "engine/model/Changes.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/Launcher.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

std::string Bare(std::string_view path) {
    return std::string(StripTrailingSep(path));
}

std::string FolderOf(std::string_view path) {
    return std::string(PathDirectory(StripTrailingSep(path)));
}

}  // namespace

// ---- ENewDirCommand ----

ENewDirCommand::ENewDirCommand(std::string path) : path_(Bare(path)) {}

std::string ENewDirCommand::GetName() const {
    return LoadMessage(31003, {PathName(path_)});
}

std::string ENewDirCommand::Serialize() const {
    return Joined(GetClassName(), {path_});
}

bool ENewDirCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 2 || fields[1].empty()) return false;
    path_ = Bare(fields[1]);
    return true;
}

bool ENewDirCommand::DoIt() {
    journal_.Clear();
    if (StampOf(path_).exists) {
        ELog::Instance().LogErrorFile("Exists already, so nothing was made", path_);
        return false;
    }
    const bool ok = journal_.MakeFolders(path_);
    undoable = !journal_.Empty();
    if (!ok) return false;
    if (EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(path_)) site->AddPath(path_);
    EChanges::Batch batch;
    EChanges::Instance().Added(path_);
    EChanges::Instance().FolderChanged(FolderOf(path_));
    return true;
}

bool ENewDirCommand::StillEmpty(const std::string& path) {
    DirectoryEnumerator entries(path + kPathSep, "*");
    std::string entry;
    if (!entries.Next(entry, false)) return true;
    ELog::Instance().LogErrorFile(
        "Holds items put in it since the command, so the undo was refused", path);
    return false;
}

bool ENewDirCommand::UndoIt() {
    if (!StillEmpty(path_)) return false;
    const bool ok = journal_.Reverse();
    EAppSite* site = ESiteRegistry::Instance().FindTrackedSite(path_);
    EChanges::Batch batch;
    for (std::string folder = path_; !folder.empty() && !StampOf(folder).exists;
         folder = FolderOf(folder)) {
        if (site) site->RemovePath(folder);
        EChanges::Instance().Removed(folder);
        EChanges::Instance().FolderChanged(FolderOf(folder));
    }
    return ok;
}

// ---- ETrashCommand ----

ETrashCommand::ETrashCommand(std::vector<std::string> sources, std::string folder)
    : sources_(std::move(sources)), folder_(std::move(folder)) {}

ETrashCommand::ETrashCommand(std::string source)
    : ETrashCommand(std::vector<std::string>{std::move(source)}) {}

std::string ETrashCommand::GetName() const {
    return NameFor(sources_, 31004, 31005);
}

std::string ETrashCommand::Serialize() const {
    return ListLine(folder_, sources_);
}

bool ETrashCommand::Deserialize(std::string_view line) {
    return ReadListLine(line, folder_, sources_, false);
}

bool ETrashCommand::DoIt() {
    EChanges::Batch batch;
    journal_.Clear();
    auto progress = EUiServices::Instance().CreateProgress(ProgressKind::Silent);
    progress->Begin(LoadString(31034), static_cast<int>(sources_.size()), nullptr);
    if (!sources_.empty()) ShowFolder(*progress, FolderOf(sources_.front()));
    bool result = true;
    for (const std::string& source : sources_) {
        if (abortRequested || journal_.WriteFailed()) break;
        if (journal_.Trash(source))
            EChanges::Instance().Removed(Bare(source));
        else
            result = false;
        ShowFolder(*progress, FolderOf(source));
        progress->Step(source, 1);
    }
    progress->End();
    undoable = !journal_.Empty();
    return result;
}

bool ETrashCommand::UndoIt() {
    if (!journal_.CanReverse()) return false;
    EChanges::Batch batch;
    const bool ok = journal_.Reverse();
    for (const std::string& source : sources_)
        if (StampOf(source).exists) EChanges::Instance().Added(Bare(source));
    return ok;
}

// ---- ERenameCommand ----

ERenameCommand::ERenameCommand(std::string oldPath, std::string newPath)
    : old_(Bare(oldPath)), new_(Bare(newPath)) {}

std::string ERenameCommand::GetName() const {
    return LoadMessage(31012, {PathName(old_)});
}

std::string ERenameCommand::Serialize() const {
    return Joined(GetClassName(), {old_, new_});
}

bool ERenameCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 3 || fields[1].empty() || fields[2].empty()) return false;
    old_ = Bare(fields[1]);
    new_ = Bare(fields[2]);
    return true;
}

bool ERenameCommand::DoIt() {
    if (!EWriteAhead::Instance().Move(old_, new_)) return false;
    if (!RenamePath(old_, new_)) return false;
    CrashPoint();
    renamed_ = StampOf(new_);
    undoable = true;
    EChanges::Instance().Renamed(old_, new_);
    return true;
}

bool ERenameCommand::UndoIt() {
    // Only the item the rename left goes back, and never over one made since.
    if (!StampOf(new_).SameAs(renamed_)) {
        ELog::Instance().LogErrorFile(31037, new_);
        return false;
    }
    EWriteAhead::Instance().Move(new_, old_);
    if (!RenamePath(new_, old_)) return false;
    CrashPoint();
    EChanges::Instance().Renamed(new_, old_);
    return true;
}

// ---- EShortcutCommand ----

EShortcutCommand::EShortcutCommand(std::vector<std::string> sources, std::string target)
    : sources_(std::move(sources)), target_(Bare(target) + kPathSep) {}

EShortcutCommand::EShortcutCommand(std::string source, std::string target)
    : EShortcutCommand(std::vector<std::string>{std::move(source)}, std::move(target)) {}

std::string EShortcutCommand::GetName() const {
    return NameFor(sources_, 31013, 31014);
}

std::string EShortcutCommand::Serialize() const {
    return ListLine(target_, sources_);
}

bool EShortcutCommand::Deserialize(std::string_view line) {
    if (!ReadListLine(line, target_, sources_, true)) return false;
    target_ = Bare(target_) + kPathSep;
    return true;
}

bool EShortcutCommand::DoIt() {
    if (sources_.empty()) return true;
    if (!IsFolder(target_)) return false;
    created_.clear();
    EChanges::Batch batch;
    bool result = true;
    for (const std::string& source : sources_) {
        // Shortcuts are symbolic links here: named "NAME Shortcut" when NAME is taken.
        std::string item = Bare(source);
        std::string shortcut = MakeUniqueName(target_, item, " Shortcut");
        if (StampOf(item).exists && CreateShortcutFile(item, shortcut)) {
            undoable = true;
            created_.push_back(shortcut);
            EChanges::Instance().Added(shortcut);
        } else {
            result = false;
        }
    }
    return result;
}

bool EShortcutCommand::UndoIt() {
    bool ok = true;
    EChanges::Batch batch;
    for (const std::string& shortcut : created_) {
        // Whatever is there now, if not a link, is the user's: it stays.
        if (!StampOf(shortcut).isLink) {
            ELog::Instance().LogErrorFile(31037, shortcut);
            ok = false;
            continue;
        }
        if (RemoveFile(shortcut))
            EChanges::Instance().Removed(shortcut);
        else
            ok = false;
    }
    return ok;
}

// ---- ELaunchAppCommand ----

ELaunchAppCommand::ELaunchAppCommand(std::string document, std::string program)
    : document_(std::move(document)), program_(std::move(program)) {}

std::string ELaunchAppCommand::GetName() const {
    if (!document_.empty()) return LoadMessage(31000, {PathName(Bare(document_))});
    if (!program_.empty()) return LoadMessage(31001, {PathName(Bare(program_))});
    return std::string(LoadString(31002));
}

std::string ELaunchAppCommand::Serialize() const {
    return Joined(GetClassName(), {document_, program_});
}

bool ELaunchAppCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 3 || (fields[1].empty() && fields[2].empty())) return false;
    document_ = fields[1];
    program_ = fields[2];
    return true;
}

bool ELaunchAppCommand::DoIt() {
    EUiServices& ui = EUiServices::Instance();
    std::unique_ptr<EAppLauncherImp> launcher = ui.CreateLauncher();
    LaunchResult result = LaunchResult::Done;
    if (!program_.empty()) {
        result = launcher->OpenWith(document_, program_);
    } else if (IsFolder(document_)) {
        return true;  // a folder without a program: nothing to start
    } else if (IsProgramFile(document_)) {
        result = launcher->RunProgram(document_);
    } else {
        result = launcher->OpenDocument(document_);
    }
    if (result == LaunchResult::Done) return true;
    ui.MessageBox(LoadString(31036));
    return false;
}

}  // namespace tw
