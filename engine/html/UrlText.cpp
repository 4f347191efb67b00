#include "engine/html/UrlText.h"

#include <algorithm>
#include <array>

#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"
#include "engine/model/Node.h"

namespace tw {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The characters EncodeUrl escapes, as a table: it is asked for every byte of every URL.
constexpr std::array<bool, 256> kReservedTable = [] {
    std::array<bool, 256> t{};
    for (char c : std::string_view(" ;/?:@=&<>#%{}|\\^~[]\"`"))
        t[static_cast<unsigned char>(c)] = true;
    return t;
}();

bool IsReserved(unsigned char c) {
    return kReservedTable[c];
}

std::string WithSep(std::string s, char sep) {
    if (s.empty() || s.back() != sep) s += sep;
    return s;
}

// The server's path part ("/~me" of "srv1/~me"); empty when it has none.
std::string_view ServerPathPart(std::string_view server) {
    auto slash = server.find('/');
    return slash == std::string_view::npos ? std::string_view{} : server.substr(slash);
}

}  // namespace

UrlContext UrlContext::Of(const EHtmlNode& page, bool fromNames) {
    UrlContext c;
    c.server = page.GetSiteServer();
    c.baseDirectory = page.GetBaseDirectory(fromNames);
    c.siteDirectory = page.GetSiteDirectory();
    std::string own =
        fromNames ? std::string(PathDirectory(page.RebuildPath())) : page.GetDirectory();
    c.pageFolder = WithSep(own, kPathSep);
    return c;
}

bool HasScheme(std::string_view text) {
    return text.find("://") != std::string_view::npos;
}

bool HasUrlScheme(std::string_view text) {
    auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isAlpha(text[0])) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        char c = text[i];
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

std::string NormalizeServer(std::string_view text) {
    auto scheme = text.find("://");
    std::string_view s = scheme == std::string_view::npos ? text : text.substr(scheme + 3);
    if (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    if (!s.empty() && s.back() == '/') s.remove_suffix(1);
    return std::string(s);
}

std::string DecodeUrl(std::string_view text) {
    if (FindAnyOf(text, "%\r\n") == std::string_view::npos) return std::string(text);
    // Right to left, so that a '%' produced by decoding is never decoded again: the text is
    // built reversed, and the two characters after a '%' are the last two built.
    std::string reversed;
    reversed.reserve(text.size());
    for (std::size_t i = text.size(); i-- > 0;) {
        char c = text[i];
        if (c == '\r' || c == '\n') continue;
        std::size_t n = reversed.size();
        if (c == '%' && n >= 2) {
            int hi = HexValue(reversed[n - 1]), lo = HexValue(reversed[n - 2]);
            if (hi >= 0 && lo >= 0) {
                reversed.resize(n - 2);
                reversed += static_cast<char>(hi * 16 + lo);
                continue;
            }
        }
        reversed += c;  // an invalid escape stays as written
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

namespace {

// How many leading characters of a URL (CR and LF not counted) are a scheme EncodeUrl keeps
// as written: "http:", "ftp:", "mailto:", "file:", "nntp:", "news:", "gopher:", "telnet:".
std::size_t KeptSchemeLength(std::string_view text) {
    static constexpr std::string_view kSchemes[] = {
        "http:", "ftp:", "mailto:", "file:", "nntp:", "news:", "gopher:", "telnet:"};
    std::string lower;
    for (std::size_t k = 0; k < text.size() && lower.size() < 8; ++k)
        if (text[k] != '\r' && text[k] != '\n')
            lower += (text[k] >= 'A' && text[k] <= 'Z') ? static_cast<char>(text[k] + 32) : text[k];
    for (std::string_view scheme : kSchemes)
        if (StartsWith(lower, scheme)) return scheme.size();
    return 0;
}

// Calls emit(piece) with each piece of EncodeUrl's result in order; stops when it says no.
template <typename Emit>
bool Encode(std::string_view text, bool encodeSlash, Emit emit) {
    static const char* hex = "0123456789ABCDEF";
    const std::size_t keep = KeptSchemeLength(text);
    std::size_t kept = 0;
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\r' || c == '\n') continue;
        bool plain = kept < keep || !IsReserved(c) || (c == '/' && !encodeSlash);
        if (kept < keep) ++kept;
        if (plain) {
            if (!emit(std::string_view(&ch, 1))) return false;
        } else {
            const char escaped[3] = {'%', hex[c >> 4], hex[c & 15]};
            if (!emit(std::string_view(escaped, 3))) return false;
        }
    }
    return true;
}

}  // namespace

std::string EncodeUrl(std::string_view text, bool encodeSlash) {
    std::string out;
    out.reserve(text.size());
    Encode(text, encodeSlash, [&](std::string_view piece) {
        out += piece;
        return true;
    });
    return out;
}

bool EncodesTo(std::string_view text, std::string_view written) {
    std::size_t w = 0;
    bool same = Encode(text, false, [&](std::string_view piece) {
        if (written.substr(w, piece.size()) != piece) return false;
        w += piece.size();
        return true;
    });
    return same && w == written.size();
}

namespace {

// Where the "//" that opens a host stands: at the start ("//host/x") or right after a scheme
// ("http://host/x"); npos when the URL has no host ("a//b" is a path with an empty segment).
std::size_t HostSlashes(std::string_view text) {
    // Byte by byte: paths have a slash every few bytes, and a search for "//" would call the
    // library once per slash.
    std::size_t slashes = std::string_view::npos;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '/' && text[i - 1] == '/') {
            slashes = i - 1;
            break;
        }
    }
    if (slashes == 0 || slashes == std::string_view::npos) return slashes;
    if (text[slashes - 1] == ':' && HasUrlScheme(text.substr(0, slashes))) return slashes;
    return std::string_view::npos;
}

}  // namespace

std::string HostOf(std::string_view text) {
    auto slashes = HostSlashes(text);
    if (slashes == std::string_view::npos) return {};
    std::string_view rest = text.substr(slashes + 2);
    return AsciiLower(rest.substr(0, rest.find('/')));
}

bool HasHost(std::string_view text) {
    auto slashes = HostSlashes(text);
    return slashes != std::string_view::npos && slashes + 2 < text.size() &&
           text[slashes + 2] != '/';
}

std::string_view PathPartView(std::string_view text) {
    auto slashes = HostSlashes(text);
    if (slashes != std::string_view::npos) {
        auto slash = text.find('/', slashes + 2);
        return slash == std::string_view::npos ? std::string_view{} : text.substr(slash);
    }
    auto colon = text.find(':');
    return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

std::string PathPartOf(std::string_view text) {
    return std::string(PathPartView(text));
}

std::string StripFragmentOrQuery(std::string_view text) {
    return std::string(StripFragmentOrQueryView(text));
}

std::string_view StripFragmentOrQueryView(std::string_view text) {
    return text.substr(0, FindAnyOf(text, "?#"));
}

namespace {

// Most paths hold no "." segment at all: nothing to do. (".." + s and "." + s both contain
// "." + s; a trailing s + ".." is the only other pattern.)
bool HasDotSegments(std::string_view path, char s) {
    const char dotSep[2] = {'.', s};
    const char sepDots[3] = {s, '.', '.'};
    return path.find(std::string_view(dotSep, 2)) != std::string_view::npos ||
           EndsWith(path, std::string_view(sepDots, 3)) || path == "..";
}

}  // namespace

std::string NormalizeUrlPath(std::string_view input, char s) {
    if (!HasDotSegments(input, s)) return std::string(input);
    const char upText[3] = {'.', '.', s};
    const std::string_view up(upText, 3);
    std::string path(input);
    // "." segments go first, wherever they stand: otherwise a ".." after one ("./../x") would
    // cancel the "." instead of the folder before it.
    for (std::size_t i = 0; (i = path.find('.', i)) != std::string::npos;) {
        if (i + 1 < path.size() && path[i + 1] == s && (i == 0 || path[i - 1] == s))
            path.erase(i, 2);
        else
            ++i;
    }
    // Leading ".." segments stay in front (the kept prefix); the rest is worked on in place.
    std::size_t kept = 0;
    for (;;) {
        std::size_t i = path.find(up, kept);
        // Only a whole ".." segment counts: at the start or right after a separator.
        while (i != std::string::npos && i > kept && path[i - 1] != s) i = path.find(up, i + 1);
        if (i == std::string::npos || i == kept + 1) break;
        if (i == kept) {
            kept += up.size();
            continue;
        }
        // The segment before "..": from the separator before it (or the start) on.
        std::size_t sepBefore = i >= kept + 2 ? path.rfind(s, i - 2) : std::string::npos;
        std::size_t from =
            (sepBefore == std::string::npos || sepBefore < kept) ? kept : sepBefore + 1;
        path.erase(from, i + up.size() - from);
    }
    const char tailText[3] = {s, '.', '.'};
    const std::string_view tailUp(tailText, 3);
    const char upUpText[5] = {'.', '.', s, '.', '.'};
    if (EndsWith(path, tailUp) && path != tailUp &&
        !EndsWith(path, std::string_view(upUpText, 5))) {
        path.resize(path.size() - tailUp.size());
        auto sep = path.rfind(s);
        path.resize(sep == std::string::npos ? 0 : sep);
    }
    const char dotText[2] = {'.', s};
    const std::string_view dot(dotText, 2);
    for (;;) {
        std::size_t i = path.find(dot);
        if (i == std::string::npos || !(i == 0 || path[i - 1] == s)) break;
        path.erase(i, dot.size());
    }
    if (path.empty() && !input.empty() && input.front() == '/') path.push_back('/');
    return path;
}

std::string MakeAbsoluteUrl(std::string_view url, std::string_view base) {
    auto colon = url.find(':');
    // A URL with a scheme but no "//" after it (mailto:, news:, javascript:, data:) is
    // complete as it stands.
    if (HasUrlScheme(url) && url.substr(colon + 1, 2) != "//") return std::string(url);
    std::string scheme =
        colon == std::string_view::npos ? "" : std::string(url.substr(0, colon + 1));
    std::string rest =
        NormalizeUrlPath(colon == std::string_view::npos ? url : url.substr(colon + 1), '/');
    if (scheme.empty()) {
        auto baseColon = base.find(':');
        if (baseColon != std::string_view::npos)
            scheme = std::string(base.substr(0, baseColon + 1));
    }
    if (scheme.empty()) scheme = "http:";
    auto baseColon = base.find(':');
    std::string b =
        WithSep(std::string(baseColon == std::string_view::npos ? std::string_view{}
                                                                : base.substr(baseColon + 1)),
                '/');
    std::string result;
    if (StartsWith(rest, "//")) {
        result = scheme + rest;
    } else if (StartsWith(rest, "/")) {
        std::string h;
        auto slashes = b.find("//");
        if (slashes != std::string::npos)
            h = "//" + b.substr(slashes + 2, b.find('/', slashes + 2) - slashes - 2);
        result = scheme + h + rest;
    } else {
        result = scheme + NormalizeUrlPath(b + rest, '/');
    }
    // "./" segments go; a "./" inside a name or in "../" stays.
    for (std::size_t i; (i = result.find("/./")) != std::string::npos;) result.erase(i, 2);
    return result;
}

bool IsLocalUrl(const UrlContext& page, std::string_view url) {
    std::string_view hostView;
    if (auto slashes = HostSlashes(url); slashes != std::string_view::npos) {
        std::string_view rest = url.substr(slashes + 2);
        hostView = rest.substr(0, rest.find('/'));
    }
    if (!hostView.empty()) {
        std::string host = AsciiLower(hostView);
        if (page.server.size() > host.size()) {
            std::string_view path = PathPartView(url);
            std::size_t n = page.server.size() - host.size();
            if (path.size() >= n) host += path.substr(0, n);
        }
        return !page.server.empty() && EqualsNoCase(host, page.server);
    }
    if (HasHost(page.baseDirectory)) return false;
    // A URL with a scheme but no host (mailto:, javascript:, data:, tel:, file:///...) never
    // names a file of the site.
    if (HasUrlScheme(url) || StartsWith(url, "//")) return false;
    if (StartsWith(url, "/")) {
        std::string_view part = ServerPathPart(page.server);
        if (!part.empty() && !(url.size() >= part.size() &&
                               AsciiLower(url.substr(0, part.size())) == AsciiLower(part)))
            return false;
    }
    return true;
}

std::string_view LocalUrlPathView(const UrlContext& page, std::string_view url) {
    if (url.empty()) return {};
    if (page.server.empty()) return PathPartView(url);
    // The server followed by '/' (or by the end: the URL is read as if it ended in '/').
    const std::string& server = page.server;
    for (std::size_t at = url.find(server); at != std::string_view::npos;
         at = url.find(server, at + 1)) {
        std::size_t after = at + server.size();
        if (after == url.size() || url[after] == '/') return url.substr(after);
    }
    std::string_view part = ServerPathPart(server);
    if (!part.empty()) {
        // The server's path part followed by '/' (or by the end), at the start of the URL.
        bool match = url.size() >= part.size() && url.substr(0, part.size()) == part &&
                     (url.size() == part.size() || url[part.size()] == '/');
        if (match) return url.substr(std::min(url.size(), part.size()));
    }
    return PathPartView(url);
}

std::string LocalUrlPath(const UrlContext& page, std::string_view url) {
    return std::string(LocalUrlPathView(page, url));
}

void ResolveToFilePathInto(std::string_view relative, std::string_view baseDirectory,
                           std::string_view siteDirectory, std::string& out) {
    out.clear();
    if (relative.empty()) {
        out.assign(baseDirectory);
        return;
    }
    if (relative.front() == kPathSep) {
        std::string_view site = siteDirectory;
        if (!site.empty() && site.back() == kPathSep) site.remove_suffix(1);
        out.append(site);
    } else {
        out.append(baseDirectory);
        if (out.empty() || out.back() != kPathSep) out += kPathSep;
    }
    out.append(relative);
    if (!HasDotSegments(out, kPathSep)) return;
    out = NormalizeUrlPath(out, kPathSep);
    const std::string up = std::string("..") + kPathSep;
    if (out.find(up) == std::string::npos) {
        const std::string dot = std::string(1, kPathSep) + "." + kPathSep;
        for (std::size_t i; (i = out.find(dot)) != std::string::npos;) out.erase(i + 1, 2);
    }
}

std::string ResolveToFilePath(std::string_view relative, std::string_view baseDirectory,
                              std::string_view siteDirectory) {
    std::string out;
    ResolveToFilePathInto(relative, baseDirectory, siteDirectory, out);
    return out;
}

std::string SiteRelativeDir(const UrlContext& page) {
    std::string site(StripTrailingSep(page.siteDirectory));
    std::string folder(StripTrailingSep(page.pageFolder));
    std::string rest = folder.size() >= site.size() && StartsWith(folder, site) && site != "/"
                           ? folder.substr(site.size())
                           : (site == "/" ? folder : std::string());
    if (rest.empty() || rest.front() != kPathSep) rest.insert(rest.begin(), kPathSep);
    return WithSep(rest, kPathSep);
}

std::string SiteRelativeBaseDir(const UrlContext& page, std::string_view directory) {
    std::string dir(directory.empty() ? std::string_view(page.baseDirectory) : directory);
    std::string site(StripTrailingSep(page.siteDirectory));
    if (site == "/") site.clear();
    std::string rest = dir.size() >= site.size() ? dir.substr(site.size()) : std::string();
    return WithSep(rest, kPathSep);
}

std::string SiteRelativeUrlPath(const UrlContext& page, std::string_view url) {
    std::string path = DecodeUrl(NormalizeUrlPath(LocalUrlPath(page, url), '/'));
    if (!StartsWith(path, "/")) path = NormalizeUrlPath(SiteRelativeDir(page) + path, '/');
    return path;
}

std::string RelativeUrl(const UrlContext& page, std::string_view targetPath) {
    std::string from = SiteRelativeBaseDir(page);
    std::string target(targetPath);
    std::replace(target.begin(), target.end(), '\\', kPathSep);
    std::size_t common = 0;
    while (common < from.size() && common < target.size() && from[common] == target[common])
        ++common;
    std::size_t pos = target.empty() ? 1 : 0;
    for (std::size_t i = 0; i < common; ++i)
        if (target[i] == kPathSep) pos = i + 1;
    std::string result;
    for (std::size_t i = pos; i < from.size(); ++i)
        if (from[i] == kPathSep) result += "../";
    if (pos < target.size()) result += target.substr(pos);
    if (result.empty()) result = "./";
    std::replace(result.begin(), result.end(), kPathSep, '/');
    return result;
}

std::string ServerUrl(std::string_view path, std::string_view server) {
    if (StartsWith(server, "http") || StartsWith(path, "http://"))
        return std::string(server) + std::string(path);
    return "http://" + std::string(server) + std::string(path);
}

bool IsLocalUrl(const EHtmlNode& page, std::string_view url) {
    return IsLocalUrl(UrlContext::Of(page), url);
}

std::string LocalUrlPath(const EHtmlNode& page, std::string_view url) {
    return LocalUrlPath(UrlContext::Of(page), url);
}

std::string SiteRelativeUrlPath(const EHtmlNode& page, std::string_view url) {
    return SiteRelativeUrlPath(UrlContext::Of(page), url);
}

std::string RelativeUrl(const EHtmlNode& page, std::string_view target) {
    return RelativeUrl(UrlContext::Of(page), target);
}

std::string SiteRelativePathOf(std::string_view path, std::string_view siteDirectory) {
    std::string site(StripTrailingSep(siteDirectory));
    if (site == "/") site.clear();
    std::string rest(path.size() >= site.size() ? path.substr(site.size()) : std::string_view{});
    if (rest.empty() || rest.front() != kPathSep) rest.insert(rest.begin(), kPathSep);
    std::replace(rest.begin(), rest.end(), kPathSep, '/');
    return rest;
}

}  // namespace tw
