#pragma once
// Rewriting a page in place: the bytes of given spans are replaced and every other byte is
// kept. The new content goes to a temporary file in the page's own folder, is flushed, takes
// the page's owner, group and permission bits and is renamed over the page, so no failure
// leaves a half-written page. A page that is a symbolic link is rewritten where it points, and
// a page with other hard links (or whose owner cannot be given to a new file) is written in
// place, its old bytes being in the write-ahead record first, so that it stays the same file.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/FileUtils.h"
#include "core/platform/Flusher.h"

namespace tw {

// Size and 64-bit hash of a page's bytes: enough to tell which of two known versions a file
// holds after a crash (the hash is spelled out in docs/journal.md).
struct ContentCheck {
    std::uint64_t size = 0, hash = 0;
    static ContentCheck Of(std::string_view bytes);
    bool operator==(const ContentCheck&) const = default;
    std::string ToText() const;
    static ContentCheck FromText(std::string_view text);
};

struct Splice {
    std::uint32_t start = 0;  // first byte replaced
    std::uint32_t end = 0;    // one past the last byte replaced
    std::string text;         // what goes there
};

// Rewrites many pages as one step: each new page is written beside its page, the new files
// are flushed (several at once, and nothing else of the file system), then each is renamed
// over its page and the folders are flushed. Pages staged but not committed are left as they
// were.
class EPageWriter {
  public:
    EPageWriter() = default;
    ~EPageWriter();
    EPageWriter(const EPageWriter&) = delete;
    EPageWriter& operator=(const EPageWriter&) = delete;

    // The page's bytes as read (`content`) with the splices applied (sorted by start, not
    // overlapping); `previous` receives the bytes each splice replaced. False, logged, when
    // the new page could not be written.
    bool Stage(const std::string& page, const std::string& content,
               const std::vector<Splice>& splices, std::vector<std::string>* previous = nullptr);
    // Stage with the page read here.
    bool StageFile(const std::string& page, const std::vector<Splice>& splices,
                   std::vector<std::string>* previous = nullptr);
    // Pages whose real file lies outside this folder are refused (a page reached through a
    // symbolic link to elsewhere is the user's file, not the site's).
    void SetSiteFolder(const std::string& folder);
    // The size and hash of the bytes the last Stage wrote.
    const ContentCheck& LastWritten() const { return lastWritten_; }
    // Why the last Stage refused its page, for people ("not rewritten: ..."); empty after a
    // write failure, which the log tells.
    const std::string& Refusal() const { return refusal_; }

    // Replaces every staged page (telling `replaced` of each, for progress); returns the pages
    // that could not be replaced (logged).
    std::vector<std::string> Commit(const std::function<void(const std::string&)>& replaced = {});
    bool Empty() const { return staged_.empty(); }
    // Whether a page could not be staged or committed because a write failed (a full disk,
    // an I/O error, or the write-ahead record): the command must stop and reverse.
    bool WriteFailed() const { return writeFailed_; }

  private:
    struct Staged {
        std::string page, target, temp;
        bool inPlace = false;
        std::string bytes;  // the new bytes, for a page written in place
    };
    bool Replace(Staged& staged);

    std::vector<Staged> staged_;
    std::unique_ptr<EFlusher> flusher_;  // the staged files, flushed while others are written
    std::string siteFolder_, refusal_;
    ContentCheck lastWritten_;
    bool writeFailed_ = false;
};

// A page a command rewrote: where it is, how to give it back, and its stamp after the write.
struct PageChange {
    std::string path;
    std::vector<Splice> undo;  // the old texts at the new spans
    int links = 0;             // URLs rewritten
    FileStamp stamp;
    ContentCheck after;  // the bytes the command left: an undo gives back only these
};

// The content with the splices (sorted, not overlapping, inside it) applied.
std::string Spliced(const std::string& content, const std::vector<Splice>& splices);

// The splices that give back what `splices` replaced (`previous`), placed in the new content.
std::vector<Splice> UndoSplices(const std::vector<Splice>& splices,
                                const std::vector<std::string>& previous);
// Stages a page's new bytes for a command, once the page may be written (EnsureWritable),
// and returns how to give it back; nothing (logged) when it may not or could not be, with the
// reason in `why` ("PAGE: not rewritten: ...") when given.
std::optional<PageChange> StageChange(EPageWriter& writer, const std::string& page,
                                      const std::string& content,
                                      const std::vector<Splice>& splices,
                                      std::string* why = nullptr);
// After a commit: the changes whose page was replaced (not among `notReplaced`) stay and take
// their page's stamp, the others are dropped; whether each one stayed, in the old order.
std::vector<bool> SettleCommitted(std::vector<PageChange>& changes,
                                  const std::vector<std::string>& notReplaced);
// Whether the file holds the bytes `after` says (its content decides, not its time or size).
bool HoldsContent(const std::string& path, const ContentCheck& after);
// Whether every page is still as the command left it (logs the first that is not).
bool PagesAsLeft(const std::vector<PageChange>& changes);
// Gives every page its old bytes, as one step; the list is emptied. When a write fails before
// the step nothing changes, the list stays and false is returned.
bool RestorePages(std::vector<PageChange>& changes);

// One page read, spliced and replaced as above. False, with the reason logged and the page
// untouched, when it could not.
bool RewritePage(const std::string& path, const std::vector<Splice>& splices,
                 std::vector<std::string>* previous = nullptr);

// Whether the page may be rewritten: a read-only page is made writable when the user agrees
// (the answer "to all" is remembered for the rest of the run). Logged either way.
bool EnsureWritable(const std::string& path);

}  // namespace tw
