#pragma once
// The command line's answers to the engine: a one-line progress on standard error while a
// terminal is attached, Ctrl+C as cancel, messages on standard error, and no questions (the
// options decide).

#include <atomic>

#include "engine/services/UiServices.h"

namespace tw {

class EConsoleServices : public EUiServices {
  public:
    // Installs a SIGINT handler that asks running passes to cancel.
    EConsoleServices();
    ~EConsoleServices() override;

    std::unique_ptr<GUIProgress> CreateProgress(ProgressKind kind) override;
    void MessageBox(std::string_view text) override;

    static bool CancelRequested();
    static void RequestCancel();

  private:
    bool showProgress_;
};

}  // namespace tw
