#pragma once
// A user action that changes the file system or starts a program, as an object that can be
// run, logged, and (where it changed something it can reverse) undone and redone. The
// history (History.h) runs every command and keeps the undoable ones.

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/FileUtils.h"

namespace tw {

class GUIProgress;

class ECommand {
  public:
    ECommand() = default;
    virtual ~ECommand() = default;
    ECommand(const ECommand&) = delete;
    ECommand& operator=(const ECommand&) = delete;

    // Short lower-case description for the Undo/Redo items and the status line.
    virtual std::string GetName() const = 0;
    // One log line: the class name, then each field, every one after a tab.
    virtual std::string Serialize() const = 0;
    // Reads a Serialize line back; true when it is this class's and its fields are there.
    virtual bool Deserialize(std::string_view line) = 0;
    virtual std::string GetClassName() const = 0;

    // Runs DoIt, after writing the command's line to the application log.
    bool Execute();
    // Runs UndoIt, after writing "(Undo)", a tab and the command's line to the log. A command
    // whose undo failed stays undoable.
    bool Unexecute();

    bool IsUndoable() const { return undoable; }
    // The files whose bytes the command rewrote (an undo gives them back). After a later
    // command is undone, the files it gave back are as this command left them: Restamp takes
    // their stamps anew, so that this command's own undo still recognises them.
    virtual std::vector<std::string> RewrittenFiles() const { return {}; }
    virtual void Restamp(const std::string& /*path*/, const FileStamp& /*stamp*/) {}
    // Where the item now at `path` was before this command moved or renamed it (itself when
    // the command did not): an earlier command knows it by that name.
    virtual std::string OriginOf(const std::string& path) const { return path; }
    // A command that undid itself after a cancel: nothing of it is left to record.
    bool ReversedItself() const { return reversed; }
    int ExecCount() const { return execCount; }
    bool* AbortFlag() { return &abortRequested; }

  protected:
    virtual bool DoIt() = 0;
    // Commands that cannot be reversed keep this: nothing to do.
    virtual bool UndoIt() { return true; }

    // The fields of a log line (the class name first); empty when the line is not this
    // class's.
    std::vector<std::string> FieldsOf(std::string_view line) const;
    // "name (one item)" / "text (several)" texts: %1 is the item's last component.
    static std::string NameFor(const std::vector<std::string>& items, int oneId, int manyId);
    static std::string Joined(std::string_view className, const std::vector<std::string>& fields);
    // The common line of the list commands: one leading path (a folder), then the items.
    std::string ListLine(const std::string& head, const std::vector<std::string>& items) const;
    // Reads a ListLine back: false when it is not this class's, has no item, or (when
    // `headRequired`) no leading path.
    bool ReadListLine(std::string_view line, std::string& head, std::vector<std::string>& items,
                      bool headRequired) const;
    // Shows the folder worked on; a Cancel pressed in the progress joins abortRequested (which
    // an overwrite question or a link update may have set already: nothing clears it).
    void ShowFolder(GUIProgress& progress, std::string_view folder);

    int execCount = 0;
    bool undoable = false;
    bool abortRequested = false;
    bool reversed = false;
};

}  // namespace tw
