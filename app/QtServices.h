#pragma once
// The engine's user-interface services answered with windows: progress dialogs with Cancel
// (the window keeps painting: events are processed at each step), prompts and message boxes
// over the main window, the wait cursor, and the status message.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "engine/services/UiServices.h"

class QProgressDialog;

namespace tw::app {

// The progress dialog of one pass: " (Pass %d of %d)" in its caption while passes are
// announced; Cancel is seen by the next SetFolder, and by every later one until the next Begin.
class GUIProgressDlg : public GUIProgress {
  public:
    // `startAware`: shown only once the main window is visible (site loading at start-up).
    GUIProgressDlg(QWidget* owner, bool startAware);
    ~GUIProgressDlg() override;
    void Begin(std::string_view title, int total, void* owner) override;
    void End() override;
    void SetFolder(std::string_view text, bool* cancel) override;
    void Step(std::string_view text, int count) override;

    QProgressDialog* Dialog() const { return dialog_.get(); }

  private:
    static constexpr int kUpdateMs = 40;
    bool ShowWhenPossible();
    bool Due();

    QPointer<QWidget> owner_;
    bool startAware_;
    std::unique_ptr<QProgressDialog> dialog_;
    ProgressPasses::Scope pass_;
    std::string title_;
    bool cancelled_ = false;
    bool rangeFromFolder_ = false;
    int steps_ = 0;
    QElapsedTimer sinceUpdate_;
};

class EQtServices : public EUiServices {
  public:
    // `status` shows a command's outcome in the main window.
    EQtServices(QWidget* owner, std::function<void(const QString&, bool)> status);
    // What "Track Site..." of the untracked-site warning starts (the window's Track Web Site).
    void SetTrackSite(std::function<void()> track) { trackSite_ = std::move(track); }

    std::unique_ptr<GUIProgress> CreateProgress(ProgressKind kind) override;
    void ShowStatusMessage(std::string_view text, bool flash) override;
    void MessageBox(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
    Answer AskReadOnly(std::string_view path) override;
    Answer WarnBeginTracking(bool* dontAskAgain) override;
    void ShowLoadErrors(std::string_view text, bool* dontShowAgain) override;
    void WarnFileErrors(std::string_view text, bool* dontWarnAgain) override;
    Answer WarnSiteUntracked(bool* dontWarnAgain) override;
    Answer ConfirmReloadSite(bool* dontAskAgain) override;
    void SetBusy(bool busy) override;

    // Tests answer the questions: each question's text goes to the hook, which returns the
    // button pressed (a QMessageBox::StandardButton); none installed means a real window.
    using Hook = std::function<int(const QString& text)>;
    static void SetAnswerHook(Hook hook);

  private:
    QPointer<QWidget> owner_;
    std::function<void(const QString&, bool)> status_;
    std::function<void()> trackSite_;
};

}  // namespace tw::app
