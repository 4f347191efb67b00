#pragma once
// The commands the front ends build: each wraps a plain file command so that the tracked site
// holding the items stays true to the disk. A move or rename inside one site rewrites every
// page that refers to what moved (LinkUpdate.h), and its undo gives every page back byte for
// byte; items that enter or leave a site gain or lose their nodes. A cancel while links are
// updated asks whether to reverse the whole command, or to end tracking of the site.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/commands/FileCommands.h"
#include "engine/commands/LinkUpdate.h"
#include "engine/commands/TransferCommands.h"

namespace tw {

class EAppSite;

// The command a log line describes (any class of the family), or null.
std::unique_ptr<ECommand> CommandFromLine(std::string_view line);

// Nodes for items that now exist (a folder with everything in it).
void AddNewNodes(const std::vector<std::string>& paths, EAppSite& site);
// Items gone from disk lose their nodes; a site whose home page is gone stops being tracked.
void RemoveVanishedNodes(const std::vector<std::string>& paths, EAppSite& site);

class ESiteRenameCommand : public ERenameCommand {
  public:
    using ERenameCommand::ERenameCommand;
    std::string GetClassName() const override { return "ESiteRenameCommand"; }
    const ELinkUpdate* LinkUpdate() const { return update_ ? &*update_ : nullptr; }
    // The symbolic links the rename pointed again at what they led to.
    const ETransferJournal& Relinks() const { return relinks_; }
    std::vector<std::string> RewrittenFiles() const override;
    void Restamp(const std::string& path, const FileStamp& stamp) override;
    std::string OriginOf(const std::string& path) const override;

  protected:
    bool DoIt() override;
    bool UndoIt() override;

  private:
    std::optional<ELinkUpdate> update_;
    ETransferJournal relinks_;
};

class ESiteCopyCommand : public ECopyCommand {
  public:
    using ECopyCommand::ECopyCommand;
    std::string GetClassName() const override { return "ESiteCopyCommand"; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

class ESiteDuplicateCommand : public EDuplicateCommand {
  public:
    using EDuplicateCommand::EDuplicateCommand;
    std::string GetClassName() const override { return "ESiteDuplicateCommand"; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

class ESiteShortcutCommand : public EShortcutCommand {
  public:
    using EShortcutCommand::EShortcutCommand;
    std::string GetClassName() const override { return "ESiteShortcutCommand"; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

class ESiteTrashCommand : public ETrashCommand {
  public:
    using ETrashCommand::ETrashCommand;
    std::string GetClassName() const override { return "ESiteTrashCommand"; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

// A move that keeps the links of a tracked site: within one site every page that refers to
// what moved is rewritten (and given back on undo); between sites, or in or out of one, the
// items gain or lose their nodes. `Move` is the plain move it wraps.
template <class Move>
class TSiteMove : public Move {
  public:
    using Move::Move;
    // The pages rewritten by the last run, and the ones that could not be.
    const ELinkUpdate* LinkUpdate() const { return update_ ? &*update_ : nullptr; }
    std::vector<std::string> RewrittenFiles() const override;
    void Restamp(const std::string& path, const FileStamp& stamp) override;
    std::string OriginOf(const std::string& path) const override;

  protected:
    bool DoIt() override;
    bool UndoIt() override;
    // The site the moved items come from.
    virtual EAppSite* SourceSite() const;

  private:
    std::optional<ELinkUpdate> update_;
    std::vector<std::string>
        folderNodes_;  // folders the move made inside the site, outermost first
};

class ESiteMoveCommand : public TSiteMove<EMoveCommand> {
  public:
    using TSiteMove::TSiteMove;
    std::string GetClassName() const override { return "ESiteMoveCommand"; }

  protected:
    std::unique_ptr<GUIProgress> ProgressFor(int items) override;
};

// Orphans moved to a folder, each keeping its place below the root folder (the site's folder);
// links among them are rewritten when the folder lies in the same site.
class EMoveOrphansCommand : public TSiteMove<EMoveHierCommand> {
  public:
    using TSiteMove::TSiteMove;
    std::string GetName() const override;
    std::string GetClassName() const override { return "EMoveOrphansCommand"; }

  protected:
    EAppSite* SourceSite() const override;
};

// Orphans sent to the trash: as any trash, never undone here (the user restores from the trash).
class ETrashOrphansCommand : public ESiteTrashCommand {
  public:
    using ESiteTrashCommand::ESiteTrashCommand;
    std::string GetName() const override;
    std::string GetClassName() const override { return "ETrashOrphansCommand"; }
};

}  // namespace tw
