#pragma once
// One URL occurrence of a page: its text, its byte range in the file, its line, the node it
// resolves to and what kind of link it is.

#include <cstdint>
#include <string>

namespace tw {

class ENode;

struct EUrl {
    enum Flag : std::uint16_t {
        kExternal = 0x0001,
        kBaseHref = 0x0002,
        kFormRelative = 0x0004,
        kFormRootRelative = 0x0008,
        kFormAbsolute = 0x0010,
        kEmbedded = 0x0020,
        kInFrame = 0x0040,
        kViaDefaultDocument = 0x0080,
        kNotCanonical = 0x0100,
        kUntracked = 0x0200,
        kIgnored = 0x0400,
    };

    std::string text;         // decoded, without fragment or query; absolute when external
    std::uint32_t start = 0;  // offset of the first character in the file
    std::uint32_t end = 0;    // offset of the last character (without fragment or query)
    std::uint32_t line = 0;
    ENode* target = nullptr;  // not owned; null for external, unresolved and base URLs
    std::uint16_t flags = 0;

    bool Has(Flag f) const { return (flags & f) != 0; }
    void Set(Flag f, bool on = true) { flags = on ? (flags | f) : (flags & ~f); }
    bool IsExternal() const { return Has(kExternal); }
    bool IsBaseHref() const { return Has(kBaseHref); }
    bool IsEmbedded() const { return Has(kEmbedded); }
    bool IsUntracked() const { return Has(kUntracked); }
    bool IsIgnored() const { return Has(kIgnored); }
    // Local, unresolved, neither untracked nor ignored: what a page's broken count counts.
    bool IsBroken() const { return !IsExternal() && !target && !IsUntracked() && !IsIgnored(); }
};

}  // namespace tw
