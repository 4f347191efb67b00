#pragma once
// The write-ahead record of a command in progress. Before a command changes anything it says
// in the record what it is about to do: each move, copy and folder made or removed, and for
// each page it rewrites the page's size and hash before and after and the old bytes of every
// changed span. The record is flushed to the disk before the change it announces (pages: once,
// before the first is replaced), and marked complete after the last change. A record left
// incomplete by a crash, a kill or a power cut is rolled back at the next start
// (Recovery.h). The format is described for people in docs/journal.md.
//
// One record per process, in the Config folder, named "pending-PID.txt", locked while its
// process lives so that no other process rolls back a command still running. Outside a
// command (no Scope open) every call does nothing and says yes.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/PageRewrite.h"

namespace tw {

class EWriteAhead {
  public:
    static EWriteAhead& Instance();

    // A command's run (or undo, or redo), with the journal write that ends it. The first Scope
    // opens the record; one opened inside it joins it. Ok() is false when the record could not
    // be written: nothing may be changed then. The record is marked complete and removed when
    // the outer Scope ends (or at Complete); a process that dies midway, or an exception
    // (out of memory) that unwinds the Scope, leaves it to be rolled back.
    class Scope {
      public:
        explicit Scope(std::string_view command);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool Ok() const { return ok_; }
        void Complete();

      private:
        bool outer_ = false, ok_ = true;
        int exceptions_ = 0;
    };

    bool Active() const { return fd_ >= 0; }
    // The errors met while recording: an append that failed makes every later call fail too,
    // so the command stops changing things and reverses what it did.
    bool Failed() const { return failed_; }

    // Each says what is about to happen and is flushed before it returns; false when it
    // could not be recorded (the caller must then not do it).
    bool Move(const std::string& from, const std::string& to);        // a rename
    bool MoveAcross(const std::string& from, const std::string& to);  // copy, then remove
    bool Copy(const std::string& from, const std::string& to);        // `to` is new
    bool Uncopy(const std::string& from, const std::string& to);      // a copy is removed
    bool MakeFolder(const std::string& path);
    bool RemoveFolder(const std::string& path);  // an empty folder
    // The symbolic link made to say `after` instead of `before`.
    bool Relink(const std::string& link, const std::string& before, const std::string& after);
    // A page about to be replaced through `temp`; the splices give its old bytes back from the
    // new. Written at once but flushed by SyncPages, before the first page is replaced.
    bool Page(const std::string& page, const std::string& temp, const ContentCheck& before,
              const ContentCheck& after, const std::vector<Splice>& undo);
    bool SyncPages();
    // A small file about to be replaced as a whole (the command journal): its old version is
    // kept, hard-linked beside it, until the record is complete.
    bool KeepOld(const std::string& path);

    // Where the records live, and the prefix and suffix of their names.
    static std::string Folder();
    static constexpr std::string_view kPrefix = "pending-", kSuffix = ".txt";
    // The first line of every record (its format's name and version).
    static constexpr std::string_view kHeader = "tidewright-pending 1";

  private:
    EWriteAhead() = default;
    bool Open(std::string_view command);
    // Marks the record complete and removes it; or, abandoned, leaves it.
    void Close(bool complete = true);
    bool Append(std::string_view line, bool flush);

    int fd_ = -1;
    int depth_ = 0;
    bool failed_ = false;
    std::string path_;
    std::vector<std::string> kept_;  // old versions to remove once complete
};

// A test hook: with TIDEWRIGHT_KILL_AT=N in the environment the process kills itself
// (SIGKILL) at the N-th point where a crash could leave work half done: after each record,
// after each file operation. Costs one counter increment otherwise.
void CrashPoint();

}  // namespace tw
