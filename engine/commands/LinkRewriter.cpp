#include "engine/commands/LinkRewriter.h"

#include <algorithm>
#include <optional>

#include "core/platform/FileUtils.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/html/AttributeText.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

std::vector<std::string> Split(std::string_view path, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = path.find(sep, start);
        parts.emplace_back(path.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

std::string Bare(std::string_view path) {
    return std::string(StripTrailingSep(path));
}

// The relative way from a folder to a path ("../img/x.gif"); "./" for the folder itself.
std::string RelativePath(const std::string& folder, const std::string& target) {
    std::vector<std::string> from = Split(Bare(folder), kPathSep);
    std::vector<std::string> to = Split(Bare(target), kPathSep);
    std::size_t common = 0;
    while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
    std::string out;
    for (std::size_t i = common; i < from.size(); ++i) out += "../";
    for (std::size_t i = common; i < to.size(); ++i) {
        out += to[i];
        if (i + 1 < to.size()) out += '/';
    }
    return out.empty() ? "./" : out;
}

// A segment as it may be written inside any attribute, string or url(): reserved characters,
// quotes and parentheses escaped.
std::string EncodeSegment(std::string_view segment) {
    std::string out;
    for (char c : EncodeUrl(segment, true)) {
        if (c == '\'' || c == '(' || c == ')') {
            static const char* hex = "0123456789ABCDEF";
            out += '%';
            out += hex[static_cast<unsigned char>(c) >> 4];
            out += hex[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The new path written the way the old one was: each segment found among the old ones keeps
// its old spelling (percent-encoding included); new segments are encoded.
std::string WrittenLike(const std::string& newPath, std::string_view oldWritten) {
    std::vector<std::string> oldRaw = Split(oldWritten, '/');
    std::string out;
    std::vector<std::string> parts = Split(newPath, '/');
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        const std::string& part = parts[i];
        auto same = std::find_if(oldRaw.rbegin(), oldRaw.rend(),
                                 [&](const std::string& raw) { return DecodeUrl(raw) == part; });
        out += same != oldRaw.rend() ? *same : EncodeSegment(part);
    }
    return out;
}

// '&' as a character reference, for a URL that was written with them.
std::string WithReferences(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string BaseFolder(std::string_view local, const std::string& named) {
    const bool namesFolder = !local.empty() && local.back() == '/';
    return (namesFolder ? named : std::string(PathDirectory(named))) + kPathSep;
}

std::string UrlTextFor(const EUrl& url, std::string_view local, const std::string& content,
                       const std::string& folder, const std::string& target,
                       const std::string& siteDir) {
    // The new local path in the URL's own form.
    std::string path;
    if (url.Has(EUrl::kFormRelative)) {
        path = RelativePath(folder, target);
        if (local.starts_with("./") && !path.starts_with("../") && path != "./") path = "./" + path;
    } else {
        path = SiteRelativePathOf(target, siteDir);
    }
    if (!local.empty() && local.back() == '/' && path.back() != '/') path += '/';
    // What stands before the local path (scheme, host, the server's folder) stays.
    const std::string raw = url.end < content.size()
                                ? content.substr(url.start, url.end - url.start + 1)
                                : std::string();
    const std::string written = DecodeCharacterReferences(raw, 0).text;
    const bool references = written.size() != raw.size();
    const std::string prefix = url.text.substr(0, url.text.size() - local.size());
    const std::string writtenPrefix =
        written.starts_with(prefix) ? prefix : EncodeUrl(prefix, false);
    const std::string oldPathWritten =
        written.substr(std::min(written.size(), writtenPrefix.size()));
    const std::string text = writtenPrefix + WrittenLike(path, oldPathWritten);
    return references ? WithReferences(text) : text;
}

ELinkRewriter::ELinkRewriter(const EAppSite& site, const std::vector<MovedPath>& moves)
    : site_(site) {
    for (const MovedPath& m : moves) {
        moves_[Bare(m.from)] = Bare(m.to);
        folded_[FoldCase(Bare(m.from))] = Bare(m.to);
    }
}

std::string ELinkRewriter::Map(std::string_view before) const {
    std::string path = Bare(before);
    // The longest moved path the path lies in: itself, then each folder above it.
    const auto lookup = [&](const std::unordered_map<std::string, std::string>& moves,
                            const std::string& key) -> std::optional<std::string> {
        for (std::size_t end = key.size(); end != 0 && end != std::string::npos;
             end = key.rfind(kPathSep, end - 1)) {
            auto it = moves.find(key.substr(0, end));
            if (it != moves.end()) return it->second + path.substr(end);
        }
        return std::nullopt;
    };
    if (std::optional<std::string> now = lookup(moves_, path)) return *now;
    // A URL spelt with other capitals than its item followed it, unless a file has exactly
    // its spelling: "case.html" is its own file beside a moved "Case.html".
    if (folded_.empty()) return path;
    const std::optional<std::string> folded = lookup(folded_, FoldCase(path));
    return folded && !PathExists(path) ? *folded : path;
}

std::vector<Splice> ELinkRewriter::SplicesFor(EHtmlNode& page, const std::string& pageBefore,
                                              const std::string& pageNow,
                                              const std::string& content) const {
    std::vector<Splice> splices;
    page.ClearTags();
    page.ClearUrls();
    if (!WasRead(page.ParseUrlsOf(content, nullptr))) return splices;
    const UrlContext context = UrlContext::Of(page);
    const std::string& siteDir = site_.GetDirectory();
    const std::string oldFolder = std::string(PathDirectory(pageBefore)) + kPathSep;
    const std::string newFolder = std::string(PathDirectory(pageNow)) + kPathSep;
    std::string oldBase = oldFolder, newBase = newFolder;
    for (const EUrl& url : page.Urls()) {
        if (url.IsExternal()) continue;
        const std::string local = LocalUrlPath(context, url.text);
        if (local.empty()) continue;
        // Where the URL led before the move, and where that item is now.
        const bool isBase = url.IsBaseHref();
        const std::string before =
            Bare(ResolveToFilePath(local, isBase ? oldFolder : oldBase, siteDir));
        const std::string now = Map(before);
        const std::string reached =
            Bare(ResolveToFilePath(local, isBase ? newFolder : newBase, siteDir));
        if (isBase) {
            // Relative URLs after the base resolve against the folder it names.
            oldBase = BaseFolder(local, before);
            newBase = BaseFolder(local, now);
        }
        // Exactly: a name whose capitals changed is a new name for a server that tells case
        // apart.
        if (reached == now) continue;
        splices.push_back(
            {url.start, url.end + 1,
             UrlTextFor(url, local, content, isBase ? newFolder : newBase, now, siteDir)});
    }
    page.ClearTags();
    page.ClearUrls();
    std::sort(splices.begin(), splices.end(),
              [](const Splice& a, const Splice& b) { return a.start < b.start; });
    return splices;
}

}  // namespace tw
