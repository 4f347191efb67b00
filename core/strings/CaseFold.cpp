#include "core/strings/CaseFold.h"

#include <locale.h>
#include <wctype.h>

namespace tw {
namespace {

locale_t Utf8Locale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!l) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

char AsciiLowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

}  // namespace

std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t len = c >= 0xF8 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (len == 0 || i + len > text.size()) return 0;
    cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(text[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return len;
}

void EncodeUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLowerChar(c);
    return out;
}

std::string FoldCase(std::string_view text) {
    std::string out;
    FoldCaseInto(text, out);
    return out;
}

void FoldCaseInto(std::string_view text, std::string& out) {
    // Paths are nearly always ASCII: that part is lowered in place, without a step per byte
    // through the string's growth checks.
    out.resize(text.size());
    std::size_t i = 0;
    for (; i < text.size() && static_cast<unsigned char>(text[i]) < 0x80; ++i)
        out[i] = AsciiLowerChar(text[i]);
    out.resize(i);
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += AsciiLowerChar(static_cast<char>(c));
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        EncodeUtf8(static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), Utf8Locale())), out);
        i += len;
    }
}

int CompareNoCase(std::string_view a, std::string_view b) {
    // Fast path: compare ASCII byte by byte, fold only when non-ASCII text is met.
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80) return FoldCase(a.substr(i)).compare(FoldCase(b.substr(i)));
        x = static_cast<unsigned char>(AsciiLowerChar(static_cast<char>(x)));
        y = static_cast<unsigned char>(AsciiLowerChar(static_cast<char>(y)));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
}

}  // namespace tw
