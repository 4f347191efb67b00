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
    // "Confirm Reload Site": Yes, No or Cancel.
    virtual Answer ConfirmReloadSite(bool* dontAskAgain) {
        *dontAskAgain = false;
        return Answer::Yes;
    }
    // The folder tree and lists showing this folder (and below) should be read again.
    virtual void RefreshFolders(std::string_view /*folder*/) {}
    virtual void RefreshLinkPane() {}
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
