#include "cli/Formatters.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tw::cli {
namespace {

// Appends a JSON string literal; bytes that are not UTF-8 become U+FFFD.
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
        std::size_t len = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        bool valid = len > 0 && i + len <= s.size();
        for (std::size_t k = 1; valid && k < len; ++k)
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (valid) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
}

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

void TextLinks(std::FILE* out, const char* kind, const std::vector<LinkFinding>& links) {
    for (const LinkFinding& f : links)
        std::fprintf(out, "%s:%u: %s \"%s\"\n", f.page.c_str(), f.line, kind, f.url.c_str());
}

}  // namespace

void CheckResult::Sort() {
    auto byPlace = [](const LinkFinding& a, const LinkFinding& b) {
        if (a.page != b.page) return a.page < b.page;
        if (a.line != b.line) return a.line < b.line;
        return a.offset < b.offset;
    };
    for (auto* list : {&broken, &untracked, &ignored, &caseMismatches})
        std::stable_sort(list->begin(), list->end(), byPlace);
    std::stable_sort(brokenFragments.begin(), brokenFragments.end(),
                     [](const FragmentLinkFinding& a, const FragmentLinkFinding& b) {
                         if (a.page != b.page) return a.page < b.page;
                         if (a.line != b.line) return a.line < b.line;
                         return a.offset < b.offset;
                     });
    std::stable_sort(syntaxErrors.begin(), syntaxErrors.end(), [](const auto& a, const auto& b) {
        return a.page != b.page ? a.page < b.page : a.line < b.line;
    });
    std::sort(orphans.begin(), orphans.end());
}

void WriteText(const CheckResult& r, std::FILE* out) {
    TextLinks(out, "broken link", r.broken);
    TextLinks(out, "untracked link", r.untracked);
    TextLinks(out, "ignored broken link", r.ignored);
    for (const LinkFinding& f : r.caseMismatches)
        std::fprintf(out, "%s:%u: case mismatch \"%s\" (file is \"%s\")\n", f.page.c_str(), f.line,
                     f.url.c_str(), f.file.c_str());
    for (const FragmentLinkFinding& f : r.brokenFragments)
        std::fprintf(out, "%s:%u: broken fragment \"%s\"\n", f.page.c_str(), f.line, f.url.c_str());
    for (const std::string& orphan : r.orphans) std::fprintf(out, "%s: orphan\n", orphan.c_str());
    for (const SyntaxFinding& s : r.syntaxErrors)
        std::fprintf(out, "%s:%d: %s\n", s.page.c_str(), s.line, s.message.c_str());
    if (!r.broken.empty() || !r.untracked.empty() || !r.ignored.empty() ||
        !r.caseMismatches.empty() || !r.brokenFragments.empty() || !r.orphans.empty() ||
        !r.syntaxErrors.empty())
        std::fputc('\n', out);
    std::fputs(FormatSiteSummary(r.summary, 295, r.wholeSite).c_str(), out);
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
         ", \"orphans\": " + std::to_string(s.orphans) + "}";
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
    b += "\n}\n";
    Flush(b, out, true);
}

}  // namespace tw::cli
