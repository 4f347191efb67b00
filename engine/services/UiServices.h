#pragma once
// Everything the engine asks of the user goes through this seam: progress displays, prompts,
// warnings, status messages and view refreshes. The desktop application answers with
// windows, the command line with its options, tests with the silent default or a scripted
// fake.

#include <memory>
#include <string>
#include <string_view>

#include "engine/model/Progress.h"

namespace tw {

enum class ProgressKind {
    Dialog,      // a progress window for a pass
    StartAware,  // the same, shown only once the main window is up (site loading)
    Silent,      // nothing shown
};

enum class Answer { Ok, Cancel, Yes, No, YesToAll, NoToAll };

// What a transfer does when the destination already holds a file of that name (the setting
// "OverwriteFiles" keeps the last choice).
enum class OverwritePolicy : int {
    Overwrite = 0,       // the existing file goes to the trash, then the transfer is made
    Skip = 1,            // the item is not transferred
    OverwriteOlder = 2,  // only when the proposed file is newer
    Rename = 3,          // the item is transferred under a new name
};

// "Confirm File Overwrite": the existing and the proposed file, the policy preselected and
// the free name offered for a rename.
struct OverwriteQuestion {
    std::string existing;
    std::string proposed;
    OverwritePolicy policy = OverwritePolicy::Skip;
    std::string freeName;
};
struct OverwriteReply {
    bool cancelled = false;
    OverwritePolicy policy = OverwritePolicy::Skip;
    bool sameForAll = false;  // "Do the same for all other files in this transfer"
    std::string newName;      // with Rename: the name typed (the free name when left alone)
};

class EAppLauncherImp;

class EUiServices {
  public:
    virtual ~EUiServices() = default;

    // The installed services; a silent set when none is installed.
    static EUiServices& Instance();
    static std::unique_ptr<EUiServices> Install(std::unique_ptr<EUiServices> services);

    virtual std::unique_ptr<GUIProgress> CreateProgress(ProgressKind kind);
    virtual void ShowStatusMessage(std::string_view /*text*/, bool /*flash*/) {}
    // A message box with an OK button and the application's name as caption.
    virtual void MessageBox(std::string_view /*text*/) {}
    virtual bool AskYesNo(std::string_view /*text*/) { return false; }
    // After a cancel while links were being updated: true reverses the whole command, false
    // keeps what was done (and ends tracking of the site). Asks the abort question.
    virtual bool AskReverseAfterCancel();
    // "Read-only File": Yes, YesToAll, No or NoToAll.
    virtual Answer AskReadOnly(std::string_view /*path*/) { return Answer::No; }
    // "Begin Site Tracking": Ok loads the sites; `dontAskAgain` is the check box.
    virtual Answer WarnBeginTracking(bool* dontAskAgain) {
        *dontAskAgain = false;
        return Answer::Ok;
    }
    // "File and Syntax Errors" after a load; `dontShowAgain` is the check box.
    virtual void ShowLoadErrors(std::string_view /*text*/, bool* dontShowAgain) {
        *dontShowAgain = false;
    }
    // "Confirm File Overwrite". The silent default keeps the existing file.
    virtual OverwriteReply AskOverwrite(const OverwriteQuestion& question) {
        return {false, OverwritePolicy::Skip, true, question.freeName};
    }
    // Moving pages or images that no tracked site holds: their links will not be updated.
    // Ok goes on; `dontWarnAgain` is the check box.
    virtual Answer WarnSiteUntracked(bool* dontWarnAgain) {
        *dontWarnAgain = false;
        return Answer::Ok;
    }
    // "File Errors" after a command that logged errors; `dontWarnAgain` is the check box.
    virtual void WarnFileErrors(std::string_view /*text*/, bool* dontWarnAgain) {
        *dontWarnAgain = false;
    }
    // The wait cursor while a command or an undo runs.
    virtual void SetBusy(bool /*busy*/) {}
    // The program launcher for one use (opening documents, starting programs).
    virtual std::unique_ptr<EAppLauncherImp> CreateLauncher();
    // "Confirm Reload Site": Yes, No or Cancel.
    virtual Answer ConfirmReloadSite(bool* dontAskAgain) {
        *dontAskAgain = false;
        return Answer::Yes;
    }
};

// Installs services for the lifetime of the object.
class ScopedUiServices {
  public:
    explicit ScopedUiServices(std::unique_ptr<EUiServices> services)
        : previous_(EUiServices::Install(std::move(services))) {}
    ~ScopedUiServices() { EUiServices::Install(std::move(previous_)); }
    ScopedUiServices(const ScopedUiServices&) = delete;
    ScopedUiServices& operator=(const ScopedUiServices&) = delete;

  private:
    std::unique_ptr<EUiServices> previous_;
};

// Consecutive progress runs announced as one job ("Pass 1 of 2", ...). Each dialog progress
// counts itself in while it lives.
class ProgressPasses {
  public:
    static void Announce(int count);
    static int Count();
    static int Current();
    // The caption of a pass: the title, plus " (Pass %d of %d)" while passes are announced.
    static std::string Caption(std::string_view title);

    // RAII for one dialog progress: counts a pass in; the last one ends the announcement.
    class Scope {
      public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};

}  // namespace tw
