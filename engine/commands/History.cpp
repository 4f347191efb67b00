#include "engine/commands/History.h"

#include <algorithm>
#include <new>

#include "core/log/Log.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/Strings.h"
#include "engine/commands/BrokenSince.h"
#include "engine/commands/SiteLock.h"
#include "engine/commands/WriteAhead.h"
#include "engine/model/Changes.h"
#include "engine/model/SiteRegistry.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kSuccess = 31020, kFailed = 31021, kUndoText = 31022, kRedoText = 31023,
              kLowMemory = 138, kNoRecord = 31059;

// The wait cursor for the lifetime of the object.
struct Busy {
    Busy() { EUiServices::Instance().SetBusy(true); }
    ~Busy() { EUiServices::Instance().SetBusy(false); }
};

// The locks of every site the window knows, held while one command, undo or redo runs: a
// command of the command line on one of them meanwhile would work from a stale reading. A
// busy site is waited for briefly, then the user is told and nothing is done.
bool LockKnownSites(std::vector<EFileLock>& locks) {
    std::vector<std::string> folders;
    for (const auto& site : ESiteRegistry::Instance().Sites())
        if (!site->GetDirectory().empty()) folders.push_back(site->GetDirectory());
    LockWait patience;
    patience.seconds = std::min(2.0, SiteLockPatience());  // the window waits less
    patience.waiting = [](long pid) {
        EUiServices::Instance().ShowStatusMessage(WaitingText(pid), false);
    };
    long holder = 0;
    if (LockSites(folders, patience, locks, &holder)) return true;
    EUiServices::Instance().MessageBox(
        "Another command is changing this site" +
        (holder > 0 ? " (pid " + std::to_string(holder) + ")" : std::string()) +
        ", so nothing was done. Try again when it has ended.");
    return false;
}

std::string MenuText(int templateId, const ECommand* top) {
    std::string text(LoadString(templateId));
    if (top) return FormatMessage(text, {top->GetName()});
    std::erase_if(text, [](char c) { return c == '%' || c == '1'; });
    return text;
}

}  // namespace

ECommandHistory::~ECommandHistory() {
    Clear();
}

void ECommandHistory::DropAll(std::vector<std::unique_ptr<ECommand>>& stack) {
    while (!stack.empty()) stack.pop_back();  // top down
}

void ECommandHistory::Clear() {
    DropAll(undo_);
    DropAll(redo_);
}

bool ECommandHistory::ExecuteCommand(std::unique_ptr<ECommand> command) {
    if (!command) return false;
    Busy busy;
    std::vector<EFileLock> locks;
    if (!LockKnownSites(locks)) return false;
    EChanges::Batch batch;
    ELog& log = ELog::Instance();
    log.ClearErrors();
    // The broken links of every loaded site, so that the links the command breaks are told.
    std::vector<EBrokenLinksWatch> watches;
    for (const auto& site : ESiteRegistry::Instance().Sites())
        if (site->IsTracking() && site->GetLoadState() == LoadState::Loaded)
            watches.emplace_back(*site);
    bool ok = false;
    try {
        // What the command is about to do is on the disk before it does it, so that a crash
        // midway can be rolled back at the next start.
        EWriteAhead::Scope record(command->Serialize());
        if (!record.Ok()) {
            EUiServices::Instance().MessageBox(LoadString(kNoRecord));
            return false;
        }
        ok = command->Execute();
    } catch (const std::bad_alloc&) {
        EUiServices::Instance().MessageBox(LoadString(kLowMemory));
        EChanges::Instance().Everything();
        return false;
    }
    const std::string name = command->GetName();
    // A command that undid itself after a cancel leaves nothing to undo.
    if (command->IsUndoable() && !command->ReversedItself()) {
        undo_.push_back(std::move(command));
        DropAll(redo_);
    }
    // A command that did not do all it was asked is reported as failed, logged errors or not.
    const bool failed = !ok || log.HasErrors();
    EUiServices& ui = EUiServices::Instance();
    std::vector<BrokenLink> broken;
    for (const EBrokenLinksWatch& watch : watches)
        for (BrokenLink& link : watch.NewlyBroken()) broken.push_back(std::move(link));
    std::string status = std::string(LoadString(failed ? kFailed : kSuccess)) + name;
    if (!broken.empty()) {
        // Said where the user looks, every one in the log: links the command could not keep.
        status += " — it broke " + std::to_string(broken.size()) +
                  (broken.size() == 1 ? " link: " : " links, the first: ") + broken[0].page + ":" +
                  std::to_string(broken[0].line) + " \"" + broken[0].url + "\"";
        for (const BrokenLink& link : broken)
            log.WriteLogFile("# Now broken:\t" + link.page + ":" + std::to_string(link.line) +
                             "\t" + link.url);
    }
    ui.ShowStatusMessage(status, failed || !broken.empty());
    if (failed) {
        SettingsStore& settings = SettingsStore::Instance();
        if (log.HasErrors() && settings.ReadBool("1WarnOnFileError")) {
            bool dontWarnAgain = false;
            ui.WarnFileErrors(log.ErrorText(), &dontWarnAgain);
            if (dontWarnAgain) settings.WriteBool("1WarnOnFileError", false);
        }
        EChanges::Instance().Everything();
    }
    return ok;
}

bool ECommandHistory::Undo() {
    if (undo_.empty()) return true;
    Busy busy;
    std::vector<EFileLock> locks;
    if (!LockKnownSites(locks)) return false;
    EChanges::Batch batch;
    ELog::Instance().ClearErrors();
    bool ok = false;
    const std::vector<std::string> rewritten = undo_.back()->RewrittenFiles();
    try {
        EWriteAhead::Scope record("(Undo)\t" + undo_.back()->Serialize());
        if (!record.Ok()) {
            EUiServices::Instance().MessageBox(LoadString(kNoRecord));
            return false;
        }
        ok = undo_.back()->Unexecute();
    } catch (const std::bad_alloc&) {
        EUiServices::Instance().MessageBox(LoadString(kLowMemory));
        EChanges::Instance().Everything();
        return false;  // the command stays where it was
    }
    if (!ok) {
        // Refused or stopped: the command stays where it was, to be undone once the user has
        // seen why (a page changed since, an item no longer in the trash).
        ReportFailure("Undo failed: " + undo_.back()->GetName());
        return false;
    }
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    // Newest first, each earlier command knows a file by the name it had then.
    for (std::string path : rewritten) {
        const FileStamp stamp = StampOf(path);
        for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
            (*it)->Restamp(path, stamp);
            path = (*it)->OriginOf(path);
        }
    }
    EUiServices::Instance().ShowStatusMessage("Undone: " + redo_.back()->GetName(), false);
    return true;
}

bool ECommandHistory::Redo() {
    if (redo_.empty()) return true;
    Busy busy;
    std::vector<EFileLock> locks;
    if (!LockKnownSites(locks)) return false;
    EChanges::Batch batch;
    EWriteAhead::Scope record(redo_.back()->Serialize());
    if (!record.Ok()) {
        EUiServices::Instance().MessageBox(LoadString(kNoRecord));
        return false;
    }
    ELog::Instance().ClearErrors();
    const bool ok = redo_.back()->Execute();
    const std::string name = redo_.back()->GetName();
    if (redo_.back()->IsUndoable() && !redo_.back()->ReversedItself()) {
        undo_.push_back(std::move(redo_.back()));
        redo_.pop_back();
    }
    if (!ok || ELog::Instance().HasErrors())
        ReportFailure("Redo failed: " + name);
    else
        EUiServices::Instance().ShowStatusMessage("Redone: " + name, false);
    return ok;
}

void ECommandHistory::ReportFailure(const std::string& what) {
    EUiServices& ui = EUiServices::Instance();
    ui.ShowStatusMessage(what, true);
    const std::string errors = ELog::Instance().ErrorText();
    ui.MessageBox(errors.empty() ? what : what + "\n\n" + errors);
    EChanges::Instance().Everything();
}

std::string ECommandHistory::UndoMenuText() const {
    return MenuText(kUndoText, NextUndo());
}

std::string ECommandHistory::RedoMenuText() const {
    return MenuText(kRedoText, NextRedo());
}

}  // namespace tw
