#include "engine/html/ScriptText.h"

#include <string>

#include "core/strings/CaseFold.h"
#include "engine/html/Scanner.h"

namespace tw {
namespace {

bool IsWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

// Whether a '/' after this much code starts a regular expression rather than a division:
// after an operator, an opening bracket or a keyword such as "return", not after a value.
bool RegexMayStart(const std::string& code) {
    std::size_t i = code.size();
    while (i > 0 && IsHtmlSpace(code[i - 1])) --i;
    if (i == 0) return true;
    const char c = code[i - 1];
    if (std::string_view("(,=:[!&|?{};+-*%<>~^").find(c) != std::string_view::npos) return true;
    if (!IsWordByte(c)) return false;
    std::size_t start = i;
    while (start > 0 && IsWordByte(code[start - 1])) --start;
    std::string_view word(code.data() + start, i - start);
    for (std::string_view keyword : {"return", "typeof", "case", "in", "of", "void", "delete",
                                     "throw", "new", "else", "do", "instanceof", "yield", "await"})
        if (word == keyword) return true;
    return false;
}

// The index just past the literal that opens at text[open]: a string ends at its quote (or
// at a line end when unclosed), a template at its backquote, a regular expression at its
// unescaped '/' outside a character class (or at a line end).
std::size_t LiteralEnd(std::string_view text, std::size_t open, bool regex) {
    const char close = regex ? '/' : text[open];
    const bool stopsAtLineEnd = close != '`';
    bool inClass = false;
    std::size_t i = open + 1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            ++i;
            continue;
        }
        if (stopsAtLineEnd && (c == '\n' || c == '\r')) return i;
        if (regex && c == '[') inClass = true;
        if (regex && c == ']') inClass = false;
        if (c == close && !inClass) return i + 1;
    }
    return text.size();
}

std::size_t SkipSpace(std::string_view text, std::size_t i) {
    while (i < text.size() && IsHtmlSpace(text[i])) ++i;
    return i;
}

bool WordAt(std::string_view text, std::size_t at, std::string_view word) {
    return text.substr(at, word.size()) == word && (at == 0 || !IsWordByte(text[at - 1])) &&
           (at + word.size() >= text.size() || !IsWordByte(text[at + word.size()]));
}

}  // namespace

MappedText WithoutComments(const MappedText& in) {
    MappedText out;
    out.text.reserve(in.size());
    const std::string_view text = in.text;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const char c = text[i];
        const char next = i + 1 < n ? text[i + 1] : '\0';
        if (c == '/' && next == '/') {
            std::size_t lf = text.find('\n', i + 2);
            if (lf == std::string_view::npos) lf = text.find('\r', i + 2);
            i = lf == std::string_view::npos ? n : lf + 1;
            continue;
        }
        if (c == '/' && next == '*') {
            std::size_t close = text.find("*/", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
            continue;
        }
        const bool regex = c == '/' && RegexMayStart(out.text);
        if (c == '"' || c == '\'' || c == '`' || regex) {
            std::size_t end = LiteralEnd(text, i, regex);
            out.Append(in, i, end);
            i = end;
            continue;
        }
        // Up to the next byte that may open a comment or a literal, copied as one stretch.
        std::size_t j = i + 1;
        while (j < n && text[j] != '/' && text[j] != '"' && text[j] != '\'' && text[j] != '`') ++j;
        out.Append(in, i, j);
        i = j;
    }
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> ModuleSpecifiers(std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> specifiers;
    auto quotedAt = [&](std::size_t i) {
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return false;
        std::size_t end = LiteralEnd(text, i, false);
        if (end > i + 1 && text[end - 1] == text[i]) specifiers.emplace_back(i + 1, end - 1);
        return true;
    };
    for (std::string_view keyword : {"import", "export"}) {
        for (std::size_t at = text.find(keyword); at != std::string_view::npos;
             at = text.find(keyword, at + 1)) {
            if (!WordAt(text, at, keyword)) continue;
            std::size_t i = SkipSpace(text, at + keyword.size());
            if (keyword == "import" && quotedAt(i)) continue;  // import "./x.js"
            // import a, {b as c} from "./x.js" / export * from "./x.js": the clause holds
            // no string and no ';' before "from".
            std::size_t end = text.find_first_of(";\"'`()", i);
            std::size_t from = text.find("from", i);
            while (from != std::string_view::npos && !WordAt(text, from, "from"))
                from = text.find("from", from + 1);
            if (from == std::string_view::npos || (end != std::string_view::npos && end < from))
                continue;
            quotedAt(SkipSpace(text, from + 4));
        }
    }
    return specifiers;
}

bool HasKnownScheme(std::string_view text) {
    static constexpr std::string_view kSchemes[] = {
        "http:",   "https:",      "ftp:",    "ftps:",  "sftp:", "mailto:", "tel:",  "sms:",
        "data:",   "javascript:", "file:",   "news:",  "nntp:", "irc:",    "ircs:", "ws:",
        "wss:",    "gopher:",     "telnet:", "about:", "blob:", "urn:",    "geo:",  "magnet:",
        "webcal:", "callto:",     "skype:",  "ssh:",   "git:",  "xmpp:",   "feed:", "view-source:"};
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon > 12) return false;
    std::string head = AsciiLower(text.substr(0, colon + 1));
    for (std::string_view scheme : kSchemes)
        if (head == scheme) return true;
    return false;
}

}  // namespace tw
