#include "engine/html/UrlExtractor.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/Section.h"
#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "core/strings/ShortenPath.h"
#include "core/strings/Strings.h"
#include "engine/html/Scanner.h"
#include "engine/html/TagReader.h"
#include "engine/html/UrlText.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

struct UrlAttribute {
    std::string_view name;
    bool embedded;
};
constexpr UrlAttribute kUrlAttributes[] = {
    {"href", false},  {"src", true},    {"background", true}, {"codebase", true},
    {"lowsrc", true}, {"dynsrc", true}, {"usemap", false},    {"action", false},
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

// Names are looked up for every tag: the lists are searched by bisection.
template <std::size_t N>
constexpr std::array<std::string_view, N> Sorted(const std::string_view (&list)[N]) {
    std::array<std::string_view, N> sorted{};
    for (std::size_t i = 0; i < N; ++i) sorted[i] = list[i];
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

template <std::size_t N>
bool In(const std::array<std::string_view, N>& sorted, std::string_view name) {
    return std::binary_search(sorted.begin(), sorted.end(), name);
}

constexpr auto kNeverSearchedSorted = Sorted(kNeverSearched);
constexpr auto kEventHandlersSorted = Sorted(kEventHandlers);

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

// What extraction reads of a page: URL attributes, event handlers, the attributes of the
// special input and param tags, and script and style tags.
bool WantedAttribute(std::string_view tag, std::string_view attr) {
    if (UrlAttributeIndex(attr) >= 0) return true;
    if (attr.starts_with("on") && In(kEventHandlersSorted, attr)) return true;
    return (tag == "input" || tag == "param") &&
           (attr == "type" || attr == "name" || attr == "value");
}

bool WantedTag(const ETag& tag) {
    using namespace std::string_view_literals;
    if (tag.isEnd || tag.attributes.empty()) return tag.name == "script"sv || tag.name == "style"sv;
    return !In(kNeverSearchedSorted, tag.name);
}

constexpr TagInterest kExtractionInterest{WantedAttribute, WantedTag};

// Text together with the file offset of each of its bytes, so that cutting comments and
// escapes out of a script keeps true file offsets for what remains.
struct MappedText {
    std::string text;
    std::vector<std::uint32_t> origin;

    static MappedText Of(std::string_view text, std::uint32_t offset) {
        MappedText m;
        m.text.assign(text);
        m.origin.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            m.origin[i] = offset + static_cast<std::uint32_t>(i);
        return m;
    }
    void Append(const MappedText& from, std::size_t i) {
        text += from.text[i];
        origin.push_back(from.origin[i]);
    }
    void Append(const MappedText& from, std::size_t begin, std::size_t end) {
        text.append(from.text, begin, end - begin);
        origin.insert(origin.end(), from.origin.begin() + static_cast<std::ptrdiff_t>(begin),
                      from.origin.begin() + static_cast<std::ptrdiff_t>(end));
    }
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t i = 0; (i = text.find(from, i)) != std::string::npos; i += to.size())
        text.replace(i, from.size(), to);
}

// Drops every stretch from `opener` up to and including the end of its line (line comments)
// or the next "*/" (block comments); offsets of what remains are kept.
MappedText Cut(const MappedText& in, std::string_view opener, bool toLineEnd) {
    MappedText out;
    for (std::size_t i = 0, n = in.text.size(); i < n;) {
        std::size_t at = in.text.find(opener, i);
        if (at == std::string::npos) at = n;
        out.Append(in, i, at);
        i = at;
        if (i >= n) break;
        std::size_t end;
        if (toLineEnd) {
            end = in.text.find('\n', i + 2);
            if (end == std::string::npos) end = in.text.find('\r', i + 2);
            i = end == std::string::npos ? n : end + 1;
        } else {
            end = in.text.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
        }
    }
    return out;
}

// Cuts comments the way a script reader would: "//" to the end of the line, then "/*" to
// "*/", leaving "http://" and "ftp://" alone.
MappedText WithoutComments(MappedText in) {
    ReplaceAll(in.text, "http://", "http:<<");
    ReplaceAll(in.text, "ftp://", "ftp:<<");
    MappedText lines = Cut(in, "//", true);
    ReplaceAll(lines.text, "http:<<", "http://");
    ReplaceAll(lines.text, "ftp:<<", "ftp://");
    return Cut(lines, "/*", false);
}

class Extractor {
  public:
    Extractor(EHtmlNode& page, ESection* section, EScanner* file)
        : page_(page), section_(section), site_(page.GetSite()), file_(file) {
        context_ = UrlContext::Of(page);
    }

    int Run() {
        auto& tags = page_.Tags();
        int status = 0;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            ProcessTag(tags[i]);
            const ETag& tag = tags[i];
            if (tag.isEnd || (tag.name != "script" && tag.name != "style")) continue;
            std::size_t close = i + 1;
            while (close < tags.size() && !(tags[close].isEnd && tags[close].name == tag.name))
                ++close;
            if (close == tags.size()) {
                ReportUnclosed(tag);
                status = 3;
                break;
            }
            std::string body = FileBytes(tag.end + 1, tags[close].start);
            if (tag.name == "script")
                FromScript(MappedText::Of(body, tag.end + 1));
            else
                FromStyle(body, tag.end + 1);
            i = close;
        }
        std::stable_sort(page_.Urls().begin(), page_.Urls().end(),
                         [](const EUrl& a, const EUrl& b) { return a.start < b.start; });
        return status;
    }

  private:
    // ---- one tag ----

    void ProcessTag(const ETag& tag) {
        if (tag.isEnd || In(kNeverSearchedSorted, tag.name)) return;
        // One pass over the attributes sorts them into URL attributes and event handlers;
        // the URL attributes are then tried in their fixed order.
        const ETagAttr* urlAttrs[std::size(kUrlAttributes)] = {};
        bool handlers = false;
        for (const auto& [name, attr] : tag.attributes) {
            int k = UrlAttributeIndex(name);
            if (k >= 0)
                urlAttrs[k] = &attr;
            else if (name.starts_with("on") && In(kEventHandlersSorted, name))
                handlers = true;
        }
        for (std::size_t k = 0; k < std::size(kUrlAttributes); ++k)
            if (urlAttrs[k])
                TryAttribute(tag, *urlAttrs[k], kUrlAttributes[k].embedded, kUrlAttributes[k].name);
        if (tag.name == "input" || tag.name == "param") SpecialTags(tag);
        if (!handlers) return;
        for (std::string_view handler : kEventHandlers)
            if (const ETagAttr* a = tag.Find(handler))
                FromScript(MappedText::Of(a->value, a->valueOffset));
    }

    void SpecialTags(const ETag& tag) {
        auto is = [&](const char* attr, const char* value) {
            const ETagAttr* a = tag.Find(attr);
            return a && EqualsNoCase(a->value, value);
        };
        bool redirect = tag.name == "input" && is("type", "hidden") && is("name", "redirect");
        bool local = tag.name == "param" && is("name", "local");
        if (!redirect && !local) return;
        const ETagAttr* value = tag.Find("value");
        if (!value || StripFragmentOrQuery(value->value).empty()) return;
        Record(AddUrl(false, false, false, value->valueOffset, value->value));
    }

    void TryAttribute(const ETag& tag, const ETagAttr& attr, bool embedded, std::string_view name) {
        if (StripFragmentOrQuery(attr.value).empty()) return;
        if (attr.value.starts_with("javascript:") &&
            FromScript(MappedText::Of(attr.value, attr.valueOffset)) > 0)
            return;
        if (IsHistoryGo(attr.value)) return;
        bool isBase = tag.name == "base";
        EUrl url = AddUrl(isBase, embedded, tag.name == "frame", attr.valueOffset, attr.value);
        if (isBase && name == "href") {
            url.Set(EUrl::kBaseHref);
            SetBase(url);
        }
        Record(std::move(url));
    }

    void SetBase(const EUrl& url) {
        if (url.IsExternal()) {
            page_.baseHref = url.text;
            if (page_.baseHref.empty() || page_.baseHref.back() != '/') page_.baseHref += '/';
            page_.baseNode = nullptr;
        } else {
            std::string path =
                ResolveToFilePath(LocalUrlPath(context_, url.text), page_.GetBaseDirectory(false),
                                  context_.siteDirectory);
            ENode* node = site_ ? site_->FindNode(path) : nullptr;
            if (node) {
                page_.baseNode = node;
            } else {
                page_.baseNode = nullptr;
                page_.baseHref = std::string(StripTrailingSep(path)) + kPathSep;
            }
        }
        context_.baseDirectory = page_.GetBaseDirectory(false);
    }

    // ---- one URL ----

    EUrl AddUrl(bool isBase, bool embedded, bool inFrame, std::uint32_t offset,
                std::string_view value) {
        EUrl url;
        std::string_view v = value.substr(0, FindAnyOf(value, "?#"));  // as StripFragmentOrQuery
        url.text = DecodeUrl(v);
        url.start = offset;
        url.end = offset + static_cast<std::uint32_t>(v.size()) - (v.empty() ? 0 : 1);
        url.line = page_.LineFromOffset(offset);
        const bool local = IsLocalUrl(context_, url.text);
        url.Set(EUrl::kExternal, !local);
        ++(local ? page_.localUrlCount : page_.externalUrlCount);
        url.Set(EUrl::kEmbedded, embedded);
        url.Set(EUrl::kInFrame, inFrame);
        if (!local || !HostOf(url.text).empty())
            url.Set(EUrl::kFormAbsolute);
        else if (std::string_view p = PathPartView(url.text); p.empty() || p.front() != '/')
            url.Set(EUrl::kFormRelative);
        else
            url.Set(EUrl::kFormRootRelative);
        if (FindAnyOf(v, "\r\n") == std::string::npos) {
            url.Set(EUrl::kNotCanonical, !EncodesTo(url.text, v));
        } else {
            std::string written;
            for (char c : std::string_view(v))
                if (c != '\r' && c != '\n') written += c;
            url.Set(EUrl::kNotCanonical, !EncodesTo(url.text, written));
        }
        if (!local) {
            std::string base = !HostOf(context_.baseDirectory).empty()
                                   ? context_.baseDirectory
                                   : "http://" + context_.server;
            url.text = MakeAbsoluteUrl(url.text, base);
            return url;
        }
        Resolve(url, isBase);
        return url;
    }

    void Resolve(EUrl& url, bool isBase) {
        static const std::string kRoot(1, kPathSep);
        std::string_view p = LocalUrlPathView(context_, url.text);
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
        bool isFolder = false;
        ENode* node = site_->FindNode(path, &isFolder);
        if (!node) return;
        url.target = node;
        if (!isFolder || isBase) return;
        const std::string& defaults = site_->GetServerDefaults();
        if (defaults.empty()) return;
        url.target = nullptr;
        for (std::size_t start = 0; start < defaults.size();) {
            std::size_t end = defaults.find(';', start);
            if (end == std::string::npos) end = defaults.size();
            if (end > start) {
                if (ENode* doc =
                        site_->FindNode(JoinPath(path, defaults.substr(start, end - start)))) {
                    url.target = doc;
                    url.Set(EUrl::kViaDefaultDocument);
                    return;
                }
            }
            start = end + 1;
        }
    }

    static bool FolderOfExists(const std::string& path) {
        return IsFolder(path) || IsFolder(PathDirectory(path));
    }

    void Record(EUrl url) { page_.Urls().push_back(std::move(url)); }

    void Undo(const EUrl& url) {
        --(url.IsExternal() ? page_.externalUrlCount : page_.localUrlCount);
    }

    // ---- scripts and styles ----

    int FromScript(MappedText script) {
        MappedText clean = WithoutComments(std::move(script));
        int found = Assignments(clean);
        found += CallArguments(clean);
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
                std::string value = clean.text.substr(begin, end - begin);
                if (StripFragmentOrQuery(value).empty()) continue;
                Record(AddUrl(false, keyword == "src", false, clean.origin[begin], value));
                ++found;
            }
        }
        return found;
    }

    int CallArguments(const MappedText& clean) {
        int found = 0;
        for (std::size_t open = clean.text.find('('); open != std::string::npos;
             open = clean.text.find('(', open + 1)) {
            std::size_t close = clean.text.find(')', open + 1);
            if (close == std::string::npos) close = clean.text.size();
            MappedText args;  // the text between the brackets, backslashes removed
            for (std::size_t i = open + 1; i < close; ++i)
                if (clean.text[i] != '\\') args.Append(clean, i);
            std::size_t start = 0;
            while (start <= args.text.size()) {
                std::size_t end = FindAnyOf(args.text, ",)", start);
                if (end == std::string::npos) end = args.text.size();
                found += Argument(args, start, end);
                start = end + 1;
            }
        }
        return found;
    }

    int Argument(const MappedText& args, std::size_t begin, std::size_t end) {
        while (begin < end && IsHtmlSpace(args.text[begin])) ++begin;
        while (end > begin && IsHtmlSpace(args.text[end - 1])) --end;
        if (begin >= end || (args.text[begin] != '"' && args.text[begin] != '\'')) return 0;
        auto strip = [](char c) { return c == '"' || c == '\'' || c == ' '; };
        while (begin < end && strip(args.text[begin])) ++begin;
        while (end > begin && strip(args.text[end - 1])) --end;
        if (begin >= end) return 0;
        std::string value = args.text.substr(begin, end - begin);
        // A double quote left inside means the "argument" spans several strings (object
        // literals): no URL, though it may still hold markup.
        if (value.find('"') != std::string::npos) {
            ReadAsHtml(args, begin, end);
            return 0;
        }
        EUrl url = AddUrl(false, false, false, args.origin[begin], value);
        bool markupOnly =
            url.IsExternal() && value.substr(0, value.find("://")).find('<') != std::string::npos;
        if ((url.IsExternal() && !markupOnly) || url.target) {
            if (auto* file = dynamic_cast<EFileNode*>(url.target); file && !file->IsAscii())
                url.Set(EUrl::kEmbedded);
            Record(std::move(url));
            return 1;
        }
        Undo(url);
        ReadAsHtml(args, begin, end);
        return 0;
    }

    // An argument that names nothing may be markup (document.write): its tags are searched
    // like the page's own, with offsets mapped back to the file.
    void ReadAsHtml(const MappedText& args, std::size_t begin, std::size_t end) {
        if (args.text.find('<', begin) >= end) return;  // no tag can start without a '<'
        EScannerString scanner(args.text.substr(begin, end - begin));
        std::vector<ETag> tags;
        ReadAllTags(scanner, tags, nullptr, nullptr);
        auto map = [&](std::uint32_t offset) {
            std::size_t i = std::min<std::size_t>(begin + offset, args.origin.size() - 1);
            return args.origin[i];
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

    void FromStyle(const std::string& style, std::uint32_t from) {
        for (std::size_t at = style.find("@import"); at != std::string::npos;
             at = style.find("@import", at + 1)) {
            std::size_t begin = at + 7;
            std::size_t semi = style.find(';', begin);
            if (semi == std::string::npos) return;
            std::size_t end = semi;
            std::size_t url = style.find("url", begin);
            if (url != std::string::npos && url < end) begin = url + 3;
            auto trim = [](char c) {
                return c == '"' || c == '\'' || c == ' ' || c == '(' || c == ')' || IsHtmlSpace(c);
            };
            while (begin < end && trim(style[begin])) ++begin;
            while (end > begin && trim(style[end - 1])) --end;
            if (begin >= end) continue;
            Record(AddUrl(false, false, false, from + static_cast<std::uint32_t>(begin),
                          style.substr(begin, end - begin)));
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

    void ReportUnclosed(const ETag& tag) {
        if (!section_) return;
        int line = static_cast<int>(page_.LineFromOffset(tag.end + 1));
        std::string message = LoadMessage(28696, {tag.name});
        section_->RecordSyntaxError(page_.GetPath(), line, message);
        section_->WriteResLineAt(line, 28696, tag.name);
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
};

}  // namespace

int ExtractUrls(EHtmlNode& page, ESection* section, EScanner* file) {
    return Extractor(page, section, file).Run();
}

// ---- the page's side ----

int EHtmlNode::ParseUrls(ESection* section) {
    if (urlsParsed_) return 0;
    if (!isHtml_) return 2;
    externalUrlCount = 0;
    localUrlCount = 0;
    // One open of the file serves the tags and then the script and style blocks. Tags read
    // only for the URLs are read lean (what extraction ignores is skipped) and dropped after.
    std::optional<EScannerFile> scanner;
    int tagsStatus = 0;
    const bool lean = !tagsParsed_;
    if (lean) {
        scanner.emplace(path_);
        tagsStatus = ReadTagsFrom(*scanner, section, &kExtractionInterest);
    }
    if (tagsStatus != 0 && tagsStatus != 3) return tagsStatus;
    urls_.clear();
    std::vector<ENode*>().swap(targets_);
    baseHref.clear();
    baseNode = nullptr;
    urls_.reserve(tags_.size());  // about one URL per kept tag: no regrowth while extracting
    int status = ExtractUrls(*this, section, scanner ? &*scanner : nullptr);
    if (lean) {
        std::vector<ETag>().swap(tags_);
        tagsParsed_ = false;
    }
    urlsParsed_ = true;
    return (tagsStatus == 3 || status == 3) ? 3 : 0;
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
