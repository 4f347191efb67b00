#include "core/strings/Strings.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iterator>

namespace tw {
namespace {

struct Entry {
    int id;
    const char* text;
};

constexpr Entry kTable[] = {
#include "res/strings.inc"
};

constexpr bool IsSortedById() {
    for (std::size_t i = 1; i < std::size(kTable); ++i)
        if (kTable[i - 1].id >= kTable[i].id) return false;
    return true;
}
static_assert(IsSortedById(), "res/strings.inc must list each number once, in ascending order");

}  // namespace

std::string_view LoadString(int id) {
    auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                               [](const Entry& e, int key) { return e.id < key; });
    if (it == std::end(kTable) || it->id != id) return {};
    return it->text;
}

std::string FormatMessage(std::string_view templ, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(templ.size() + 32);
    for (std::size_t i = 0; i < templ.size(); ++i) {
        char c = templ[i];
        if (c != '%' || i + 1 >= templ.size()) {
            out += c;
            continue;
        }
        char next = templ[++i];
        if (next >= '1' && next <= '9') {
            std::size_t n = static_cast<std::size_t>(next - '1');
            if (n < args.size())
                out += *(args.begin() + n);
            else
                out += '?';
        } else {
            out += c;
            out += next;
        }
    }
    return out;
}

std::string LoadMessage(int id, std::initializer_list<std::string_view> args) {
    return FormatMessage(LoadString(id), args);
}

std::string FormatPrintf(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, ap);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(ap);
    return out;
}

std::string PercentEncodePath(std::string_view path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string HexOfBytes(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string BytesOfHex(std::string_view hex) {
    auto value = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = value(hex[i]), low = value(hex[i + 1]);
        if (high < 0 || low < 0) break;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

}  // namespace tw
