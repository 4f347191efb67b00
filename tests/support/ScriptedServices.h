#pragma once
// The one fake of the engine's user-interface seam for tests: the user's answers are replayed
// from lists given in advance, everything shown is recorded, and a pass can be made to
// cancel or to run out of memory. Install it with Script(), which returns it for inspection.

#include <deque>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/services/Launcher.h"
#include "engine/services/UiServices.h"

namespace tw::test {

class ScriptedServices : public EUiServices {
  public:
    // Answers to ConfirmReloadSite, WarnBeginTracking, WarnSiteUntracked, AskYesNo (Yes is
    // true) and AskReadOnly, in order of asking; the silent default's answer once they run out.
    std::deque<Answer> answers;
    bool dontAskAgain = false;  // the check box of the questions that have one
    // Replies to AskOverwrite, in order; the questions asked are kept.
    std::deque<OverwriteReply> overwriteReplies;
    std::vector<OverwriteQuestion> overwriteQuestions;

    std::vector<std::string> statusMessages, messageBoxes, fileErrorWarnings;
    int questionsAsked = 0;

    // A pass whose progress title contains this text cancels at its first folder (or, with
    // `outOfMemory`, throws std::bad_alloc there). `progressOfKind` limits it to progress
    // objects of that kind, and `nth` to the nth one of that kind created (with no title
    // given, the nth one faults whatever its title).
    std::string faultInPass;
    bool outOfMemory = false;
    std::optional<ProgressKind> progressOfKind;
    int nth = 0;

    // The launcher: what it was asked to do, and what it answers.
    std::vector<std::string> launched;  // "open PATH", "with PROGRAM PATH", "run PATH"
    LaunchResult launchResult = LaunchResult::Done;

    std::unique_ptr<GUIProgress> CreateProgress(ProgressKind kind) override {
        if (progressOfKind && kind != *progressOfKind) return std::make_unique<GUIProgress>();
        ++created_;
        if (nth && created_ != nth) return std::make_unique<GUIProgress>();
        return std::make_unique<FaultyProgress>(*this);
    }
    void ShowStatusMessage(std::string_view text, bool) override {
        statusMessages.emplace_back(text);
    }
    void MessageBox(std::string_view text) override { messageBoxes.emplace_back(text); }
    bool AskYesNo(std::string_view) override { return Next(Answer::No) == Answer::Yes; }
    Answer AskReadOnly(std::string_view) override { return Next(Answer::No); }
    Answer WarnBeginTracking(bool* dontAsk) override {
        *dontAsk = dontAskAgain;
        return Next(Answer::Ok);
    }
    Answer WarnSiteUntracked(bool* dontAsk) override {
        *dontAsk = dontAskAgain;
        return Next(Answer::Ok);
    }
    Answer ConfirmReloadSite(bool* dontAsk) override {
        *dontAsk = dontAskAgain;
        return Next(Answer::Yes);
    }
    OverwriteReply AskOverwrite(const OverwriteQuestion& question) override {
        ++questionsAsked;
        overwriteQuestions.push_back(question);
        if (overwriteReplies.empty()) return EUiServices::AskOverwrite(question);
        OverwriteReply reply = overwriteReplies.front();
        overwriteReplies.pop_front();
        return reply;
    }
    void WarnFileErrors(std::string_view text, bool* dontWarnAgain) override {
        fileErrorWarnings.emplace_back(text);
        *dontWarnAgain = dontAskAgain;
    }
    std::unique_ptr<EAppLauncherImp> CreateLauncher() override {
        return std::make_unique<Launcher>(*this);
    }

  private:
    Answer Next(Answer otherwise) {
        ++questionsAsked;
        if (answers.empty()) return otherwise;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    class FaultyProgress : public GUIProgress {
      public:
        explicit FaultyProgress(ScriptedServices& owner) : owner_(owner) {}
        void Begin(std::string_view title, int, void*) override {
            // A title to look for, or else the nth progress whatever its title.
            armed_ = owner_.faultInPass.empty()
                         ? owner_.nth != 0
                         : title.find(owner_.faultInPass) != std::string_view::npos;
        }
        void SetFolder(std::string_view, bool* cancel) override {
            if (!armed_) return;
            if (owner_.outOfMemory) throw std::bad_alloc();
            *cancel = true;
        }

      private:
        ScriptedServices& owner_;
        bool armed_ = false;
    };

    class Launcher : public EAppLauncherImp {
      public:
        explicit Launcher(ScriptedServices& owner) : owner_(owner) {}
        LaunchResult OpenWith(std::string_view document, std::string_view program) override {
            if (program.empty()) return LaunchResult::NoProgram;
            return Note("with " + std::string(program) + " " + std::string(document));
        }
        LaunchResult OpenDocument(std::string_view path) override {
            return Note("open " + std::string(path));
        }
        LaunchResult RunProgram(std::string_view path) override {
            return Note("run " + std::string(path));
        }

      private:
        LaunchResult Note(std::string what) {
            owner_.launched.push_back(std::move(what));
            return owner_.launchResult;
        }
        ScriptedServices& owner_;
    };

    int created_ = 0;
};

// Installs a scripted fake for the lifetime of the returned scope.
class ScopedScript {
  public:
    ScopedScript() {
        auto services = std::make_unique<ScriptedServices>();
        script_ = services.get();
        scope_ = std::make_unique<ScopedUiServices>(std::move(services));
    }
    ScriptedServices* operator->() { return script_; }
    ScriptedServices& operator*() { return *script_; }

  private:
    ScriptedServices* script_;
    std::unique_ptr<ScopedUiServices> scope_;
};

}  // namespace tw::test
