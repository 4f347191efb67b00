#include "engine/html/UrlExtractor.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/log/Section.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/ShortenPath.h"
#include "core/strings/Strings.h"
#include "engine/html/AttributeText.h"
#include "engine/html/MappedText.h"
#include "engine/html/NameSet.h"
#include "engine/html/Scanner.h"
#include "engine/html/ScriptText.h"
#include "engine/html/StyleText.h"
#include "engine/html/TagReader.h"
#include "engine/html/UrlMemo.h"
#include "engine/html/UrlText.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

struct UrlAttribute {
    std::string_view name;
    bool embedded;
    UrlSource source;
};
// The classic URL attributes, tried in this order on every tag that is searched.
constexpr UrlAttribute kUrlAttributes[] = {
    {"href", false, UrlSource::Href},
    {"src", true, UrlSource::Src},
    {"background", true, UrlSource::Background},
    {"codebase", true, UrlSource::Codebase},
    {"lowsrc", true, UrlSource::Lowsrc},
    {"dynsrc", true, UrlSource::Dynsrc},
    {"usemap", false, UrlSource::Usemap},
    {"action", false, UrlSource::Action},
};

// URL attributes of newer HTML, each on the tags that carry it.
struct TagAttribute {
    std::string_view tag;
    std::string_view name;
    bool embedded;
    UrlSource source;
};
constexpr TagAttribute kTagAttributes[] = {
    {"video", "poster", true, UrlSource::Poster},
    {"object", "data", true, UrlSource::Data},
    {"button", "formaction", false, UrlSource::FormAction},
    {"input", "formaction", false, UrlSource::FormAction},
};

// <meta> names whose content is the address of a file of the page (previews, tiles).
constexpr std::string_view kMetaUrlNames[] = {
    "og:image",
    "og:image:url",
    "og:image:secure_url",
    "og:video",
    "og:audio",
    "twitter:image",
    "twitter:image:src",
    "msapplication-tileimage",
    "msapplication-config",
    "msapplication-square150x150logo",
    "msapplication-wide310x150logo",
};

constexpr std::string_view kNeverSearched[] = {
    "address",  "b",    "basefont", "big",       "blink", "blockquote", "br",     "caption",
    "center",   "cite", "code",     "comment",   "dd",    "dfn",        "dir",    "dl",
    "dt",       "em",   "font",     "h1",        "h2",    "h3",         "h4",     "h5",
    "h6",       "h7",   "h8",       "h9",        "head",  "hr",         "html",   "i",
    "kbd",      "li",   "listing",  "marquee",   "menu",  "meta",       "nextid", "nobr",
    "noframes", "ol",   "p",        "plaintext", "pre",   "samp",       "small",  "strike",
    "strong",   "sub",  "sup",      "title",     "tt",    "ul",         "var",    "wbr",
    "xmp",      "<!--", "-->"};

constexpr std::string_view kEventHandlers[] = {
    "onclick",    "ondblclick", "onmousedown", "onmouseup", "onmouseover", "onmousemove",
    "onmouseout", "onkeypress", "onkeydown",   "onkeyup",   "onfocus",     "onblur",
    "onselect",   "onchange",   "onsubmit",    "onreset",   "onload",      "onunload"};

constexpr std::string_view kScriptKeywords[] = {"href", "src", "location"};

constexpr NameSet kNeverSearchedSet(std::to_array(kNeverSearched));
constexpr NameSet kEventHandlerSet(std::to_array(kEventHandlers));

template <typename T, std::size_t N>
constexpr std::array<std::string_view, N> NamesOf(const T (&list)[N]) {
    std::array<std::string_view, N> names{};
    for (std::size_t i = 0; i < N; ++i) names[i] = list[i].name;
    return names;
}

// Every attribute name extraction may read on some tag: a quick no for all others (class,
// title, alt, ...), which are most attributes of a page.
constexpr NameSet kMaybeWanted(
    JoinNames(NamesOf(kUrlAttributes), NamesOf(kTagAttributes), std::to_array(kEventHandlers),
              std::to_array<std::string_view>({"style", "xlink:href", "srcset", "http-equiv",
                                               "content", "property", "name", "type", "value"})));

int UrlAttributeIndex(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kUrlAttributes); ++i)
        if (name == kUrlAttributes[i].name) return static_cast<int>(i);
    return -1;
}

// The value with its spaces removed, in lower case, starts with "javascript:history.go(":
// a "back" button, not a link.
bool IsHistoryGo(std::string_view value) {
    static constexpr std::string_view kPrefix = "javascript:history.go(";
    std::size_t matched = 0;
    for (char c : value) {
        if (c == ' ') continue;
        char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        if (lower != kPrefix[matched]) return false;
        if (++matched == kPrefix.size()) return true;
    }
    return false;
}

// Attributes read on every element, whether or not its tag is searched for URLs.
bool AnyTagAttribute(std::string_view attr) {
    return attr == "style" || attr == "xlink:href";
}

// What extraction reads of a page: URL attributes, event handlers, the attributes of the
// special input, param and meta tags, the type of scripts, style attributes, SVG links.
bool WantedAttribute(std::string_view tag, std::string_view attr) {
    if (!kMaybeWanted.Has(attr)) return false;
    if (UrlAttributeIndex(attr) >= 0 || AnyTagAttribute(attr)) return true;
    if (kEventHandlerSet.Has(attr)) return true;
    for (const TagAttribute& t : kTagAttributes)
        if (attr == t.name && tag == t.tag) return true;
    if (attr == "srcset") return tag == "img" || tag == "source";
    if (tag == "meta")
        return attr == "http-equiv" || attr == "content" || attr == "property" || attr == "name";
    if (tag == "script") return attr == "type";
    return (tag == "input" || tag == "param") &&
           (attr == "type" || attr == "name" || attr == "value");
}

bool WantedTag(const ETag& tag) {
    using namespace std::string_view_literals;
    if (tag.isEnd || tag.attributes.empty()) return tag.name == "script"sv || tag.name == "style"sv;
    if (!kNeverSearchedSet.Has(tag.name) || tag.name == "meta"sv) return true;
    for (const auto& [name, attr] : tag.attributes)
        if (AnyTagAttribute(name)) return true;
    return false;
}

constexpr TagInterest kExtractionInterest{WantedAttribute, WantedTag};

// The tag has the attribute, and its value is `value` without regard to case.
bool AttributeIs(const ETag& tag, std::string_view attr, std::string_view value) {
    const ETagAttr* a = tag.Find(attr);
    return a && EqualsNoCase(a->value, value);
}

// What a URL is to the page: where it was written and how it is used.
struct UrlRole {
    UrlSource source = UrlSource::Href;
    bool embedded = false;
    bool inFrame = false;
    bool isBase = false;
    // Found by the script heuristics: a string is a URL only when it looks like one.
    bool fromScript = false;
    // Kept only when it names a file of the site (a call's string argument): whether a
    // missing file exists elsewhere on disk would not change that, so it is not looked up.
    bool onlyIfFound = false;
};

// The attribute's value as browsers read it: white space around it dropped, character
// references decoded. `buffer` holds the decoded text when there is any to decode.
SourceText ReadValue(const ETagAttr& attr, MappedText& buffer) {
    auto [first, last] = TrimmedRange(attr.value);
    std::string_view trimmed = std::string_view(attr.value).substr(first, last - first);
    const auto offset = attr.valueOffset + static_cast<std::uint32_t>(first);
    if (trimmed.find('&') == std::string_view::npos) return SourceText::Plain(trimmed, offset);
    buffer = DecodeCharacterReferences(trimmed, offset);
    return SourceText::Mapped(buffer, 0, buffer.size());
}

MappedText ToMapped(const SourceText& source) {
    if (!source.map) return MappedText::Of(source.text, source.start);
    MappedText m;
    m.Append(*source.map, source.at, source.at + source.text.size());
    return m;
}

class Extractor {
  public:
    Extractor(EHtmlNode& page, ESection* section, EScanner* file)
        : page_(page), section_(section), site_(page.GetSite()), file_(file) {
        context_ = UrlContext::Of(page);
        anchors_ = site_ && site_->CollectsFragments();
    }

    // Over the page's tags read in full.
    ParseResult Run() {
        for (ETag& tag : page_.Tags()) Feed(tag);
        return End();
    }

    // One tag, in file order: its URLs, or the script or style block it opens, whose URLs are
    // read once its end tag comes. The tags between are never searched; with no end tag, no
    // tag after the opening one is.
    void Feed(ETag& tag) {
        if (block_) {
            if (!tag.isEnd || tag.name != block_->name) return;
            std::string body = FileBytes(block_->end + 1, tag.start);
            if (block_->name == "script")
                FromScript(MappedText::Of(body, block_->end + 1), block_->module);
            else
                FromStyle(SourceText::Plain(body, block_->end + 1));
            block_.reset();
            return;
        }
        ProcessTag(tag);
        if (!tag.isEnd && (tag.name == "script" || tag.name == "style"))
            block_ = Block{tag.name, tag.end, tag.name == "script" && IsModule(tag)};
    }

    ParseResult End() {
        ParseResult status = ParseResult::Ok;
        if (block_) {
            ReportUnclosed(block_->name, block_->end);
            status = ParseResult::SyntaxErrors;
        }
        Finish();
        return status;
    }

    // A stylesheet: its url()s and @imports, relative to the stylesheet itself.
    void RunStyleSheet(std::string_view css) {
        FromStyle(SourceText::Plain(css, 0));
        Finish();
    }

  private:
    void Finish() {
        // In file order already unless scripts or styles added URLs out of turn.
        auto byStart = [](const EUrl& a, const EUrl& b) { return a.start < b.start; };
        if (!std::is_sorted(page_.Urls().begin(), page_.Urls().end(), byStart))
            std::stable_sort(page_.Urls().begin(), page_.Urls().end(), byStart);
        auto& ids = page_.AnchorIds();
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        ids.shrink_to_fit();
    }

    static bool IsModule(const ETag& script) {
        const ETagAttr* type = script.Find("type");
        if (!type) return false;
        auto [first, last] = TrimmedRange(type->value);
        return EqualsNoCase(std::string_view(type->value).substr(first, last - first), "module");
    }

    // ---- one tag ----

    void ProcessTag(const ETag& tag) {
        if (tag.isEnd) return;
        AnyTag(tag);
        if (tag.name == "meta") {
            Meta(tag);
            return;
        }
        if (kNeverSearchedSet.Has(tag.name)) return;
        // One pass over the attributes sorts them into URL attributes and event handlers;
        // the URL attributes are then tried in their fixed order.
        const ETagAttr* urlAttrs[std::size(kUrlAttributes)] = {};
        bool handlers = false;
        for (const auto& [name, attr] : tag.attributes) {
            int k = UrlAttributeIndex(name);
            if (k >= 0)
                urlAttrs[k] = &attr;
            else if (kEventHandlerSet.Has(name))
                handlers = true;
        }
        for (std::size_t k = 0; k < std::size(kUrlAttributes); ++k) {
            if (!urlAttrs[k]) continue;
            const UrlAttribute& a = kUrlAttributes[k];
            UrlRole role{a.source, a.embedded, tag.name == "frame", tag.name == "base"};
            TryAttribute(*urlAttrs[k], role);
        }
        for (const TagAttribute& t : kTagAttributes)
            if (tag.name == t.tag)
                if (const ETagAttr* a = tag.Find(t.name)) TryAttribute(*a, {t.source, t.embedded});
        if (tag.name == "img" || tag.name == "source")
            if (const ETagAttr* a = tag.Find("srcset")) Srcset(*a);
        if (tag.name == "input" || tag.name == "param") SpecialTags(tag);
        if (!handlers) return;
        for (std::string_view handler : kEventHandlers)
            if (const ETagAttr* a = tag.Find(handler))
                FromScript(MappedText::Of(a->value, a->valueOffset), false);
    }

    // What any element may carry: a style attribute, an SVG link, an id to point at.
    void AnyTag(const ETag& tag) {
        for (const auto& [name, attr] : tag.attributes) {
            if (name == "style") {
                MappedText buffer;
                FromStyle(ReadValue(attr, buffer));
            } else if (name == "xlink:href") {
                TryAttribute(attr, {UrlSource::XlinkHref, tag.name != "a"});
            } else if (anchors_ && IsAnchorAttribute(tag.name, name)) {
                // Tags read in full hold their ids; lean reading hands them over directly.
                page_.AnchorIds().push_back(HashAnchor(attr.value));
            }
        }
    }

    void Meta(const ETag& tag) {
        const ETagAttr* content = tag.Find("content");
        if (!content) return;
        MappedText buffer;
        SourceText text = ReadValue(*content, buffer);
        if (AttributeIs(tag, "http-equiv", "refresh")) {
            auto [first, last] = RefreshUrl(text.text);
            if (first < last) TryUrl(text.Sub(first, last), {UrlSource::Refresh});
            return;
        }
        for (std::string_view name : kMetaUrlNames) {
            if (!AttributeIs(tag, "property", name) && !AttributeIs(tag, "name", name)) continue;
            // Usually the published address of an image: a link only when it is one of ours.
            if (!StripFragmentOrQueryView(text.text).empty() && IsLocalUrl(context_, text.text))
                TryUrl(text, {UrlSource::MetaContent, true});
            return;
        }
    }

    void SpecialTags(const ETag& tag) {
        bool redirect = tag.name == "input" && AttributeIs(tag, "type", "hidden") &&
                        AttributeIs(tag, "name", "redirect");
        bool local = tag.name == "param" && AttributeIs(tag, "name", "local");
        if (!redirect && !local) return;
        const ETagAttr* value = tag.Find("value");
        if (!value) return;
        MappedText buffer;
        TryUrl(ReadValue(*value, buffer), {UrlSource::Value});
    }

    void Srcset(const ETagAttr& attr) {
        MappedText buffer;
        SourceText value = ReadValue(attr, buffer);
        for (auto [first, last] : SrcsetUrls(value.text))
            TryUrl(value.Sub(first, last), {UrlSource::Srcset, true});
    }

    void TryAttribute(const ETagAttr& attr, UrlRole role) {
        MappedText buffer;
        SourceText value = ReadValue(attr, buffer);
        if (StripFragmentOrQueryView(value.text).empty()) {
            NoteOwnFragment(value);
            return;
        }
        if (value.text.starts_with("javascript:") && FromScript(ToMapped(value), false) > 0) return;
        if (IsHistoryGo(value.text)) return;
        std::optional<EUrl> url = AddUrl(role, value);
        if (!url) return;
        if (role.isBase && role.source == UrlSource::Href) {
            url->Set(EUrl::kBaseHref);
            SetBase(*url);
        }
        Record(std::move(*url), value);
    }

    // A value that is a URL or nothing: no javascript: or history heuristics apply.
    void TryUrl(const SourceText& value, UrlRole role) {
        if (StripFragmentOrQueryView(value.text).empty()) {
            NoteOwnFragment(value);
            return;
        }
        if (std::optional<EUrl> url = AddUrl(role, value)) Record(std::move(*url), value);
    }

    void SetBase(const EUrl& url) {
        if (url.IsExternal()) {
            // The base is the folder of the address: "http://h/d/page.htm" gives "http://h/d/".
            std::string base = url.text;
            std::string_view path = PathPartView(base);
            if (std::size_t slash = path.rfind('/'); slash != std::string_view::npos)
                base.resize(base.size() - path.size() + slash + 1);
            if (base.empty() || base.back() != '/') base += '/';
            page_.baseHref = std::move(base);
            page_.baseNode = nullptr;
        } else {
            std::string path =
                ResolveToFilePath(LocalUrlPath(context_, url.text), page_.GetBaseDirectory(false),
                                  context_.siteDirectory);
            ENode* node = site_ ? site_->FindNode(path) : nullptr;
            // A base that names a file stands for the file's folder, as in a browser.
            if (node && !node->IsFolder()) node = node->GetParent();
            if (node) {
                page_.baseNode = node;
            } else {
                page_.baseNode = nullptr;
                if (!url.text.ends_with('/')) path = std::string(PathDirectory(path));
                page_.baseHref = std::string(StripTrailingSep(path)) + kPathSep;
            }
        }
        context_.baseDirectory = page_.GetBaseDirectory(false);
        known_.Clear();  // relative paths now resolve against the new base
    }

    // ---- one URL ----

    // The URL record for a value; nothing when a script string only looks like a URL.
    std::optional<EUrl> AddUrl(const UrlRole& role, const SourceText& value) {
        const std::size_t pathLength = FindAnyOf(value.text, "?#");
        std::string_view v = value.text.substr(0, pathLength);  // as StripFragmentOrQuery
        // A page names the same file many times (navigation, the entries of an index): what a
        // path is and resolves to is worked out once per page; where it was written is not.
        const bool memo = !role.isBase && !role.fromScript && !role.onlyIfFound;
        std::optional<EUrl> url(std::in_place);
        if (!memo || !known_.Find(v, *url)) {
            url = Describe(v, role);
            if (!url) return url;
            if (memo) known_.Add(v, *url);
        }
        url->start = value.Begin(0);
        url->end = v.empty() ? url->start : value.EndAfter(v.size()) - 1;
        url->line = page_.LineFromOffset(url->start);
        url->source = role.source;
        ++(url->IsExternal() ? page_.externalUrlCount : page_.localUrlCount);
        url->Set(EUrl::kEmbedded, role.embedded);
        url->Set(EUrl::kInFrame, role.inFrame);
        return url;
    }

    // What the path part of a URL is: its text, form and target. Nothing when a script
    // string only looks like a URL.
    std::optional<EUrl> Describe(std::string_view v, const UrlRole& role) {
        EUrl url;
        // Browsers read a backslash in a relative or http(s) URL as a '/'.
        std::string slashed;
        if (v.find('\\') != std::string_view::npos &&
            (!HasUrlScheme(v) || AsciiLower(v.substr(0, 5)).starts_with("http"))) {
            slashed.assign(v);
            std::replace(slashed.begin(), slashed.end(), '\\', '/');
        }
        std::string_view written = slashed.empty() ? v : std::string_view(slashed);
        // The scheme is looked for before decoding: "ftp%3A//x" is a relative path.
        const bool local = IsLocalUrl(context_, written);
        if (role.fromScript && !local && !written.starts_with("//") && !HasKnownScheme(written))
            return std::nullopt;
        url.text = DecodeUrl(written);
        url.Set(EUrl::kExternal, !local);
        if (!local || HasHost(url.text))
            url.Set(EUrl::kFormAbsolute);
        else if (std::string_view p = PathPartView(url.text); p.empty() || p.front() != '/')
            url.Set(EUrl::kFormRelative);
        else
            url.Set(EUrl::kFormRootRelative);
        if (FindAnyOf(v, "\r\n") == std::string::npos) {
            url.Set(EUrl::kNotCanonical, !EncodesTo(url.text, v));
        } else {
            std::string plain;
            for (char c : v)
                if (c != '\r' && c != '\n') plain += c;
            url.Set(EUrl::kNotCanonical, !EncodesTo(url.text, plain));
        }
        if (!local) {
            std::string base = HasHost(context_.baseDirectory) ? context_.baseDirectory
                                                               : "http://" + context_.server;
            url.text = MakeAbsoluteUrl(url.text, base);
            return url;
        }
        Resolve(url, written, role);
        return url;
    }

    void Resolve(EUrl& url, std::string_view written, const UrlRole& role) {
        const bool isBase = role.isBase;
        static const std::string kRoot(1, kPathSep);
        std::string_view raw = LocalUrlPathView(context_, written);
        std::string decoded;
        if (raw.find('%') != std::string_view::npos) decoded = DecodeUrl(raw);
        std::string_view p = decoded.empty() ? raw : std::string_view(decoded);
        if (p.empty()) p = kRoot;
        std::string& path = pathBuffer_;  // reused: resolution runs for every local URL
        ResolveToFilePathInto(p, context_.baseDirectory, context_.siteDirectory, path);
        while (path.size() > 1 && path.back() == kPathSep) path.pop_back();
        if (!site_) {
            url.Set(EUrl::kUntracked);
            return;
        }
        if (!site_->IsWholeSite() && !site_->IsPathTracked(path) && FolderOfExists(path))
            url.Set(EUrl::kUntracked);
        if (site_->HasIgnoredLinks() &&
            site_->IsIgnoredLink(SiteRelativeUrlPath(context_, url.text)))
            url.Set(EUrl::kIgnored);
        bool isFolder = false, sameSpelling = false;
        ENode* node = site_->FindNode(path, &isFolder, &sameSpelling);
        if (!node) {
            // Hidden files, files below a linked folder and files made since the load have no
            // node, yet they exist: not a broken link, but not one the site tracks either. A
            // file above the site's folder is out of the site's reach: broken.
            if (!role.onlyIfFound && site_->Contains(path) && ExistsOnDisk(path))
                url.Set(EUrl::kUntracked);
            return;
        }
        url.target = node;
        if (!isFolder || isBase) {
            url.Set(EUrl::kCaseMismatch, !sameSpelling);
            return;
        }
        const std::string& defaults = site_->GetServerDefaults();
        if (defaults.empty()) return;
        url.target = nullptr;
        for (std::size_t start = 0; start < defaults.size();) {
            std::size_t end = defaults.find(';', start);
            if (end == std::string::npos) end = defaults.size();
            if (end > start) {
                std::string docPath = JoinPath(path, defaults.substr(start, end - start));
                bool docSpelling = false;
                if (ENode* doc = site_->FindNode(docPath, nullptr, &docSpelling)) {
                    url.target = doc;
                    url.Set(EUrl::kViaDefaultDocument);
                    url.Set(EUrl::kCaseMismatch, !docSpelling);
                    return;
                }
            }
            start = end + 1;
        }
    }

    // A page may hold one missing file's link many times (a changelog linked from every
    // entry): each path is looked up on disk once per page.
    bool ExistsOnDisk(const std::string& path) {
        auto known = existence_.find(path);
        if (known != existence_.end()) return known->second;
        const bool exists = PathExists(path);
        existence_.emplace(path, exists);
        return exists;
    }

    static bool FolderOfExists(const std::string& path) {
        return IsFolder(path) || IsFolder(PathDirectory(path));
    }

    void Record(EUrl url, const SourceText& value) {
        if (anchors_ && url.target) NoteFragment(url.target, url.start, value);
        page_.Urls().push_back(std::move(url));
    }

    // ---- fragments ----

    // "#part" alone: a place in this page.
    void NoteOwnFragment(const SourceText& value) {
        if (anchors_ && value.text.starts_with('#')) NoteFragment(&page_, value.Begin(0), value);
    }

    void NoteFragment(ENode* target, std::uint32_t urlStart, const SourceText& value) {
        std::size_t hash = value.text.find('#');
        if (hash == std::string_view::npos) return;
        std::string fragment = DecodeUrl(value.text.substr(hash + 1));
        // An empty fragment and "#top" lead to the top of any page.
        if (fragment.empty() || EqualsNoCase(fragment, "top")) return;
        page_.FragmentRefs().push_back(
            {target, HashFragment(fragment), urlStart, value.EndAfter(value.text.size())});
    }

    // ---- scripts and styles ----

    int FromScript(const MappedText& script, bool module) {
        MappedText clean = WithoutComments(script);
        int found = Assignments(clean);
        found += CallArguments(clean);
        if (module) found += ModuleImports(clean);
        return found;
    }

    int Assignments(const MappedText& clean) {
        std::string lower = AsciiLower(clean.text);
        int found = 0;
        for (std::string_view keyword : kScriptKeywords) {
            for (std::size_t at = lower.find(keyword); at != std::string::npos;
                 at = lower.find(keyword, at + 1)) {
                std::size_t i = at + keyword.size();
                while (i < lower.size() && lower[i] == ' ') ++i;
                if (i >= lower.size() || lower[i] != '=') continue;
                while (i < lower.size() && (lower[i] == '=' || lower[i] == ' ' || lower[i] == '\\'))
                    ++i;
                if (i >= lower.size() || (lower[i] != '"' && lower[i] != '\'')) continue;
                std::size_t begin = i + 1;
                std::size_t end = FindAnyOf(lower, "\"'\\", begin);
                if (end == std::string::npos) end = lower.size();
                // "images/" + n + ".png" only starts a URL the script builds: nothing to check.
                std::size_t after = end + 1;
                while (after < lower.size() && IsHtmlSpace(lower[after])) ++after;
                if (after < lower.size() && lower[after] == '+') continue;
                SourceText value = SourceText::Mapped(clean, begin, end);
                if (StripFragmentOrQueryView(value.text).empty()) continue;
                std::optional<EUrl> url =
                    AddUrl({UrlSource::Script, keyword == "src", false, false, true}, value);
                if (!url) continue;
                Record(std::move(*url), value);
                ++found;
            }
        }
        return found;
    }

    int CallArguments(const MappedText& clean) {
        int found = 0;
        const std::string_view text = clean.text;
        MappedText unescaped;
        for (std::size_t open = text.find('('); open != std::string::npos;
             open = text.find('(', open + 1)) {
            std::size_t close = text.find(')', open + 1);
            if (close == std::string::npos) close = text.size();
            const std::string_view inside = text.substr(open + 1, close - open - 1);
            // Only an argument that starts with a quote can name anything: most calls have
            // none.
            if (inside.find('"') == std::string_view::npos &&
                inside.find('\'') == std::string_view::npos)
                continue;
            // The text between the brackets with backslashes removed: read in place when it
            // has none, as most has.
            const MappedText* args = &clean;
            std::size_t from = open + 1, to = close;
            if (inside.find('\\') != std::string_view::npos) {
                unescaped = MappedText{};
                for (std::size_t i = open + 1; i < close; ++i)
                    if (text[i] != '\\') unescaped.Append(clean, i);
                args = &unescaped;
                from = 0;
                to = unescaped.size();
            }
            const std::string_view list = std::string_view(args->text).substr(0, to);
            for (std::size_t start = from; start <= to;) {
                std::size_t end = list.find(',', start);
                if (end == std::string::npos) end = to;
                found += Argument(*args, start, end, to);
                start = end + 1;
            }
        }
        return found;
    }

    // An argument [begin, end) of a list that ends at `limit` in `args`.
    int Argument(const MappedText& args, std::size_t begin, std::size_t end, std::size_t limit) {
        while (begin < end && IsHtmlSpace(args.text[begin])) ++begin;
        while (end > begin && IsHtmlSpace(args.text[end - 1])) --end;
        if (begin >= end || (args.text[begin] != '"' && args.text[begin] != '\'')) return 0;
        // Only an argument that is one string literal can be a URL; a quote inside means
        // several strings ('a/' + n, object literals), which may still hold markup.
        const char quote = args.text[begin];
        if (end - begin < 2 || args.text[end - 1] != quote ||
            args.text.find(quote, begin + 1) != end - 1) {
            ReadAsHtml(args, begin, end, limit);
            return 0;
        }
        auto strip = [](char c) { return c == '"' || c == '\'' || c == ' '; };
        while (begin < end && strip(args.text[begin])) ++begin;
        while (end > begin && strip(args.text[end - 1])) --end;
        if (begin >= end) return 0;
        SourceText value = SourceText::Mapped(args, begin, end);
        std::optional<EUrl> url =
            AddUrl({UrlSource::Script, false, false, false, true, true}, value);
        if (!url) {
            ReadAsHtml(args, begin, end, limit);
            return 0;
        }
        bool markupOnly =
            url->IsExternal() &&
            value.text.substr(0, value.text.find("://")).find('<') != std::string_view::npos;
        if ((url->IsExternal() && !markupOnly) || url->target) {
            if (auto* file = dynamic_cast<EFileNode*>(url->target); file && !file->IsAscii())
                url->Set(EUrl::kEmbedded);
            Record(std::move(*url), value);
            return 1;
        }
        Undo(*url);
        ReadAsHtml(args, begin, end, limit);
        return 0;
    }

    void Undo(const EUrl& url) {
        --(url.IsExternal() ? page_.externalUrlCount : page_.localUrlCount);
    }

    // An argument that names nothing may be markup (document.write): its tags are searched
    // like the page's own, with offsets mapped back to the file.
    void ReadAsHtml(const MappedText& args, std::size_t begin, std::size_t end, std::size_t limit) {
        if (args.text.find('<', begin) >= end) return;  // no tag can start without a '<'
        EScannerString scanner(args.text.substr(begin, end - begin));
        std::vector<ETag> tags;
        ReadAllTags(scanner, tags, nullptr, nullptr);
        auto map = [&](std::uint32_t offset) {
            std::size_t i = std::min<std::size_t>(begin + offset, limit - 1);
            return args.Begin(i);
        };
        for (ETag& tag : tags) {
            tag.start = map(tag.start);
            tag.end = map(tag.end);
            for (auto& [name, attr] : tag.attributes) attr.valueOffset = map(attr.valueOffset);
            // The assignment pattern has already found quoted URLs of these attributes.
            for (const char* name : {"href", "src", "lowsrc", "dynsrc"}) {
                const ETagAttr* a = tag.Find(name);
                if (a && AlreadyRecorded(a->valueOffset)) tag.Erase(name);
            }
            ProcessTag(tag);
        }
    }

    bool AlreadyRecorded(std::uint32_t offset) const {
        for (const EUrl& u : page_.Urls())
            if (u.start == offset) return true;
        return false;
    }

    int ModuleImports(const MappedText& clean) {
        int found = 0;
        for (auto [begin, end] : ModuleSpecifiers(clean.text)) {
            SourceText value = SourceText::Mapped(clean, begin, end);
            // A bare name ("lodash") is resolved by an import map, not as a path.
            std::string_view t = value.text;
            if (!t.starts_with("./") && !t.starts_with("../") && !t.starts_with('/') &&
                !HasKnownScheme(t))
                continue;
            TryUrl(value, {UrlSource::ModuleImport, true});
            ++found;
        }
        return found;
    }

    void FromStyle(const SourceText& css) {
        for (const StyleReference& ref : StyleReferences(css.text)) {
            UrlRole role{ref.import ? UrlSource::StyleImport : UrlSource::StyleUrl, !ref.import};
            TryUrl(css.Sub(ref.begin, ref.end), role);
        }
    }

    // ---- the file ----

    // The bytes of a script or style block: from the scanner that read the tags when there
    // is one (its window still holds them in a small page), else from a scanner of our own.
    std::string FileBytes(std::uint32_t from, std::uint32_t to) {
        std::string out;
        if (to <= from) return out;
        if (!file_) {
            own_.emplace(page_.GetPath());
            file_ = &*own_;
        }
        file_->Extract(out, from, to);
        return out;
    }

    void ReportUnclosed(const std::string& name, std::uint32_t end) {
        if (!section_) return;
        int line = static_cast<int>(page_.LineFromOffset(end + 1));
        section_->RecordSyntaxError(page_.GetPath(), line,
                                    SyntaxMessage(LoadMessage(28696, {name}), {}));
        section_->WriteLineAt(line, section_->Escape(LoadMessage(28696, {name})));
        section_->Write("\t");
        section_->WriteFileRefLine(ShortenPath(page_.GetPath(), 58));
    }

    EHtmlNode& page_;
    ESection* section_;
    EAppSite* site_;
    EScanner* file_;
    std::optional<EScannerFile> own_;
    UrlContext context_;
    std::string pathBuffer_;
    std::unordered_map<std::string, bool> existence_;  // paths without a node, looked up
    UrlMemo known_;                                    // cleared when a base changes
    bool anchors_ = false;  // collect ids and fragment references for the fragment check
    // An open script or style block, waiting for its end tag.
    struct Block {
        std::string name;
        std::uint32_t end;  // of the opening tag
        bool module;
    };
    std::optional<Block> block_;
};

}  // namespace

ParseResult ExtractUrls(EHtmlNode& page, ESection* section, EScanner* file) {
    return Extractor(page, section, file).Run();
}

// ---- the page's side ----

bool EHtmlNode::StartUrls(ParseResult& result) {
    if (urlsParsed_ || !IsLinkSource()) {
        result = urlsParsed_ ? ParseResult::Ok : ParseResult::NotAPage;
        return false;
    }
    externalUrlCount = 0;
    localUrlCount = 0;
    Urls().clear();
    walkCount_ = 0;
    std::vector<std::uint32_t>().swap(AnchorIds());
    std::vector<FragmentRef>().swap(FragmentRefs());
    baseHref.clear();
    baseNode = nullptr;
    return true;
}

namespace {

// Room for the URLs of a page of `length` bytes before it is read, so that the list does
// not grow by copies: a URL per 64 bytes, or per 16 in a big page, where room not used is
// never touched (so never takes memory) and a copy would double what the list holds.
std::size_t UrlRoomFor(std::uint32_t length) {
    constexpr std::uint32_t kBigPage = 1u << 20;
    return length > kBigPage ? length / 16 : length / 64;
}

}  // namespace

ParseResult EHtmlNode::ParseUrls(ESection* section) {
    if (ParseResult done; !StartUrls(done)) return done;
    if (isStyleSheet_) return ParseStyleSheetUrls();
    if (tagsParsed_) {
        // Tags read from a binary file give no links, as a reading for links alone would.
        if (FileLooksBinary(path_)) {
            urlsParsed_ = true;
            return ParseResult::Ok;
        }
        Urls().reserve(Tags().size());
        const ParseResult status = ExtractUrls(*this, section);
        urlsParsed_ = true;
        return status;
    }
    // One open of the file serves the tags and then the script and style blocks. The tags
    // are read lean (what extraction ignores is skipped) and their URLs taken one by one as
    // they come, so no tag is kept.
    EScannerFile scanner(path_);
    scanner.EmptyIfBinary();
    Urls().reserve(UrlRoomFor(scanner.Length()));
    Extractor extractor(*this, section, &scanner);
    const bool anchors = site_ && site_->CollectsFragments();
    ParseResult tagsStatus =
        StreamTagsFrom(scanner, section, &kExtractionInterest, anchors ? &AnchorIds() : nullptr,
                       [&extractor](ETag& tag) { extractor.Feed(tag); });
    if (!WasRead(tagsStatus)) return tagsStatus;
    ParseResult status = extractor.End();
    urlsParsed_ = true;
    return tagsStatus == ParseResult::SyntaxErrors ? tagsStatus : status;
}

ParseResult EHtmlNode::ParseUrlsOf(const std::string& content, ESection* section) {
    if (ParseResult done; !StartUrls(done)) return done;
    // Offsets are 32-bit, as when the page is read from its file; a binary file reads as
    // empty, as it does from its file.
    const auto length =
        LooksBinary(content)
            ? 0u
            : static_cast<std::uint32_t>(std::min<std::size_t>(content.size(), INT32_MAX));
    ClearLineTable();
    AppendLineEnds(content.data(), length, 0);
    FinishLineTable(length);
    EScannerView scanner(std::string_view(content).substr(0, length));
    if (isStyleSheet_) {
        Extractor(*this, nullptr, &scanner)
            .RunStyleSheet(std::string_view(content).substr(0, length));
        urlsParsed_ = true;
        return ParseResult::Ok;
    }
    Tags().clear();
    tagsParsed_ = false;
    Urls().reserve(UrlRoomFor(length));
    Extractor extractor(*this, section, &scanner);
    const bool anchors = site_ && site_->CollectsFragments();
    ParseResult tagsStatus = ReadAllTags(
        scanner, [&extractor](ETag& tag) { extractor.Feed(tag); }, section, this, 0,
        &kExtractionInterest, anchors ? &AnchorIds() : nullptr);
    ParseResult status = extractor.End();
    urlsParsed_ = true;
    return tagsStatus == ParseResult::SyntaxErrors ? tagsStatus : status;
}

ParseResult EHtmlNode::ParseStyleSheetUrls() {
    EScannerFile scanner(path_);
    if (!scanner.IsOpen()) return ParseResult::Unreadable;
    scanner.EmptyIfBinary();
    // The file is read once, for its text and its line ends together.
    const bool feedLines = !lineTableDone_;
    if (feedLines) {
        ClearLineTable();
        scanner.SetLineSink(this);
    }
    std::string css;
    scanner.Extract(css, 0, scanner.Length());
    if (feedLines) FinishLineTable(scanner.Length());
    Extractor(*this, nullptr, &scanner).RunStyleSheet(css);
    urlsParsed_ = true;
    return ParseResult::Ok;
}

std::string EHtmlNode::GetSiteServer() const {
    return site_ ? site_->GetServer() : std::string();
}

std::string EHtmlNode::GetSiteServerDefaults() const {
    return site_ ? site_->GetServerDefaults() : std::string();
}

std::string EHtmlNode::GetSiteDirectory() const {
    if (site_) return site_->GetDirectory();
    return GetDirectory() + kPathSep;
}

}  // namespace tw
