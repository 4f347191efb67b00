#pragma once
// The command line's answers to the engine: a one-line progress on standard error while a
// terminal is attached, Ctrl+C as cancel, messages on standard error. Questions are answered
// by the options; the overwrite question, when no option answers it, is asked on the
// terminal, and without a terminal the existing file is kept.

#include <atomic>
#include <optional>

#include "engine/services/UiServices.h"

namespace tw {

class EConsoleServices : public EUiServices {
  public:
    // Installs a SIGINT handler that asks running passes to cancel.
    EConsoleServices();
    ~EConsoleServices() override;

    std::unique_ptr<GUIProgress> CreateProgress(ProgressKind kind) override;
    void MessageBox(std::string_view text) override;
    OverwriteReply AskOverwrite(const OverwriteQuestion& question) override;
    void WarnFileErrors(std::string_view text, bool* dontWarnAgain) override;
    // A command of the command line is never left half done: a cancel reverses it.
    bool AskReverseAfterCancel() override { return true; }

    // The answer to every overwrite question (an option such as --overwrite=skip).
    void SetOverwritePolicy(std::optional<OverwritePolicy> policy) { overwrite_ = policy; }

    static bool CancelRequested();
    static void RequestCancel();

  private:
    bool showProgress_;
    std::optional<OverwritePolicy> overwrite_;
};

}  // namespace tw
