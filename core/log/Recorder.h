#pragma once
// Output kept for later: what a worker thread writes to a section or to the error log is
// recorded and replayed on the main thread, where the real sections live, in the order the
// pages are taken — so a parallel reading writes exactly what a sequential one does.

#include <string>
#include <vector>

#include "core/log/Log.h"
#include "core/log/Section.h"

namespace tw {

class ERecordingSection : public ESection {
  public:
    ERecordingSection() : ESection(0, Stream::None) {}
    void WriteFileRef(std::string_view path) override;
    void EndLine() override;
    void Write(std::string_view text) override;
    void WriteLineNo(int line) override;
    void RecordSyntaxError(std::string_view path, int line, std::string_view message) override;
    // Writes everything recorded into `to`, in order, and forgets it.
    void Replay(ESection& to);
    bool Empty() const { return ops_.empty(); }

  private:
    enum class Op { FileRef, EndLine, Write, LineNo, SyntaxError };
    struct Entry {
        Op op;
        std::string text, path;
        int line = 0;
    };
    std::vector<Entry> ops_;
};

class ERecordingLog : public ELog {
  public:
    void LogError(std::string_view text) override;
    void LogErrorFile(std::string_view text, std::string_view path) override;
    using ELog::LogError;
    using ELog::LogErrorFile;
    // Tells everything recorded to `to`, in order, and forgets it.
    void Replay(ELog& to);

  private:
    struct Entry {
        bool withFile;
        std::string text, path;
    };
    std::vector<Entry> entries_;
};

}  // namespace tw
