#pragma once
// The single-step commands: a new folder, sending to the trash, renaming, making shortcuts
// (symbolic links), and opening a document or starting a program.

#include <string>
#include <vector>

#include "core/platform/FileUtils.h"
#include "engine/commands/Command.h"

namespace tw {

class ENewDirCommand : public ECommand {
  public:
    explicit ENewDirCommand(std::string path);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ENewDirCommand"; }
    int LevelsCreated() const { return levels_; }
    const std::string& Path() const { return path_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;

  private:
    std::string path_;
    int levels_ = 0;
    int runs_ = 0;
};

// Items go to the trash, from where the user restores them: never undoable here.
class ETrashCommand : public ECommand {
  public:
    ETrashCommand(std::vector<std::string> sources, std::string folder = {});
    explicit ETrashCommand(std::string source);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "ETrashCommand"; }
    const std::vector<std::string>& Sources() const { return sources_; }

  protected:
    bool DoIt() override;

    std::vector<std::string> sources_;
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
