#pragma once
// One URL occurrence of a page: its text, its byte range in the file, its line, the node it
// resolves to and what kind of link it is.

#include <cstdint>
#include <string>

namespace tw {

class ENode;

// Where in a page a URL was written: the attribute or construct it came from.
enum class UrlSource : std::uint8_t {
    Href,
    Src,
    Background,
    Codebase,
    Lowsrc,
    Dynsrc,
    Usemap,
    Action,
    Srcset,
    Poster,
    Data,
    FormAction,
    XlinkHref,
    Value,         // the value of a redirect input or a "local" param
    Refresh,       // <meta http-equiv="refresh" content="5; url=...">
    MetaContent,   // <meta property="og:image" content="...">, and the like
    StyleUrl,      // url(...) in a style block, a style attribute or a stylesheet
    StyleImport,   // @import
    Script,        // a string in a script, an event handler or a javascript: URL
    ModuleImport,  // import ... from "./x.js" in a module script
};
// "href", "src", ..., "style url()", "@import", "script", "import".
const char* UrlSourceName(UrlSource source);

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
        // Resolves only when case is ignored: a server that tells case apart will not find it.
        kCaseMismatch = 0x0800,
    };

    std::string text;         // decoded, without fragment or query; absolute when external
    std::uint32_t start = 0;  // offset of the first character in the file
    std::uint32_t end = 0;    // offset of the last character (without fragment or query)
    std::uint32_t line = 0;
    ENode* target = nullptr;  // not owned; null for external, unresolved and base URLs
    std::uint16_t flags = 0;
    UrlSource source = UrlSource::Href;

    bool Has(Flag f) const { return (flags & f) != 0; }
    void Set(Flag f, bool on = true) { flags = on ? (flags | f) : (flags & ~f); }
    bool IsExternal() const { return Has(kExternal); }
    bool IsBaseHref() const { return Has(kBaseHref); }
    bool IsEmbedded() const { return Has(kEmbedded); }
    bool IsUntracked() const { return Has(kUntracked); }
    bool IsIgnored() const { return Has(kIgnored); }
    bool IsCaseMismatch() const { return Has(kCaseMismatch); }
    // Local, unresolved, neither untracked nor ignored: what a page's broken count counts.
    bool IsBroken() const { return !IsExternal() && !target && !IsUntracked() && !IsIgnored(); }
};

// A reference to a place in a page ("page.htm#part", "#part"), kept while fragments are
// checked: the fragment's hash, never its text, so that big sites stay small in memory.
struct FragmentRef {
    ENode* target = nullptr;  // the page the fragment belongs to
    std::uint32_t hash = 0;
    std::uint32_t start = 0;  // the URL's text in the file: [start, end)
    std::uint32_t end = 0;
};

}  // namespace tw
