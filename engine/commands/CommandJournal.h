#pragma once
// The commands run from the command line, kept in a file so that a later run can undo or
// redo them: each command's log line, the site it ran on, its transfer steps, and for every
// page it rewrote the old bytes of each changed span with the page's stamp. An undo refuses,
// changing nothing, when any of those files changed since. The file is replaced atomically
// (written beside itself, flushed, renamed), so a crash leaves the old or the new journal.
// Each entry ends with a checksum of its lines, so that an entry damaged since (cut short,
// edited) is known as such and never undone from.

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/FileLock.h"
#include "core/platform/FileUtils.h"
#include "engine/commands/PageRewrite.h"

namespace tw {

struct JournalEntry {
    std::string command;                 // the command's Serialize line
    std::string site, homePage, server;  // the site it ran on
    std::int64_t time = 0;               // when it ran (seconds since 1970; 0: not known)
    bool undone = false;
    std::string steps;  // ETransferJournal::Save
    struct Page {
        std::string path;
        FileStamp stamp;
        std::vector<Splice> undo;  // the old bytes at the new spans
        ContentCheck after;        // the bytes the command left (none in older journals)
    };
    std::vector<Page> pages;
    // Read back with a checksum that does not match its text (a journal cut short or
    // changed by hand): it must not be undone or redone from.
    bool damaged = false;
};

class ECommandJournal {
  public:
    static constexpr std::size_t kKeep = 50;  // the newest entries kept

    // The journal in the program's Config folder.
    ECommandJournal();
    explicit ECommandJournal(std::string path) : path_(std::move(path)) {}
    // Where the journal of the Config folder is.
    static std::string DefaultPath();

    // Held while the journal is read, changed and written, so that two commands ending at
    // once both find their entry in it. Waits as long as it takes (the holder only reads and
    // writes the journal); re-entrant within the process.
    static EFileLock Lock();

    // Every entry, oldest first; empty when there is no journal yet. False when it cannot be
    // read as a journal.
    bool Read(std::vector<JournalEntry>& entries) const;
    bool Write(const std::vector<JournalEntry>& entries) const;
    // A new command: entries of its site undone before it can no longer be redone. Takes the
    // lock.
    bool Add(JournalEntry entry) const;
    // The files at `paths` were given back their bytes as the commands not undone left them
    // (by an undo, or by rolling back an interrupted command): their stamps are taken anew,
    // so that those commands can still be undone.
    static void Restamp(std::vector<JournalEntry>& entries, const std::vector<std::string>& paths);
    bool Restamp(const std::vector<std::string>& paths) const;  // takes the lock
    // Whether the entry ran on the site whose real folder is `folder`.
    static bool OnSite(const JournalEntry& entry, const std::string& folder);
    // Entry `dropped` leaves the history; the older entries of its site follow the items it
    // moved, so that their undos find them where they are.
    static void Drop(std::vector<JournalEntry>& entries, std::size_t dropped);

  private:
    std::string path_;
};

}  // namespace tw
