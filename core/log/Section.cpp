#include "core/log/Section.h"

#include "core/strings/Strings.h"

namespace tw {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string FileUrl(std::string_view path) {
    std::string out = "file://";
    if (path.empty() || path.front() != '/') out += '/';
    return out + PercentEncodePath(path);
}

ESection::ESection(int titleId, Stream stream) : titleId_(titleId) {
    if (stream == Stream::StdOut) stream_ = stdout;
    if (stream == Stream::StdErr) stream_ = stderr;
}

ESection::ESection(int titleId, std::string path) : path_(std::move(path)), titleId_(titleId) {
    OpenFile("ab");
}

ESection::~ESection() {
    if (stream_ && !file_) std::fflush(stream_);
}

void ESection::OpenFile(const char* mode) {
    file_.reset();  // flush and close before the file is opened anew
    file_.reset(path_.empty() ? nullptr : std::fopen(path_.c_str(), mode));
    stream_ = file_.get();
}

void ESection::Reset() {
    hasContent_ = false;
    if (file_) OpenFile("wb");
}

std::string ESection::Contents() {
    if (path_.empty()) return {};
    bool wasOpen = file_ != nullptr;
    if (wasOpen) {
        file_.reset();
        stream_ = nullptr;
    }
    std::string text;
    if (std::FILE* f = std::fopen(path_.c_str(), "rb")) {
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    if (wasOpen) OpenFile("ab");
    return text;
}

void ESection::WriteFileRef(std::string_view path) {
    Write(path);
}

void ESection::EndLine() {
    if (!stream_) return;
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void ESection::Write(std::string_view text) {
    if (text.empty() || !stream_) return;
    std::fwrite(text.data(), 1, text.size(), stream_);
    hasContent_ = true;
}

std::string ESection::LineNoText(int line) {
    return FormatPrintf("   line %4d: ", line);
}

void ESection::WriteLineNo(int line) {
    Write(LineNoText(line));
}

void ESection::WriteRes(int id, std::string_view a1, std::string_view a2) {
    Write(LoadMessage(id, {a1, a2}));
}

void ESection::WriteAt(int line, std::string_view text) {
    WriteLineNo(line);
    Write(text);
}

void ESection::WriteResAt(int line, int id, std::string_view a1, std::string_view a2) {
    WriteLineNo(line);
    WriteRes(id, a1, a2);
}

void ESection::WriteLine(std::string_view text) {
    Write(text);
    EndLine();
}

void ESection::WriteResLine(int id, std::string_view a1, std::string_view a2) {
    WriteRes(id, a1, a2);
    EndLine();
}

void ESection::WriteLineAt(int line, std::string_view text) {
    WriteAt(line, text);
    EndLine();
}

void ESection::WriteResLineAt(int line, int id, std::string_view a1, std::string_view a2) {
    WriteResAt(line, id, a1, a2);
    EndLine();
}

void ESection::WriteFileRefLine(std::string_view path) {
    WriteFileRef(path);
    EndLine();
}

std::string EHtmlSection::Escape(std::string_view text) const {
    return EscapeHtml(text);
}

void EHtmlSection::WriteFileRef(std::string_view path) {
    // A file URL a browser on this system opens ("file:///home/a%20b.htm"), and the path as
    // text: a name holding "<" or "&" must not become markup.
    Write("<a href=\"" + FileUrl(path) + "\">" + EscapeHtml(path) + "</a>");
}

void EHtmlSection::EndLine() {
    if (!IsOpen()) return;
    Write("<br>");
    ESection::EndLine();
}

void EHtmlSection::WriteLineNo(int line) {
    std::string text;
    for (char c : LineNoText(line)) {
        if (c == ' ')
            text += "&nbsp;";
        else
            text += c;
    }
    Write(text);
}

}  // namespace tw
