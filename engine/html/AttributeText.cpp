#include "engine/html/AttributeText.h"

#include <string>

#include "core/strings/CaseFold.h"
#include "engine/html/Scanner.h"

namespace tw {
namespace {

struct NamedReference {
    std::string_view name;
    std::string_view text;
    bool legacy;  // also recognised without the ';' (when no letter, digit or '=' follows)
};

// The references that turn up in URLs; others stay as written.
constexpr NamedReference kNamed[] = {
    {"amp", "&", true},     {"lt", "<", true},      {"gt", ">", true},
    {"quot", "\"", true},   {"apos", "'", false},   {"nbsp", "\xC2\xA0", false},
    {"sol", "/", false},    {"colon", ":", false},  {"period", ".", false},
    {"lowbar", "_", false}, {"num", "#", false},    {"percnt", "%", false},
    {"quest", "?", false},  {"equals", "=", false}, {"plus", "+", false},
    {"comma", ",", false},  {"semi", ";", false},   {"excl", "!", false},
    {"dollar", "$", false}, {"lpar", "(", false},   {"rpar", ")", false},
    {"commat", "@", false}, {"lsqb", "[", false},   {"rsqb", "]", false},
};

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Utf8(std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    std::string out;
    EncodeUtf8(cp, out);
    return out;
}

// The reference at value[i] ('&'): its decoded text and length; length 0 when there is none.
std::size_t Reference(std::string_view value, std::size_t i, std::string& decoded) {
    std::size_t j = i + 1;
    if (j < value.size() && value[j] == '#') {
        bool hex = j + 1 < value.size() && (value[j + 1] == 'x' || value[j + 1] == 'X');
        j += hex ? 2 : 1;
        std::uint32_t cp = 0;
        std::size_t digits = 0;
        for (; j < value.size(); ++j, ++digits) {
            int d = hex ? HexDigit(value[j])
                        : (value[j] >= '0' && value[j] <= '9' ? value[j] - '0' : -1);
            if (d < 0) break;
            if (cp <= 0x10FFFF) cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
        }
        if (digits == 0) return 0;
        if (j < value.size() && value[j] == ';') ++j;
        decoded = Utf8(cp);
        return j - i;
    }
    std::size_t nameEnd = j;
    while (nameEnd < value.size() && IsAlnum(value[nameEnd])) ++nameEnd;
    std::string_view name = value.substr(j, nameEnd - j);
    const bool semicolon = nameEnd < value.size() && value[nameEnd] == ';';
    for (const NamedReference& ref : kNamed) {
        if (semicolon && name == ref.name) {
            decoded = ref.text;
            return nameEnd + 1 - i;
        }
        // "&amp" without its ';' counts only where no name could go on ("a?x=1&ampy=2" and
        // "&amp=" are left alone, as browsers leave them in attributes).
        if (!semicolon && ref.legacy && name == ref.name &&
            (nameEnd >= value.size() || value[nameEnd] != '=')) {
            decoded = ref.text;
            return nameEnd - i;
        }
    }
    return 0;
}

}  // namespace

std::pair<std::size_t, std::size_t> TrimmedRange(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsHtmlSpace(text[first])) ++first;
    while (last > first && IsHtmlSpace(text[last - 1])) --last;
    return {first, last};
}

MappedText DecodeCharacterReferences(std::string_view value, std::uint32_t offset) {
    MappedText out;
    out.text.reserve(value.size());
    std::string decoded;
    for (std::size_t i = 0; i < value.size();) {
        const auto at = offset + static_cast<std::uint32_t>(i);
        std::size_t length = value[i] == '&' ? Reference(value, i, decoded) : 0;
        if (length == 0) {
            out.AppendDecoded(value.substr(i, 1), at, at + 1);
            ++i;
            continue;
        }
        out.AppendDecoded(decoded, at, at + static_cast<std::uint32_t>(length));
        i += length;
    }
    return out;
}

std::vector<std::pair<std::size_t, std::size_t>> SrcsetUrls(std::string_view value) {
    std::vector<std::pair<std::size_t, std::size_t>> urls;
    std::size_t i = 0;
    const std::size_t n = value.size();
    while (i < n) {
        while (i < n && (IsHtmlSpace(value[i]) || value[i] == ',')) ++i;
        if (i >= n) break;
        std::size_t start = i;
        while (i < n && !IsHtmlSpace(value[i])) ++i;
        std::size_t end = i;
        if (value[end - 1] == ',') {
            // "a.png,b.png": the commas end the URL and the candidate.
            while (end > start && value[end - 1] == ',') --end;
        } else {
            // Descriptors run to the next comma that is not inside parentheses.
            int depth = 0;
            for (; i < n; ++i) {
                if (value[i] == '(') ++depth;
                if (value[i] == ')' && depth > 0) --depth;
                if (value[i] == ',' && depth == 0) break;
            }
        }
        if (end > start) urls.emplace_back(start, end);
    }
    return urls;
}

std::uint32_t HashFragment(std::string_view text) {
    std::uint32_t h = 2166136261u;
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

std::uint32_t HashAnchor(std::string_view value) {
    auto [first, last] = TrimmedRange(value);
    std::string_view trimmed = value.substr(first, last - first);
    if (trimmed.find('&') == std::string_view::npos) return HashFragment(trimmed);
    return HashFragment(DecodeCharacterReferences(trimmed, 0).text);
}

std::pair<std::size_t, std::size_t> RefreshUrl(std::string_view content) {
    std::size_t i = 0;
    const std::size_t n = content.size();
    auto skipSpace = [&] {
        while (i < n && IsHtmlSpace(content[i])) ++i;
    };
    skipSpace();
    while (i < n && ((content[i] >= '0' && content[i] <= '9') || content[i] == '.')) ++i;
    skipSpace();
    if (i < n && (content[i] == ';' || content[i] == ',')) ++i;
    skipSpace();
    if (i + 3 <= n && (content[i] | 0x20) == 'u' && (content[i + 1] | 0x20) == 'r' &&
        (content[i + 2] | 0x20) == 'l') {
        std::size_t k = i + 3;
        while (k < n && IsHtmlSpace(content[k])) ++k;
        if (k < n && content[k] == '=') {
            i = k + 1;
            skipSpace();
        }
    }
    if (i >= n) return {n, n};
    if (content[i] == '"' || content[i] == '\'') {
        std::size_t close = content.find(content[i], i + 1);
        std::size_t end = close == std::string_view::npos ? n : close;
        return {i + 1, end};
    }
    std::size_t end = n;
    while (end > i && IsHtmlSpace(content[end - 1])) --end;
    return {i, end};
}

}  // namespace tw
