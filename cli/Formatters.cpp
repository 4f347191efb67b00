#include "cli/Formatters.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>

#include "core/strings/CaseFold.h"

namespace tw::cli {
namespace {}  // namespace

// Appends a JSON string literal. The output is always UTF-8: each byte that is not part of a
// UTF-8 sequence becomes U+FFFD (the text format keeps the bytes as they are).
void JsonString(std::string& out, std::string_view s) {
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (c < 0x20) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", c);
                        out += buf;
                    } else {
                        out += static_cast<char>(c);
                    }
            }
            ++i;
            continue;
        }
        char32_t cp = 0;
        if (std::size_t len = DecodeUtf8(s, i, cp)) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
}

namespace {

void Flush(std::string& buffer, std::FILE* out, bool force = false) {
    if (!force && buffer.size() < (1u << 16)) return;
    std::fwrite(buffer.data(), 1, buffer.size(), out);
    buffer.clear();
}

// One JSON list of findings: "name": [{...}, ...], each object written by `fields`.
template <typename Finding, typename Fields>
void JsonList(std::string& b, std::FILE* out, const char* name, const std::vector<Finding>& list,
              Fields fields) {
    b += ",\n  \"";
    b += name;
    b += "\": [";
    for (std::size_t i = 0; i < list.size(); ++i) {
        b += i ? ",\n    {\"page\": " : "\n    {\"page\": ";
        JsonString(b, list[i].page);
        b += ", \"line\": " + std::to_string(list[i].line);
        fields(list[i]);
        b += "}";
        Flush(b, out);
    }
    b += list.empty() ? "]" : "\n  ]";
}

void JsonLinks(std::string& b, std::FILE* out, const char* name,
               const std::vector<LinkFinding>& links, bool withFile = false) {
    JsonList(b, out, name, links, [&](const LinkFinding& f) {
        b += ", \"url\": ";
        JsonString(b, f.url);
        b += ", \"path\": ";
        JsonString(b, f.path);
        if (!withFile) return;
        b += ", \"file\": ";
        JsonString(b, f.file);
    });
}

// One finding per line, whatever the bytes: a control byte in a URL is written percent-encoded
// (as "%00", which is how the page wrote it), one in a path or message as "\xHH". Everything
// else, invalid UTF-8 included, stays as it is, so a path names its file exactly.
std::string Shown(std::string_view s, bool url = false) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != 0x7F) {
            out += ch;
            continue;
        }
        char buf[8];
        std::snprintf(buf, sizeof buf, url ? "%%%02X" : "\\x%02X", c);
        out += buf;
    }
    return out;
}

// "PAGE:LINE: " followed by the rest.
void TextLine(std::FILE* out, const std::string& page, unsigned line, const std::string& rest) {
    std::string text = Shown(page) + ":" + std::to_string(line) + ": " + rest + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
}

void TextLinks(std::FILE* out, const char* kind, const std::vector<LinkFinding>& links) {
    for (const LinkFinding& f : links)
        TextLine(out, f.page, f.line, std::string(kind) + " \"" + Shown(f.url, true) + "\"");
}

}  // namespace

void WriteText(const CheckResult& r, std::FILE* out) {
    TextLinks(out, "broken link", r.broken);
    TextLinks(out, "untracked link", r.untracked);
    TextLinks(out, "ignored broken link", r.ignored);
    for (const LinkFinding& f : r.caseMismatches)
        TextLine(
            out, f.page, f.line,
            "case mismatch \"" + Shown(f.url, true) + "\" (file is \"" + Shown(f.file) + "\")");
    for (const FragmentLinkFinding& f : r.brokenFragments)
        TextLine(out, f.page, f.line, "broken fragment \"" + Shown(f.url, true) + "\"");
    for (const std::string& orphan : r.orphans) {
        std::string text = Shown(orphan) + ": orphan\n";
        std::fwrite(text.data(), 1, text.size(), out);
    }
    for (const SyntaxFinding& s : r.syntaxErrors)
        TextLine(out, s.page, static_cast<unsigned>(s.line), Shown(s.message));
    for (const FileError& e : r.fileErrors) {
        std::string text = Shown(e.path) + ": error: " + Shown(e.message) + "\n";
        std::fwrite(text.data(), 1, text.size(), out);
    }
    if (!r.broken.empty() || !r.untracked.empty() || !r.ignored.empty() ||
        !r.caseMismatches.empty() || !r.brokenFragments.empty() || !r.orphans.empty() ||
        !r.syntaxErrors.empty() || !r.fileErrors.empty())
        std::fputc('\n', out);
    std::fputs(FormatSiteSummary(r.summary, 295, r.wholeSite).c_str(), out);
    if (!r.fileErrors.empty())
        std::fprintf(out, "%6zu files or folders could not be read: the report is incomplete\n",
                     r.fileErrors.size());
}

void WriteJson(const CheckResult& r, std::FILE* out) {
    std::string b = "{\n  \"site\": {\"name\": ";
    JsonString(b, r.name);
    b += ", \"directory\": ";
    JsonString(b, r.directory);
    b += ", \"homePage\": ";
    JsonString(b, r.homePage);
    b += ", \"server\": ";
    JsonString(b, r.server);
    const SiteSummaryCounts& s = r.summary;
    b += "},\n  \"summary\": {\"files\": " + std::to_string(s.files) +
         ", \"folders\": " + std::to_string(s.folders) +
         ", \"htmlFiles\": " + std::to_string(s.htmlFiles) +
         ", \"imageFiles\": " + std::to_string(s.imageFiles) +
         ", \"otherFiles\": " + std::to_string(s.otherFiles) +
         ", \"internalLinks\": " + std::to_string(s.internalLinks) +
         ", \"externalLinks\": " + std::to_string(s.externalLinks) +
         ", \"brokenLinks\": " + std::to_string(s.brokenLinks) +
         ", \"orphans\": " + std::to_string(s.orphans) +
         ", \"fileErrors\": " + std::to_string(r.fileErrors.size()) + "}";
    JsonLinks(b, out, "brokenLinks", r.broken);
    JsonLinks(b, out, "untrackedLinks", r.untracked);
    JsonLinks(b, out, "ignoredLinks", r.ignored);
    JsonLinks(b, out, "caseMismatches", r.caseMismatches, true);
    JsonList(b, out, "brokenFragments", r.brokenFragments, [&](const FragmentLinkFinding& f) {
        b += ", \"url\": ";
        JsonString(b, f.url);
        b += ", \"fragment\": ";
        JsonString(b, f.fragment);
    });
    b += ",\n  \"orphans\": [";
    for (std::size_t i = 0; i < r.orphans.size(); ++i) {
        b += i ? ",\n    " : "\n    ";
        JsonString(b, r.orphans[i]);
        Flush(b, out);
    }
    b += r.orphans.empty() ? "]" : "\n  ]";
    JsonList(b, out, "syntaxErrors", r.syntaxErrors, [&](const SyntaxFinding& f) {
        b += ", \"message\": ";
        JsonString(b, f.message);
    });
    b += ",\n  \"fileErrors\": [";
    for (std::size_t i = 0; i < r.fileErrors.size(); ++i) {
        b += i ? ",\n    {\"path\": " : "\n    {\"path\": ";
        JsonString(b, r.fileErrors[i].path);
        b += ", \"message\": ";
        JsonString(b, r.fileErrors[i].message);
        b += "}";
    }
    b += r.fileErrors.empty() ? "]" : "\n  ]";
    b += "\n}\n";
    Flush(b, out, true);
}

std::string JsonStrings(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ", ";
        JsonString(out, items[i]);
    }
    return out + "]";
}

std::string LineDiff(const std::string& before, const std::string& after,
                     const std::string& oldContent, const std::string& newContent) {
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    };
    std::string out = "--- a/" + before + "\n+++ b/" + after + "\n";
    std::vector<std::string> a = lines(oldContent), b = lines(newContent);
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        out += "@@ -" + std::to_string(i + 1) + ",1 +" + std::to_string(i + 1) + ",1 @@\n-" + a[i] +
               "\n+" + b[i] + "\n";
    }
    return out;
}

}  // namespace tw::cli
