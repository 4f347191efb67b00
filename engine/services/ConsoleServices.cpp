#include "engine/services/ConsoleServices.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

namespace tw {
namespace {

std::atomic<bool> cancelRequested{false};

extern "C" void OnInterrupt(int) {
    cancelRequested.store(true);
}

// Repaints one status line at most ten times a second; cancels when Ctrl+C was pressed.
class ConsoleProgress : public GUIProgress {
  public:
    explicit ConsoleProgress(bool visible) : visible_(visible) {}
    ~ConsoleProgress() override { Clear(); }

    void Begin(std::string_view title, int total, void*) override {
        title_ = ProgressPasses::Caption(title);
        total_ = total;
        steps_ = 0;
        Paint(true);
    }
    void End() override { Clear(); }
    void SetFolder(std::string_view, bool* cancel) override {
        if (cancel) *cancel = cancelRequested.load();
    }
    void Step(std::string_view, int count) override {
        steps_ += count == 0 ? 1 : count;
        Paint(false);
    }

  private:
    void Paint(bool force) {
        if (!visible_) return;
        auto now = std::chrono::steady_clock::now();
        if (!force && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        if (total_ > 0)
            std::fprintf(stderr, "\r\033[K%s: %d of %d", title_.c_str(), steps_, total_);
        else
            std::fprintf(stderr, "\r\033[K%s: %d", title_.c_str(), steps_);
        std::fflush(stderr);
        painted_ = true;
    }
    void Clear() {
        if (!painted_) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        painted_ = false;
    }

    bool visible_;
    bool painted_ = false;
    std::string title_;
    int total_ = 0;
    int steps_ = 0;
    std::chrono::steady_clock::time_point last_{};
    ProgressPasses::Scope pass_;
};

}  // namespace

EConsoleServices::EConsoleServices() : showProgress_(::isatty(STDERR_FILENO) != 0) {
    cancelRequested.store(false);
    std::signal(SIGINT, OnInterrupt);
}

EConsoleServices::~EConsoleServices() {
    std::signal(SIGINT, SIG_DFL);
}

std::unique_ptr<GUIProgress> EConsoleServices::CreateProgress(ProgressKind kind) {
    if (kind == ProgressKind::Silent) return std::make_unique<GUIProgress>();
    return std::make_unique<ConsoleProgress>(showProgress_);
}

void EConsoleServices::MessageBox(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

OverwriteReply EConsoleServices::AskOverwrite(const OverwriteQuestion& question) {
    if (overwrite_) return {false, *overwrite_, true, question.freeName};
    if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) {
        // Nobody to ask: the existing file stays, for this and every later collision (the
        // command says which items it skipped).
        return {false, OverwritePolicy::Skip, true, question.freeName};
    }
    for (;;) {
        std::fprintf(stderr,
                     "%s exists.\n  [o]verwrite (the old one goes to the trash), [s]kip, "
                     "overwrite if [n]ewer, [r]ename to \"%s\", [c]ancel\n  (a capital "
                     "letter does the same for the rest of this command): ",
                     question.existing.c_str(), question.freeName.c_str());
        int c = std::getchar();
        for (int rest = c; rest != '\n' && rest != EOF;) rest = std::getchar();
        if (c == EOF) return {true, question.policy, false, {}};
        const bool all = c >= 'A' && c <= 'Z';
        switch (all ? c + 32 : c) {
            case 'o':
                return {false, OverwritePolicy::Overwrite, all, {}};
            case 's':
                return {false, OverwritePolicy::Skip, all, {}};
            case 'n':
                return {false, OverwritePolicy::OverwriteOlder, all, {}};
            case 'r':
                return {false, OverwritePolicy::Rename, all, question.freeName};
            case 'c':
                return {true, question.policy, false, {}};
            default:
                break;
        }
    }
}

void EConsoleServices::WarnFileErrors(std::string_view text, bool* dontWarnAgain) {
    *dontWarnAgain = false;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

bool EConsoleServices::CancelRequested() {
    return cancelRequested.load();
}

void EConsoleServices::RequestCancel() {
    cancelRequested.store(true);
}

}  // namespace tw
