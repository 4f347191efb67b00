#include "core/log/AppLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <vector>

#include "core/log/MessageBox.h"
#include "core/platform/ProgramFolders.h"
#include "core/settings/DebugProfile.h"
#include "core/strings/Strings.h"

namespace tw {
namespace {

constexpr int kStatisticsId = 140;

struct SectionStyle {
    int id;
    const char* anchor;  // forced anchor, or null for the caller's
    bool h2;
};

constexpr SectionStyle kStyles[] = {
    {ELog::kErrorSectionId, "errors", true},
    {140, nullptr, true},
    {ELog::kSyntaxSectionId, "syntax", false},
    {28435, "brokenlinks", false},
    {302, "orphans", false},
    {28439, "external", false},
    {28441, "mailtos", false},
    {28442, "loadtimes", false},
};

const SectionStyle* StyleOf(int id) {
    for (const auto& s : kStyles)
        if (s.id == id) return &s;
    return nullptr;
}

bool IsDiscarded(int id) {
    return id == 28438 || id == 28440;
}

std::string TimeStamp() {
    std::time_t now = std::time(nullptr);
    char buf[64];
    std::string text = ctime_r(&now, buf) ? buf : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// Keeps only the last `keep` bytes of a file that has grown beyond `max`.
void CutBack(const std::string& path, long max, long keep) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || st.st_size <= max) return;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    std::vector<char> tail(static_cast<std::size_t>(keep));
    bool ok = std::fseek(f, -keep, SEEK_END) == 0 &&
              std::fread(tail.data(), 1, tail.size(), f) == tail.size();
    std::fclose(f);
    if (!ok) return;
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(tail.data(), 1, tail.size(), out);
        std::fclose(out);
    }
}

}  // namespace

EAppLog::EAppLog() : discardSection_(std::make_unique<ESection>(0, ESection::Stream::None)) {
    if (DebugProfile::ReadBool("1EnableLogging")) SetLogFileEnabled(true);
}

EAppLog::~EAppLog() {
    for (auto* owned : {&reportSection_, &errorOwned_}) {
        if (!*owned) continue;
        std::string path = (*owned)->Path();
        owned->reset();
        if (!path.empty()) ::unlink(path.c_str());
    }
    errorSection_ = nullptr;
    discardSection_.reset();
    SetLogFileEnabled(false);
}

std::string EAppLog::LogFilePath() {
    return ProgramSubfolder(LoadString(30050)) + "log.txt";
}

std::string EAppLog::RecaseTitle(std::string_view title) {
    std::string out;
    std::size_t i = 0;
    while (i < title.size()) {
        while (i < title.size() && title[i] == ' ') ++i;
        if (i >= title.size()) break;
        std::size_t end = title.find(' ', i);
        if (end == std::string_view::npos) end = title.size();
        std::string word(title.substr(i, end - i));
        if (word != "HTML" && word != "URL" && static_cast<unsigned char>(word[0]) < 'a') {
            for (char& c : word)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if (word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
        }
        out += word;
        out += ' ';
        i = end;
    }
    return out;
}

std::unique_ptr<EHtmlSection> EAppLog::NewTempSection(int titleId) {
    std::string path = CreateTempFile("tw_");
    auto section = std::make_unique<EHtmlSection>(titleId, path);
    if (!section->IsOpen()) {
        ShowMessageBox(LoadString(30032));
        // Without a file the text has nowhere to go: the section discards it.
        section = std::make_unique<EHtmlSection>(titleId, ESection::Stream::None);
        if (!path.empty()) ::unlink(path.c_str());
    }
    return section;
}

ESection* EAppLog::OpenAnchoredSection(std::string_view anchor, int titleId) {
    std::string_view title = LoadString(titleId);
    while (!title.empty() && title.back() == ' ') title.remove_suffix(1);
    if (IsDiscarded(titleId)) return discardSection_.get();

    ESection* section;
    if (titleId == kErrorSectionId) {
        if (errorSection_)
            errorSection_->Reset();
        else
            errorOwned_ = NewTempSection(titleId);
        errorSection_ = errorOwned_.get();
        section = errorSection_;
    } else {
        if (reportSection_ && titleId == kStatisticsId) reportSection_->Reset();
        if (!reportSection_) reportSection_ = NewTempSection(titleId);
        section = reportSection_.get();
    }

    const SectionStyle* style = StyleOf(titleId);
    if (style && style->anchor) anchor = style->anchor;
    if (!anchor.empty()) section->WriteRes(312, anchor);
    if (title.empty()) {
        section->WriteLine("<p>&nbsp;</p>");
    } else {
        bool h2 = style && style->h2;
        section->Write(h2 ? "<h2>" : "<h3>");
        section->Write(RecaseTitle(title));
        section->Write(h2 ? "</h2><p>" : "</h3><p>");
    }
    section->ClearContentFlag();
    return section;
}

void EAppLog::CloseSection(ESection* /*section*/) {
    if (reportSection_ && reportSection_->HasContent()) reportSection_->Write("</p><p>&nbsp;</p>");
}

void EAppLog::SetLogFileEnabled(bool on) {
    if (on && !logFileSection_) {
        std::string path = LogFilePath();
        CutBack(path, kLogMaxBytes, kLogKeepBytes);
        logFileSection_ = std::make_unique<ESection>(0, path);
        if (!logFileSection_->IsOpen()) {
            ShowMessageBox(LoadString(30032));
            logFileSection_ = std::make_unique<ESection>(0, ESection::Stream::None);
        }
        WriteLogFile("#" + std::string(60, '-'));
        WriteLogFile("# Started: " + TimeStamp());
    } else if (!on && logFileSection_) {
        WriteLogFile("# Stopped: " + TimeStamp());
        logFileSection_.reset();
    }
}

void EAppLog::WriteLogFile(std::string_view line) {
    if (!logFileSection_) return;
    if (line.empty() || line.front() != '#') logFileSection_->EndLine();
    logFileSection_->WriteLine(line);
}

}  // namespace tw
