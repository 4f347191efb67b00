#pragma once
// The process-wide log. Passes open titled sections and write their findings there; errors of
// any operation go to the error section with LogError / LogErrorFile. The plain ELog writes
// sections to the standard streams; the application installs an EAppLog (HTML report
// sections in temporary files, plus log.txt).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/Section.h"

namespace tw {

class ELog {
  public:
    // The report sections every layer names (their titles are these string numbers).
    static constexpr int kErrorSectionId = 24999;
    static constexpr int kSyntaxSectionId = 28432;
    static constexpr int kHiddenFilesSectionId = 28419;

    ELog() = default;
    virtual ~ELog();
    ELog(const ELog&) = delete;
    ELog& operator=(const ELog&) = delete;

    // The current log; a plain ELog is created when none is installed.
    static ELog& Instance();
    // Makes `log` current and returns the previous one (may be null).
    static std::unique_ptr<ELog> Install(std::unique_ptr<ELog> log);

    // A section for the title; the caller gives it back with CloseSection when its pass ends.
    virtual ESection* OpenSection(int titleId);
    virtual void CloseSection(ESection* section);
    // Writes the text to the error section (no line end) and to the log file.
    virtual void LogError(std::string_view text);
    // The text, a line end, a tab and a reference to the file, then a line end.
    virtual void LogErrorFile(std::string_view text, std::string_view path);
    virtual void SetLogFileEnabled(bool /*on*/) {}
    virtual void WriteLogFile(std::string_view /*line*/) {}

    // String-number forms of the two error operations.
    void LogError(int id, std::string_view a1 = {}, std::string_view a2 = {});
    void LogErrorFile(int id, std::string_view path);
    void EndErrorLine();
    bool HasErrors() const;
    void ClearErrors();
    std::string ErrorText();

  protected:
    ESection* errorSection_ = nullptr;

  private:
    std::vector<std::unique_ptr<ESection>> openSections_;
};

// Installs a log for the lifetime of the object and restores the previous one afterwards.
class ScopedLog {
  public:
    explicit ScopedLog(std::unique_ptr<ELog> log);
    ~ScopedLog();
    ScopedLog(const ScopedLog&) = delete;
    ScopedLog& operator=(const ScopedLog&) = delete;

  private:
    std::unique_ptr<ELog> previous_;
};

// Makes `log` what ELog::Instance gives on this thread alone, for the object's lifetime: a
// worker's errors are kept apart and told on the main thread in order.
class ScopedThreadLog {
  public:
    explicit ScopedThreadLog(ELog& log);
    ~ScopedThreadLog();
    ScopedThreadLog(const ScopedThreadLog&) = delete;
    ScopedThreadLog& operator=(const ScopedThreadLog&) = delete;

  private:
    ELog* previous_;
};

}  // namespace tw
