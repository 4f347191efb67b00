#pragma once
// The command history: it runs each command, keeps the ones that can be undone, and offers
// Undo and Redo. Every run and every undo is one batch of changes for the views (Changes.h)
// and one line in the application log; the outcome goes to the status line.

#include <memory>
#include <string>
#include <vector>

#include "engine/commands/Command.h"

namespace tw {

class ECommandHistory {
  public:
    ECommandHistory() = default;
    ~ECommandHistory();
    ECommandHistory(const ECommandHistory&) = delete;
    ECommandHistory& operator=(const ECommandHistory&) = delete;

    // Runs a new command; it is kept when it left something to undo.
    bool ExecuteCommand(std::unique_ptr<ECommand> command);
    bool Undo();
    bool Redo();
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // "&Undo NAME\tCtrl+Z" / "&Redo NAME\tCtrl+Y"; "&Undo \tCtrl+Z" when there is none.
    std::string UndoMenuText() const;
    std::string RedoMenuText() const;
    const ECommand* NextUndo() const { return undo_.empty() ? nullptr : undo_.back().get(); }
    const ECommand* NextRedo() const { return redo_.empty() ? nullptr : redo_.back().get(); }
    void Clear();

  private:
    static void DropAll(std::vector<std::unique_ptr<ECommand>>& stack);
    // An undo or redo that failed: the status line and a message say so, with the errors.
    static void ReportFailure(const std::string& what);

    std::vector<std::unique_ptr<ECommand>> undo_;
    std::vector<std::unique_ptr<ECommand>> redo_;
};

}  // namespace tw
