#pragma once
// URL and path text functions: decoding and encoding, host, path, fragment and query, making
// URLs absolute, collapsing "..", deciding whether a URL belongs to the site, and the relative
// URL from a page to a file. File paths use kPathSep, URLs '/'.

#include <string>
#include <string_view>

namespace tw {

class EHtmlNode;

// What the site-aware functions need to know about a page.
struct UrlContext {
    std::string server;         // NormalizeServer form, may be empty
    std::string baseDirectory;  // the page's base directory (a folder path or a URL), with '/'
    std::string siteDirectory;  // with a trailing separator
    std::string pageFolder;     // the page's own folder, with a trailing separator
    static UrlContext Of(const EHtmlNode& page, bool fromNames = false);
};

bool HasScheme(std::string_view text);
std::string NormalizeServer(std::string_view text);
std::string DecodeUrl(std::string_view text);
std::string EncodeUrl(std::string_view text, bool encodeSlash);
// EncodeUrl(text, false) == written, without building the encoded text.
bool EncodesTo(std::string_view text, std::string_view written);
std::string HostOf(std::string_view text);
// HostOf(text) is not empty, without building it.
bool HasHost(std::string_view text);
std::string PathPartOf(std::string_view text);
// PathPartOf as a view into `text`.
std::string_view PathPartView(std::string_view text);
// The text before the fragment or query: up to the first '?' or '#'.
std::string StripFragmentOrQuery(std::string_view text);
std::string_view StripFragmentOrQueryView(std::string_view text);
std::string NormalizeUrlPath(std::string_view path, char separator);
std::string MakeAbsoluteUrl(std::string_view url, std::string_view base);
// "scheme:" per the URL grammar (letters, then letters, digits, '+', '-', '.').
bool HasUrlScheme(std::string_view text);

bool IsLocalUrl(const UrlContext& page, std::string_view url);
std::string LocalUrlPath(const UrlContext& page, std::string_view url);
std::string ResolveToFilePath(std::string_view relative, std::string_view baseDirectory,
                              std::string_view siteDirectory);
// The same two as views or into a caller's buffer, for the hot path of URL resolution.
std::string_view LocalUrlPathView(const UrlContext& page, std::string_view url);
void ResolveToFilePathInto(std::string_view relative, std::string_view baseDirectory,
                           std::string_view siteDirectory, std::string& out);
std::string SiteRelativeDir(const UrlContext& page);
std::string SiteRelativeBaseDir(const UrlContext& page, std::string_view directory = {});
std::string SiteRelativeUrlPath(const UrlContext& page, std::string_view url);
std::string RelativeUrl(const UrlContext& page, std::string_view target);
std::string ServerUrl(std::string_view path, std::string_view server);

// Page forms of the site-aware functions.
bool IsLocalUrl(const EHtmlNode& page, std::string_view url);
std::string LocalUrlPath(const EHtmlNode& page, std::string_view url);
std::string SiteRelativeUrlPath(const EHtmlNode& page, std::string_view url);
std::string RelativeUrl(const EHtmlNode& page, std::string_view target);

// The path of a file below a site directory in URL form ("/sub/a.htm").
std::string SiteRelativePathOf(std::string_view path, std::string_view siteDirectory);

}  // namespace tw
