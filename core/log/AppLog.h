#pragma once
// The application's log: titled sections become HTML fragments in temporary files (one shared
// report file, one error file) that reports and the error dialog read back, and every command
// and error is appended to log.txt in the Config folder while logging is enabled.

#include <memory>
#include <string>
#include <string_view>

#include "core/log/Log.h"

namespace tw {

class EAppLog : public ELog {
  public:
    // log.txt is cut back to its last kLogKeepBytes when it has grown beyond kLogMaxBytes.
    static constexpr long kLogMaxBytes = 204800;
    static constexpr long kLogKeepBytes = 163840;

    EAppLog();
    ~EAppLog() override;

    ESection* OpenSection(int titleId) override { return OpenAnchoredSection({}, titleId); }
    // Sections are owned by the log; closing one only ends its paragraph.
    void CloseSection(ESection* section) override;
    void SetLogFileEnabled(bool on) override;
    void WriteLogFile(std::string_view line) override;
    ESection* OpenAnchoredSection(std::string_view anchor, int titleId);
    // The file every titled section shares, as it stands (null before the first section).
    ESection* ReportSection() const { return reportSection_.get(); }

    static std::string LogFilePath();
    bool IsLogFileOpen() const { return logFileSection_ != nullptr; }
    // "BROKEN LINKS:" becomes "Broken Links: "; "HTML" and "URL" keep their capitals.
    static std::string RecaseTitle(std::string_view title);

  private:
    std::unique_ptr<EHtmlSection> NewTempSection(int titleId);

    std::unique_ptr<EHtmlSection> reportSection_;
    std::unique_ptr<EHtmlSection> errorOwned_;
    std::unique_ptr<ESection> logFileSection_;
    std::unique_ptr<ESection> discardSection_;
};

}  // namespace tw
