#pragma once
// Commands that move or copy items: move, move keeping a hierarchy (orphans), copy and
// duplicate in place. Each transfer goes through a journal (Transfer.h), so an undo reverses
// exactly what was done; a name already taken at the destination is settled by the overwrite
// step (the user's choice, or the policy chosen "for all" earlier in the command).

#include <memory>
#include <string>
#include <vector>

#include "engine/commands/Command.h"
#include "engine/commands/Transfer.h"
#include "engine/services/UiServices.h"

namespace tw {

class GUIProgress;

// What the move and copy commands share: sources, target folder, destinations, journal and
// the overwrite state.
class ETransferCommand : public ECommand {
  public:
    const std::vector<std::string>& Sources() const { return sources_; }
    const std::vector<std::string>& Destinations() const { return destinations_; }
    // The items that went whole to their destination in the last run.
    const std::vector<MovedPath>& Transferred() const { return transferred_; }
    // The sources the last run left where they were, each as "SOURCE: why".
    const std::vector<std::string>& Skipped() const { return skipped_; }
    const std::string& TargetFolder() const { return target_; }
    const ETransferJournal& Journal() const { return journal_; }
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;

  protected:
    ETransferCommand(std::vector<std::string> sources, std::string target);

    // Whether a source may not go to the target folder: the target itself, the folder that
    // already holds it, or a folder inside it.
    // Why the source cannot go into the target folder; null when it can.
    const char* Refusal(const std::string& source) const;
    // Settles a name already taken at `to` (which a rename may change); false: skip the item.
    bool OverwriteStep(const std::string& from, std::string& to);
    // The progress a transfer of this many items shows: silent here; the site commands show
    // a window for large transfers.
    virtual std::unique_ptr<GUIProgress> ProgressFor(int items);
    // Runs `transfer` for each source not refused, recording destinations; the result.
    template <typename Transfer>
    bool ForEachSource(int titleId, Transfer transfer);
    bool UndoJournal(int titleId);

    std::vector<std::string> sources_;
    std::vector<std::string> destinations_;
    std::vector<MovedPath> transferred_;
    std::vector<std::string> skipped_;
    std::string target_;  // with a trailing separator
    ETransferJournal journal_;
    bool ask_ = true;
    OverwritePolicy policy_;
};

class EMoveCommand : public ETransferCommand {
  public:
    EMoveCommand(std::vector<std::string> sources, std::string target);
    EMoveCommand(std::string source, std::string target);
    std::string GetName() const override;
    std::string GetClassName() const override { return "EMoveCommand"; }
    virtual bool TransferOne(const std::string& from, const std::string& to);

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

// A move that keeps each source's place below a root folder: the root's name (made free) is
// created in the target folder, and each source goes to the same place below it.
class EMoveHierCommand : public EMoveCommand {
  public:
    EMoveHierCommand(std::vector<std::string> sources, std::string root, std::string target);
    std::string GetName() const override;
    std::string GetClassName() const override { return "EMoveHierCommand"; }
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    const std::string& RootFolder() const { return root_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;
    std::unique_ptr<GUIProgress> ProgressFor(int items) override;

  private:
    std::string root_;     // with a trailing separator
    std::string movedTo_;  // the folder DoIt made for the hierarchy
};

class ECopyCommand : public ETransferCommand {
  public:
    ECopyCommand(std::vector<std::string> sources, std::string target);
    ECopyCommand(std::string source, std::string target);
    std::string GetName() const override;
    std::string GetClassName() const override { return "ECopyCommand"; }
    virtual bool TransferOne(const std::string& from, const std::string& to);

  protected:
    bool DoIt() override;
    bool UndoIt() override;
};

// Copies each item next to the first one, under a free " Copy" name.
class EDuplicateCommand : public ECommand {
  public:
    explicit EDuplicateCommand(std::vector<std::string> sources);
    explicit EDuplicateCommand(std::string source);
    std::string GetName() const override;
    std::string Serialize() const override;
    bool Deserialize(std::string_view line) override;
    std::string GetClassName() const override { return "EDuplicateCommand"; }
    const std::vector<std::string>& Destinations() const { return destinations_; }
    const std::vector<std::string>& Sources() const { return sources_; }
    const ETransferJournal& Journal() const { return journal_; }

  protected:
    bool DoIt() override;
    bool UndoIt() override;

  private:
    std::vector<std::string> sources_;
    std::vector<std::string> destinations_;
    ETransferJournal journal_;
};

}  // namespace tw
