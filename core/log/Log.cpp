#include "core/log/Log.h"

#include <algorithm>
#include <utility>

#include "core/strings/Strings.h"

namespace tw {
namespace {

std::unique_ptr<ELog>& Current() {
    static std::unique_ptr<ELog> log;
    return log;
}

// A worker thread's own log (see ScopedThreadLog); null on every other thread.
thread_local ELog* threadLog = nullptr;

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

ELog::~ELog() {
    errorSection_ = nullptr;
}

ELog& ELog::Instance() {
    if (threadLog) return *threadLog;
    if (!Current()) Current() = std::make_unique<ELog>();
    return *Current();
}

std::unique_ptr<ELog> ELog::Install(std::unique_ptr<ELog> log) {
    return std::exchange(Current(), std::move(log));
}

ESection* ELog::OpenSection(int titleId) {
    auto stream = titleId == kErrorSectionId ? ESection::Stream::StdErr : ESection::Stream::StdOut;
    auto& section = openSections_.emplace_back(std::make_unique<ESection>(titleId, stream));
    std::string_view title = TrimRight(LoadString(titleId));
    if (!title.empty()) {
        const std::string rule(80, '-');
        section->WriteLine(rule);
        section->WriteLine(title);
        section->WriteLine(rule);
        section->ClearContentFlag();
    }
    return section.get();
}

void ELog::CloseSection(ESection* section) {
    if (section == errorSection_) errorSection_ = nullptr;
    std::erase_if(openSections_, [&](const auto& s) { return s.get() == section; });
}

void ELog::LogError(std::string_view text) {
    if (!errorSection_) errorSection_ = OpenSection(kErrorSectionId);
    errorSection_->Write(text);
    WriteLogFile(text);
}

void ELog::LogErrorFile(std::string_view text, std::string_view path) {
    LogError(text);
    EndErrorLine();
    LogError("\t");
    errorSection_->WriteFileRef(path);
    WriteLogFile(path);
    EndErrorLine();
}

void ELog::LogError(int id, std::string_view a1, std::string_view a2) {
    LogError(std::string_view(LoadMessage(id, {a1, a2})));
}

void ELog::LogErrorFile(int id, std::string_view path) {
    LogErrorFile(std::string_view(LoadString(id)), path);
}

void ELog::EndErrorLine() {
    if (!errorSection_) errorSection_ = OpenSection(kErrorSectionId);
    errorSection_->EndLine();
}

bool ELog::HasErrors() const {
    return errorSection_ && errorSection_->HasContent();
}

void ELog::ClearErrors() {
    if (errorSection_) errorSection_->Reset();
}

std::string ELog::ErrorText() {
    return errorSection_ ? errorSection_->Contents() : std::string();
}

ScopedLog::ScopedLog(std::unique_ptr<ELog> log) : previous_(ELog::Install(std::move(log))) {}

ScopedLog::~ScopedLog() {
    ELog::Install(std::move(previous_));
}

ScopedThreadLog::ScopedThreadLog(ELog& log) : previous_(threadLog) {
    threadLog = &log;
}

ScopedThreadLog::~ScopedThreadLog() {
    threadLog = previous_;
}

}  // namespace tw
