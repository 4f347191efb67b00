#include "core/log/Recorder.h"

namespace tw {

void ERecordingSection::WriteFileRef(std::string_view path) {
    ops_.push_back({Op::FileRef, {}, std::string(path), 0});
}

void ERecordingSection::EndLine() {
    ops_.push_back({Op::EndLine, {}, {}, 0});
}

void ERecordingSection::Write(std::string_view text) {
    if (!text.empty()) ops_.push_back({Op::Write, std::string(text), {}, 0});
}

void ERecordingSection::WriteLineNo(int line) {
    ops_.push_back({Op::LineNo, {}, {}, line});
}

void ERecordingSection::RecordSyntaxError(std::string_view path, int line,
                                          std::string_view message) {
    ops_.push_back({Op::SyntaxError, std::string(message), std::string(path), line});
}

void ERecordingSection::Replay(ESection& to) {
    for (const Entry& e : ops_) {
        switch (e.op) {
            case Op::FileRef:
                to.WriteFileRef(e.path);
                break;
            case Op::EndLine:
                to.EndLine();
                break;
            case Op::Write:
                to.Write(e.text);
                break;
            case Op::LineNo:
                to.WriteLineNo(e.line);
                break;
            case Op::SyntaxError:
                to.RecordSyntaxError(e.path, e.line, e.text);
                break;
        }
    }
    ops_.clear();
}

void ERecordingLog::LogError(std::string_view text) {
    entries_.push_back({false, std::string(text), {}});
}

void ERecordingLog::LogErrorFile(std::string_view text, std::string_view path) {
    entries_.push_back({true, std::string(text), std::string(path)});
}

void ERecordingLog::Replay(ELog& to) {
    for (const Entry& e : entries_) {
        if (e.withFile)
            to.LogErrorFile(e.text, e.path);
        else
            to.LogError(e.text);
    }
    entries_.clear();
}

}  // namespace tw
