#pragma once
// The single-step commands: a new folder, sending to the trash, renaming, making shortcuts
// (symbolic links), and opening a document or starting a program.

#include <string>
#include <vector>

#include "core/platform/FileUtils.h"
#include "engine/commands/Command.h"
#include "engine/commands/Transfer.h"

namespace tw {

// A new folder, with the folders above it that were missing. Its undo removes only those
// folders, and is refused while the new folder holds something put in it since.
class ENewDirCommand : public ECommand {
  public:
    explicit ENewDirCommand(std::string path);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ENewDirCommand"; }
    const std::string& Path() const { return path_; }
    // The folders it made, for an undo in a later run.
    const ETransferJournal& Journal() const { return journal_; }
    // Whether the folder the command made is still empty (else logged: the undo must not
    // take what the user put in it).
    static bool StillEmpty(const std::string& path);

  protected:
    bool DoIt() override;
    bool UndoIt() override;

  private:
    std::string path_;
    ETransferJournal journal_;
};

// Items go to the freedesktop trash; an undo puts them back from there (refused when one is
// no longer in it), a redo trashes them again.
class ETrashCommand : public ECommand {
  public:
    ETrashCommand(std::vector<std::string> sources, std::string folder = {});
    explicit ETrashCommand(std::string source);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ETrashCommand"; }
    const std::vector<std::string>& Sources() const { return sources_; }
    // Where each trashed item went, for an undo in a later run.
    const ETransferJournal& Journal() const { return journal_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;

    std::vector<std::string> sources_;
    ETransferJournal journal_;
    std::string folder_;  // the folder the user was looking at, for the log line
};

class ERenameCommand : public ECommand {
  public:
    ERenameCommand(std::string oldPath, std::string newPath);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ERenameCommand"; }
    const std::string& OldPath() const { return old_; }
    const std::string& NewPath() const { return new_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;

    std::string old_, new_;
    FileStamp renamed_;  // the item at its new name, as the rename left it
};

class EShortcutCommand : public ECommand {
  public:
    EShortcutCommand(std::vector<std::string> sources, std::string target);
    EShortcutCommand(std::string source, std::string target);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "EShortcutCommand"; }
    const std::vector<std::string>& Created() const { return created_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;

    std::vector<std::string> sources_;
    std::vector<std::string> created_;
    std::string target_;
};

// Opens a document (with its program, or with the given one) or starts a program.
class ELaunchAppCommand : public ECommand {
  public:
    ELaunchAppCommand(std::string document, std::string program = {});
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ELaunchAppCommand"; }

  protected:
    bool DoIt() override;

  private:
    std::string document_, program_;
};

}  // namespace tw
