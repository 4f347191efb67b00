#include "engine/maintenance/TargetSearch.h"

#include <fnmatch.h>

#include <algorithm>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/CaseFold.h"
#include "engine/html/UrlText.h"
#include "engine/model/Node.h"
#include "engine/model/Site.h"

namespace tw {
namespace {

void SearchFolder(const std::string& folder, const std::string& pattern, bool withFolders,
                  std::vector<std::string>& found) {
    std::vector<std::string> entries;
    DirectoryEnumerator listing(folder, "*");
    std::string path;
    while (listing.Next(path, true)) entries.push_back(path);
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> subfolders;
    for (const std::string& entry : entries) {
        const bool folderEntry = IsFolder(entry) && !listing.LastWasLink();
        const std::string name = entry.substr(folder.size());
        // Letter case aside: a link written "Logo.GIF" is after "logo.gif".
        if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0 &&
            (withFolders || !folderEntry))
            found.push_back(entry);
        if (folderEntry) subfolders.push_back(entry + '/');
    }
    for (const std::string& subfolder : subfolders)
        SearchFolder(subfolder, pattern, withFolders, found);
}

// Blanks made single, line breaks dropped, and the entities a link text most often holds.
std::string Tidy(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
    }
    const std::pair<std::string_view, std::string_view> entities[] = {
        {"&nbsp;", " "}, {"&quot;", "\""}, {"&gt;", ">"}, {"&lt;", "<"}, {"&Agrave;", "\xC3\x80"}};
    for (const auto& [entity, character] : entities)
        for (std::size_t at = out.find(entity); at != std::string::npos;
             at = out.find(entity, at + character.size()))
            out.replace(at, entity.size(), character);
    return out;
}

}  // namespace

std::vector<std::string> FindTargetMatches(std::string_view siteDirectory, std::string_view pattern,
                                           bool withFolders) {
    std::vector<std::string> found;
    if (pattern.empty()) return found;
    std::string folder(siteDirectory);
    if (folder.empty() || folder.back() != '/') folder += '/';
    SearchFolder(folder, std::string(pattern), withFolders, found);
    return found;
}

std::string LinkFileName(std::string_view link) {
    const std::size_t slash = link.find_last_of('/');
    return std::string(slash == std::string_view::npos ? link : link.substr(slash + 1));
}

std::string TagAround(std::string_view content, std::size_t start, std::size_t end) {
    if (start > content.size()) return {};
    std::size_t open = content.rfind('<', start);
    if (open == std::string_view::npos) open = start;
    std::size_t close = content.find('>', std::min(end, content.size()));
    close = close == std::string_view::npos ? content.size() : close + 1;
    // An "a" tag shows its text too: up to its closing tag.
    const std::string_view name = content.substr(open + 1, 2);
    if (name.size() == 2 && (name[0] == 'a' || name[0] == 'A') &&
        (name[1] == ' ' || name[1] == '\t' || name[1] == '\n' || name[1] == '\r')) {
        std::size_t at = close;
        while ((at = content.find("</", at)) != std::string_view::npos) {
            if (at + 3 <= content.size() && (content[at + 2] == 'a' || content[at + 2] == 'A')) {
                const std::size_t last = content.find('>', at);
                close = last == std::string_view::npos ? content.size() : last + 1;
                break;
            }
            at += 2;
        }
    }
    return Tidy(content.substr(open, close - open));
}

std::vector<LinkInstance> FindLinkInstances(const EAppSite& site, std::string_view page,
                                            std::string_view link) {
    std::vector<LinkInstance> found;
    std::string content;
    if (!ReadWholeFile(std::string(page), content)) return found;
    // The site's own node when there is one (it knows the site's URL rules), else a page read
    // for the occasion.
    std::unique_ptr<EHtmlNode> temporary;
    auto* node = dynamic_cast<EHtmlNode*>(site.FindExactNode(page));
    if (!node) {
        temporary = std::make_unique<EHtmlNode>(page);
        node = temporary.get();
    }
    node->ClearUrls();
    node->ParseUrlsOf(content, nullptr);
    for (const EUrl& url : node->Urls()) {
        if (url.IsBaseHref()) continue;
        const bool same = url.IsExternal()
                              ? url.text == link
                              : EqualsNoCase(SiteRelativeUrlPath(*node, url.text), link);
        if (same)
            found.push_back({static_cast<int>(url.line), TagAround(content, url.start, url.end)});
    }
    node->ClearTags();
    node->ClearUrls();
    return found;
}

std::vector<std::string> PagesWithLink(const EAppSite& site, std::string_view link,
                                       std::size_t most, int* count) {
    std::vector<std::string> pages;
    int total = 0;
    for (const ELinkMap* map : {&site.brokenLinks, &site.untrackedLinks, &site.ignoredLinks}) {
        const auto [from, to] = map->equal_range(std::string(link));
        for (auto it = from; it != to; ++it) {
            total += it->second.count;
            if (pages.size() < most) pages.push_back(it->second.page->GetPath());
        }
    }
    if (count) *count = total;
    return pages;
}

}  // namespace tw
