#pragma once
// Output channels of the log. A section has a title (a string number) and receives text; it
// writes to a file, to a standard stream, or nowhere. EHtmlSection renders line ends, file
// references and line numbers as HTML for the report files.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tw {

// "&", "<", ">" and '"' as character references.
std::string EscapeHtml(std::string_view text);
// The file URL of an absolute path, every byte outside the safe set percent-encoded.
std::string FileUrl(std::string_view path);

class ESection {
  public:
    enum class Stream { None, StdOut, StdErr };

    // A section bound to a standard stream, or to nothing (every write is dropped).
    ESection(int titleId, Stream stream);
    // A section on a file, opened for appending. When the file cannot be opened the section
    // has no stream; IsOpen tells.
    ESection(int titleId, std::string path);
    virtual ~ESection();
    ESection(const ESection&) = delete;
    ESection& operator=(const ESection&) = delete;

    // Clears the content flag and, for a file section, empties the file.
    virtual void Reset();
    // The whole current file; empty for a section without a file or an unreadable file.
    virtual std::string Contents();
    virtual void WriteFileRef(std::string_view path);
    virtual void EndLine();
    virtual void Write(std::string_view text);
    virtual void WriteLineNo(int line);
    // Text from pages or paths made safe for the section: as it is here, escaped in HTML.
    virtual std::string Escape(std::string_view text) const { return std::string(text); }
    // A syntax error as data, told before its text is written; sections that collect
    // findings (the command line's JSON output) override it.
    virtual void RecordSyntaxError(std::string_view /*path*/, int /*line*/,
                                   std::string_view /*message*/) {}

    void WriteRes(int id, std::string_view a1 = {}, std::string_view a2 = {});
    void WriteAt(int line, std::string_view text);
    void WriteResAt(int line, int id, std::string_view a1 = {}, std::string_view a2 = {});
    void WriteLine(std::string_view text);
    void WriteResLine(int id, std::string_view a1 = {}, std::string_view a2 = {});
    void WriteLineAt(int line, std::string_view text);
    void WriteResLineAt(int line, int id, std::string_view a1 = {}, std::string_view a2 = {});
    void WriteFileRefLine(std::string_view path);
    ESection& ClearContentFlag() {
        hasContent_ = false;
        return *this;
    }
    bool HasContent() const { return hasContent_; }

    int TitleId() const { return titleId_; }
    const std::string& Path() const { return path_; }
    bool IsOpen() const { return stream_ != nullptr; }

  protected:
    static std::string LineNoText(int line);

  private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    void OpenFile(const char* mode);

    std::string path_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::FILE* stream_ = nullptr;  // file_, stdout, stderr or null
    int titleId_ = 0;
    bool hasContent_ = false;
};

class EHtmlSection : public ESection {
  public:
    using ESection::ESection;
    std::string Escape(std::string_view text) const override;
    void WriteFileRef(std::string_view path) override;
    void EndLine() override;
    void WriteLineNo(int line) override;
};

}  // namespace tw
