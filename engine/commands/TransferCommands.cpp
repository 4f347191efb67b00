#include "engine/commands/TransferCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"
#include "engine/commands/UniqueNames.h"
#include "engine/model/Changes.h"
#include "engine/model/Progress.h"

namespace tw {
namespace {

constexpr int kMoving = 31030, kUndoMoving = 31031, kCopying = 31032, kUndoCopying = 31033,
              kMoveFailed = 31035;

std::string WithSep(std::string_view folder) {
    std::string out(StripTrailingSep(folder));
    out += kPathSep;
    return out;
}

std::string FolderOf(std::string_view path) {
    return std::string(PathDirectory(StripTrailingSep(path)));
}

std::string LastName(std::string_view path) {
    return std::string(PathName(StripTrailingSep(path)));
}

bool IsRealFolder(const std::string& path) {
    FileStamp stamp = StampOf(path);
    return stamp.isFolder;
}

// Last write of a path, when it can be read.
std::optional<std::int64_t> LastWrite(const std::string& path) {
    FileStamp stamp = StampOf(path);
    if (!stamp.exists) return std::nullopt;
    return stamp.mtimeNs;
}

}  // namespace

// ---- ETransferCommand ----

ETransferCommand::ETransferCommand(std::vector<std::string> sources, std::string target)
    : sources_(std::move(sources)),
      target_(WithSep(target)),
      policy_(static_cast<OverwritePolicy>(
          std::clamp(SettingsStore::Instance().ReadInt("OverwriteFiles"), 0, 3))) {}

std::string ETransferCommand::Serialize() const {
    return ListLine(target_, sources_);
}

bool ETransferCommand::Deserialize(std::string_view line) {
    if (!ReadListLine(line, target_, sources_, true)) return false;
    target_ = WithSep(target_);
    return true;
}

const char* ETransferCommand::Refusal(const std::string& source) const {
    const std::string bare(StripTrailingSep(source));
    const std::string target(StripTrailingSep(target_));
    if (bare == target) return "a folder cannot go into itself";
    if (FolderOf(bare) == target) return "it is in that folder already";
    if (target_.starts_with(bare + kPathSep)) return "a folder cannot go into its own subfolder";
    return nullptr;
}

std::unique_ptr<GUIProgress> ETransferCommand::ProgressFor(int /*items*/) {
    return std::make_unique<GUIProgress>();
}

bool ETransferCommand::OverwriteStep(const std::string& from, std::string& to) {
    if (IsRealFolder(from) || !StampOf(to).exists) return true;
    if (ask_) {
        OverwriteQuestion question{to, from, policy_,
                                   LastName(MakeUniqueName(FolderOf(to), from, ""))};
        OverwriteReply reply = EUiServices::Instance().AskOverwrite(question);
        if (reply.cancelled) {
            abortRequested = true;
            return false;
        }
        policy_ = reply.policy;
        SettingsStore::Instance().WriteInt("OverwriteFiles", static_cast<int>(policy_));
        ask_ = !reply.sameForAll;
        if (policy_ == OverwritePolicy::Rename)
            to = reply.newName.empty() ? MakeUniqueName(FolderOf(to), from, "")
                                       : JoinPath(FolderOf(to), reply.newName);
    } else if (policy_ == OverwritePolicy::Rename) {
        to = MakeUniqueName(FolderOf(to), from, "");
    }
    switch (policy_) {
        case OverwritePolicy::Skip:
            return false;
        case OverwritePolicy::OverwriteOlder: {
            auto proposed = LastWrite(from), existing = LastWrite(to);
            if (proposed && existing && *proposed <= *existing) return false;
            return journal_.Trash(to);  // put back by an undo
        }
        case OverwritePolicy::Overwrite:
            return journal_.Trash(to);
        case OverwritePolicy::Rename:
            return true;
    }
    return false;
}

template <typename Transfer>
bool ETransferCommand::ForEachSource(int titleId, Transfer transfer) {
    destinations_.clear();
    transferred_.clear();
    skipped_.clear();
    journal_.Clear();
    if (sources_.empty()) return true;
    auto progress = ProgressFor(static_cast<int>(sources_.size()));
    progress->Begin(LoadString(titleId), static_cast<int>(sources_.size()), nullptr);
    ShowFolder(*progress, FolderOf(sources_.front()));
    bool result = true;
    for (const std::string& source : sources_) {
        if (abortRequested) break;
        if (const char* why = Refusal(source)) {
            skipped_.push_back(std::string(StripTrailingSep(source)) + ": " + why);
            result = false;
            continue;
        }
        std::string destination = target_ + LastName(source);
        const bool go = OverwriteStep(source, destination);
        if (!go && !abortRequested)
            skipped_.push_back(std::string(StripTrailingSep(source)) + ": the name is taken in " +
                               std::string(FolderOf(destination)) + "; skipped");
        bool ok = go && transfer(source, destination);
        // A full disk or a failed write stops the command like a cancel: it is reversed.
        if (journal_.WriteFailed()) abortRequested = true;
        if (ok)
            transferred_.push_back({std::string(StripTrailingSep(source)), destination});
        else
            result = false;
        destinations_.push_back(destination);
        ShowFolder(*progress, FolderOf(source));
        progress->Step(source, 1);
    }
    progress->End();
    return result;
}

bool ETransferCommand::UndoJournal(int titleId) {
    // Nothing is done unless everything can be: an item changed since stays as it is.
    if (!journal_.CanReverse()) return false;
    auto progress = ProgressFor(static_cast<int>(destinations_.size()));
    progress->Begin(LoadString(titleId), static_cast<int>(destinations_.size()), nullptr);
    EChanges::Batch batch;
    for (const std::string& destination : destinations_)
        EChanges::Instance().FolderChanged(FolderOf(destination));
    for (const std::string& source : sources_) EChanges::Instance().FolderChanged(FolderOf(source));
    bool ok = journal_.Reverse();
    progress->End();
    return ok;
}

// ---- EMoveCommand ----

EMoveCommand::EMoveCommand(std::vector<std::string> sources, std::string target)
    : ETransferCommand(std::move(sources), std::move(target)) {}

EMoveCommand::EMoveCommand(std::string source, std::string target)
    : EMoveCommand(std::vector<std::string>{std::move(source)}, std::move(target)) {}

std::string EMoveCommand::GetName() const {
    return NameFor(sources_, 31006, 31007);
}

bool EMoveCommand::TransferOne(const std::string& from, const std::string& to) {
    return journal_.Move(from, to);
}

bool EMoveCommand::DoIt() {
    EChanges::Batch batch;
    bool result = ForEachSource(kMoving, [&](const std::string& from, const std::string& to) {
        if (!TransferOne(from, to)) return false;
        EChanges::Instance().Renamed(from, to);
        return true;
    });
    // Whatever moved can be moved back, also the part of an item that failed halfway.
    if (!journal_.Empty()) undoable = true;
    return result;
}

bool EMoveCommand::UndoIt() {
    return UndoJournal(kUndoMoving);
}

// ---- EMoveHierCommand ----

EMoveHierCommand::EMoveHierCommand(std::vector<std::string> sources, std::string root,
                                   std::string target)
    : EMoveCommand(std::move(sources), std::move(target)),
      root_(root.empty() && !sources_.empty() ? WithSep(FolderOf(sources_.front()))
                                              : WithSep(root)) {}

std::string EMoveHierCommand::GetName() const {
    return LoadMessage(31006, {LastName(root_)});
}

std::string EMoveHierCommand::Serialize() const {
    std::vector<std::string> fields{root_, target_};
    fields.insert(fields.end(), sources_.begin(), sources_.end());
    return Joined(GetClassName(), fields);
}

bool EMoveHierCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 3 || fields[1].empty() || fields[2].empty()) return false;
    root_ = WithSep(fields[1]);
    target_ = WithSep(fields[2]);
    sources_.assign(fields.begin() + 3, fields.end());
    return true;
}

std::unique_ptr<GUIProgress> EMoveHierCommand::ProgressFor(int /*items*/) {
    return EUiServices::Instance().CreateProgress(ProgressKind::Dialog);
}

bool EMoveHierCommand::DoIt() {
    destinations_.clear();
    transferred_.clear();
    skipped_.clear();
    journal_.Clear();
    std::optional<std::string> rootName = MakeFreeName(target_, LastName(root_));
    if (!rootName) return false;
    movedTo_ = target_ + *rootName + kPathSep;
    if (!journal_.MakeFolders(movedTo_)) return false;
    EChanges::Batch batch;
    EChanges::Instance().Added(StripTrailingSep(movedTo_));
    auto progress = ProgressFor(static_cast<int>(sources_.size()));
    progress->Begin(LoadString(kMoving), static_cast<int>(sources_.size()), nullptr);
    ShowFolder(*progress, root_);
    for (const std::string& source : sources_) {
        if (abortRequested) break;
        std::string relative =
            source.starts_with(root_) ? source.substr(root_.size()) : LastName(source);
        ShowFolder(*progress, FolderOf(source));
        progress->Step(source, 1);
        std::string destination = movedTo_ + relative;
        if (journal_.MakeFolders(FolderOf(destination)) && TransferOne(source, destination)) {
            destinations_.push_back(destination);
            transferred_.push_back({std::string(StripTrailingSep(source)), destination});
            EChanges::Instance().Renamed(source, destination);
        } else {
            ELog::Instance().LogErrorFile(kMoveFailed, source);
        }
        if (journal_.WriteFailed()) abortRequested = true;
    }
    progress->End();
    undoable = true;
    return true;
}

bool EMoveHierCommand::UndoIt() {
    // The journal knows every folder made and every item moved: the made folders go only when
    // they are empty again, so nothing that failed to move back is lost.
    return UndoJournal(kMoving);
}

// ---- ECopyCommand ----

ECopyCommand::ECopyCommand(std::vector<std::string> sources, std::string target)
    : ETransferCommand(std::move(sources), std::move(target)) {}

ECopyCommand::ECopyCommand(std::string source, std::string target)
    : ECopyCommand(std::vector<std::string>{std::move(source)}, std::move(target)) {}

std::string ECopyCommand::GetName() const {
    return NameFor(sources_, 31008, 31009);
}

bool ECopyCommand::TransferOne(const std::string& from, const std::string& to) {
    return journal_.Copy(from, to);
}

bool ECopyCommand::DoIt() {
    EChanges::Batch batch;
    bool result = ForEachSource(kCopying, [&](const std::string& from, const std::string& to) {
        bool ok = TransferOne(from, to);
        EChanges::Instance().Added(to);
        return ok;
    });
    // Only what was really copied can be undone (an empty folder copied leaves nothing).
    if (!journal_.Empty()) undoable = true;
    return result;
}

bool ECopyCommand::UndoIt() {
    return UndoJournal(kUndoCopying);
}

// ---- EDuplicateCommand ----

EDuplicateCommand::EDuplicateCommand(std::vector<std::string> sources)
    : sources_(std::move(sources)) {}

EDuplicateCommand::EDuplicateCommand(std::string source)
    : EDuplicateCommand(std::vector<std::string>{std::move(source)}) {}

std::string EDuplicateCommand::GetName() const {
    return NameFor(sources_, 31010, 31011);
}

std::string EDuplicateCommand::Serialize() const {
    return Joined(GetClassName(), sources_);
}

bool EDuplicateCommand::Deserialize(std::string_view line) {
    std::vector<std::string> fields = FieldsOf(line);
    if (fields.size() < 2) return false;
    sources_.assign(fields.begin() + 1, fields.end());
    return true;
}

bool EDuplicateCommand::DoIt() {
    destinations_.clear();
    journal_.Clear();
    if (sources_.empty()) return true;
    EChanges::Batch batch;
    // Every duplicate goes next to the first item.
    const std::string folder = FolderOf(sources_.front());
    auto progress = std::make_unique<GUIProgress>();
    progress->Begin(LoadString(kCopying), static_cast<int>(sources_.size()), nullptr);
    ShowFolder(*progress, folder);
    bool result = true;
    for (const std::string& source : sources_) {
        if (abortRequested) break;
        std::string copy = MakeUniqueName(folder, source, " Copy");
        if (journal_.Copy(std::string(StripTrailingSep(source)), copy))
            EChanges::Instance().Added(copy);
        else
            result = false;
        if (journal_.WriteFailed()) abortRequested = true;
        if (!journal_.Empty()) undoable = true;
        ShowFolder(*progress, folder);
        progress->Step(source, 1);
        destinations_.push_back(copy);
    }
    progress->End();
    return result;
}

bool EDuplicateCommand::UndoIt() {
    if (!journal_.CanReverse()) return false;
    EChanges::Batch batch;
    for (const std::string& copy : destinations_) EChanges::Instance().Removed(copy);
    return journal_.Reverse();
}

}  // namespace tw
