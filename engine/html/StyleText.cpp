#include "engine/html/StyleText.h"

#include "engine/html/Scanner.h"

namespace tw {
namespace {

bool IsIdentByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool MatchesNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        char c = text[at + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != word[k]) return false;
    }
    return true;
}

// The end of the string that opens at text[open] (the index of its closing quote, or of the
// line end or text end where an unclosed string stops).
std::size_t StringEnd(std::string_view text, std::size_t open) {
    const char quote = text[open];
    std::size_t i = open + 1;
    for (; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text[i] == quote || text[i] == '\n' || text[i] == '\r') break;
    }
    return i < text.size() ? i : text.size();
}

}  // namespace

std::vector<StyleReference> StyleReferences(std::string_view css) {
    std::vector<StyleReference> refs;
    bool afterImport = false;  // an @import waits for its target
    const std::size_t n = css.size();
    for (std::size_t i = 0; i < n;) {
        const char c = css[i];
        if (c == '/' && i + 1 < n && css[i + 1] == '*') {
            std::size_t close = css.find("*/", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
        } else if (c == '"' || c == '\'') {
            std::size_t close = StringEnd(css, i);
            if (afterImport && close > i + 1) refs.push_back({i + 1, close, true});
            afterImport = false;
            i = close + 1;
        } else if (c == '@' && MatchesNoCase(css, i + 1, "import") &&
                   (i + 7 >= n || !IsIdentByte(css[i + 7]))) {
            afterImport = true;
            i += 7;
        } else if ((c == 'u' || c == 'U') && MatchesNoCase(css, i, "url(") &&
                   (i == 0 || !IsIdentByte(css[i - 1]))) {
            std::size_t j = i + 4;
            while (j < n && IsHtmlSpace(css[j])) ++j;
            std::size_t begin = j, end;
            if (j < n && (css[j] == '"' || css[j] == '\'')) {
                end = StringEnd(css, j);
                begin = j + 1;
                j = end + 1;
            } else {
                while (j < n && css[j] != ')' && !IsHtmlSpace(css[j])) ++j;
                end = j;
            }
            if (end > begin) refs.push_back({begin, end, afterImport});
            afterImport = false;
            std::size_t close = css.find(')', j);
            i = close == std::string_view::npos ? n : close + 1;
        } else {
            if (c == ';' || c == '{' || c == '}') afterImport = false;
            ++i;
        }
    }
    return refs;
}

}  // namespace tw
