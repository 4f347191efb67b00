#pragma once
// Moving and copying items step by step, with a journal of what each step did, so that an
// undo reverses exactly those steps: it moves back only what was moved, deletes only what was
// copied, removes only folders it created (and only when empty), and refuses, changing
// nothing, when an item it would act on is gone or was changed since (an item sent to the
// trash and emptied from it since, too). A move never destroys
// a file: it renames without replacing, and across file systems it copies, checks the copy's
// size, and only then removes the source.

#include <string>
#include <vector>

#include "core/platform/FileUtils.h"

namespace tw {

// One item that moved (a file or a folder with everything below it).
struct MovedPath {
    std::string from, to;
};

// Where the item at `path` went after the moves, in order (itself when none took it).
std::string FollowedPath(const std::string& path, const std::vector<MovedPath>& moves);

class ETransferJournal {
  public:
    // A file, link or folder to `to`: renamed when it can be; a folder whose name is taken
    // by a folder, or on another file system, is merged entry by entry.
    bool Move(const std::string& from, const std::string& to);
    // A copy: a folder is made (or merged into) and its entries copied; links stay links.
    // Nothing is ever written over an existing item.
    bool Copy(const std::string& from, const std::string& to);
    // The folder and its missing parents, each one journaled.
    bool MakeFolders(const std::string& path);
    // The item sent to the freedesktop trash, from where an undo puts it back.
    bool Trash(const std::string& path);
    // The symbolic link at `link` made to say `after` instead of `before` (in one step: a new
    // link renamed over it).
    bool Relink(const std::string& link, const std::string& before, const std::string& after);

    bool Empty() const { return steps_.empty(); }
    // Whether a step failed because the disk could not take it (full, or a write error), or
    // its write-ahead record could not be written: the command must stop and reverse.
    bool WriteFailed() const { return writeFailed_; }
    // Whether every item the undo would act on is as the journal left it; logs the first
    // one that is not.
    bool CanReverse() const;
    // Undoes every step, last first, and empties the journal.
    bool Reverse();
    void Clear() {
        steps_.clear();
        writeFailed_ = false;
    }
    // The item at `path` was changed on purpose since its step (a moved page rewritten):
    // its stamp is taken anew.
    void Restamp(const std::string& path) { Restamp(path, StampOf(path)); }
    void Restamp(const std::string& path, const FileStamp& stamp);
    // Where the item now at `path` was before the journal's moves (itself when none moved it):
    // where an undo will put it.
    std::string Origin(const std::string& path) const;
    // The symbolic links these steps re-pointed, where the undo leaves them: an undo makes
    // them anew, so earlier commands take their stamps again.
    std::vector<std::string> RelinkedLinks() const;
    // The moves done, in order (with the items sent to the trash, when asked).
    std::vector<MovedPath> Moves(bool withTrashed = false) const;
    // Items of these steps were moved by a later command that leaves the history: each step
    // finds its item where that command put it.
    void FollowMoves(const std::vector<MovedPath>& moves);
    // An item renamed by other means, recorded as a move so that it can be reversed here.
    void NoteMoved(const std::string& from, const std::string& to) {
        steps_.push_back({Kind::Moved, from, to, StampOf(to)});
    }
    // A folder or item another command made, recorded so that it can be removed here.
    void NoteMade(const std::string& path) {
        FileStamp stamp = StampOf(path);
        steps_.push_back({stamp.isFolder ? Kind::MadeFolder : Kind::Copied, {}, path, stamp});
    }
    // The steps of another journal, done after these.
    void Append(const ETransferJournal& later) {
        steps_.insert(steps_.end(), later.steps_.begin(), later.steps_.end());
    }
    // The journal as text (one step a line) and back, for a journal kept across runs.
    std::string Save() const;
    bool Load(std::string_view text);

  private:
    enum class Kind { Moved, Copied, MadeFolder, RemovedFolder, Relinked, Trashed };
    struct Step {
        Kind kind;
        std::string from, to;  // Relinked: the link's old text, the link; Trashed: the
                               // item's place, where it is in the trash
        FileStamp stamp;       // of `to` just after the step
    };

    // What a write-ahead record returned: false (and the journal's write failed) when the
    // step it announces must not be done.
    bool Announced(bool recorded) {
        writeFailed_ = writeFailed_ || !recorded;
        return recorded;
    }
    bool Merge(const std::string& from, const std::string& to, bool move);
    bool MoveAcross(const std::string& from, const std::string& to, const FileStamp& source);

    std::vector<Step> steps_;
    bool writeFailed_ = false;
};

}  // namespace tw
