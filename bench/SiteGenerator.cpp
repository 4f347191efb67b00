#include "bench/SiteGenerator.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"

namespace tw::bench {
namespace {

// xorshift64*: the same sequence on every platform and library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    std::uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 2685821657736338717ull;
    }
    int Below(int n) {
        return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n));
    }

  private:
    std::uint64_t state_;
};

struct Page {
    std::string folder;   // site-relative, "" or "d0/d1"
    std::string name;     // file name on disk
    std::string urlName;  // the name as written in URLs
};

std::string RelativeFolderUrl(const std::string& from, const std::string& to) {
    // Both are "a/b/c" style; walk up from `from` to the common prefix, then down to `to`.
    std::vector<std::string> f, t;
    for (std::size_t s = 0; s < from.size();) {
        std::size_t e = from.find('/', s);
        if (e == std::string::npos) e = from.size();
        f.push_back(from.substr(s, e - s));
        s = e + 1;
    }
    for (std::size_t s = 0; s < to.size();) {
        std::size_t e = to.find('/', s);
        if (e == std::string::npos) e = to.size();
        t.push_back(to.substr(s, e - s));
        s = e + 1;
    }
    std::size_t common = 0;
    while (common < f.size() && common < t.size() && f[common] == t[common]) ++common;
    std::string url;
    for (std::size_t i = common; i < f.size(); ++i) url += "../";
    for (std::size_t i = common; i < t.size(); ++i) url += t[i] + "/";
    return url;
}

bool Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

const char* kWords[] = {"harbour", "tide", "sail", "keel", "mast",  "anchor",  "reef",  "gale",
                        "buoy",    "quay", "hull", "rope", "chart", "compass", "stern", "bow"};

}  // namespace

int GenerateSite(const SiteParams& p, const std::string& root) {
    Random rng(p.seed);
    if (!CreateFolders(root)) return -1;

    // Folders: a tree of the given depth and fanout.
    std::vector<std::string> folders{""};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        int level =
            folders[i].empty()
                ? 0
                : static_cast<int>(std::count(folders[i].begin(), folders[i].end(), '/')) + 1;
        if (level >= p.depth) continue;
        for (int k = 0; k < p.fanout; ++k)
            folders.push_back(folders[i].empty() ? "d" + std::to_string(k)
                                                 : folders[i] + "/d" + std::to_string(k));
    }
    for (const std::string& f : folders)
        if (!f.empty() && !CreateFolders(JoinPath(root, f))) return -1;
    CreateFolders(JoinPath(root, "img"));
    CreateFolders(JoinPath(root, "css"));
    CreateFolders(JoinPath(root, "files"));

    // Pages: each folder's index.html first, then the rest spread over the folders.
    std::vector<Page> pages;
    for (const std::string& f : folders) pages.push_back({f, "index.html", ""});
    for (int i = static_cast<int>(pages.size()); i < p.pages; ++i) {
        Page page{folders[static_cast<std::size_t>(rng.Below(static_cast<int>(folders.size())))],
                  "page" + std::to_string(i) + ".html", ""};
        if (i % 10 == 3) page.name = "page " + std::to_string(i) + ".html";  // a space in the name
        pages.push_back(page);
    }
    for (Page& page : pages) {
        page.urlName = page.name;
        for (std::size_t s; (s = page.urlName.find(' ')) != std::string::npos;)
            page.urlName.replace(s, 1, "%20");
    }
    std::vector<std::vector<int>> pagesOf(folders.size());
    for (std::size_t i = 0; i < pages.size(); ++i)
        pagesOf[std::find(folders.begin(), folders.end(), pages[i].folder) - folders.begin()]
            .push_back(static_cast<int>(i));

    for (int i = 0; i < p.images; ++i)
        Write(JoinPath(root, "img/pic" + std::to_string(i) + ".gif"),
              "GIF89a\x01\x00\x01\x00\x80\x00\x00");
    for (int i = 0; i < p.otherFiles; ++i)
        Write(JoinPath(root, "files/doc" + std::to_string(i) + ".pdf"), "%PDF-1.4\n");
    Write(JoinPath(root, "css/site.css"), "body { margin: 0 }\n");

    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Page& page = pages[i];
        std::string html = "<!DOCTYPE html>\n<html>\n<head>\n<title>Page " + std::to_string(i) +
                           "</title>\n<link rel=\"stylesheet\" href=\"/css/site.css\">\n";
        if (p.styles)
            html += "<style>\n  @import url(\"/css/site.css\");\n  p { color: #333 }\n</style>\n";
        if (p.scripts) {
            const Page& t =
                pages[static_cast<std::size_t>(rng.Below(static_cast<int>(pages.size())))];
            html +=
                "<script>\n  // go to '/old/page.html' when asked\n  function go() { location = "
                "'/" +
                (t.folder.empty() ? "" : t.folder + "/") + t.urlName + "'; }\n</script>\n";
        }
        html += "</head>\n<body>\n<h1>Page " + std::to_string(i) + "</h1>\n<ul class=\"nav\">\n";
        // Every folder index reaches its pages and the subfolders' indexes, so the whole site
        // hangs together from the home page.
        if (page.name == "index.html") {
            std::size_t f = static_cast<std::size_t>(
                std::find(folders.begin(), folders.end(), page.folder) - folders.begin());
            for (int k : pagesOf[f])
                if (pages[static_cast<std::size_t>(k)].name != "index.html" &&
                    k % 53 != 7)  // some orphans
                    html += "<li><a href=\"" + pages[static_cast<std::size_t>(k)].urlName + "\">p" +
                            std::to_string(k) + "</a></li>\n";
            for (std::size_t g = 0; g < folders.size(); ++g) {
                const std::string& sub = folders[g];
                if (!sub.empty() &&
                    sub.rfind('/') ==
                        (page.folder.empty() ? std::string::npos : page.folder.size()) &&
                    sub.compare(0, page.folder.size(), page.folder) == 0 && sub != page.folder)
                    html += "<li><a href=\"" + RelativeFolderUrl(page.folder, sub) +
                            "\">folder</a></li>\n";
            }
        }
        for (int l = 0; l < p.linksPerPage; ++l) {
            int kind = rng.Below(100);
            const Page& t =
                pages[static_cast<std::size_t>(rng.Below(static_cast<int>(pages.size())))];
            std::string url;
            if (kind < p.brokenPercent) {
                url = "missing" + std::to_string(rng.Below(1000)) + ".html";
            } else if (kind < 40) {
                url = RelativeFolderUrl(page.folder, t.folder) + t.urlName;
            } else if (kind < 55) {
                url = "/" + (t.folder.empty() ? "" : t.folder + "/") + t.urlName;
            } else if (kind < 65) {
                url = RelativeFolderUrl(page.folder, t.folder) + t.urlName + "#section" +
                      std::to_string(l);
            } else if (kind < 72) {
                url = RelativeFolderUrl(page.folder, t.folder) + t.urlName +
                      "?q=" + std::to_string(l);
            } else if (kind < 80) {
                url = RelativeFolderUrl(page.folder, t.folder);
                if (url.empty()) url = "./";
            } else if (kind < 90) {
                url = "https://example.org/" + std::string(kWords[rng.Below(16)]) + "/" +
                      std::to_string(l);
            } else {
                url = "/img/pic" + std::to_string(rng.Below(std::max(p.images, 1))) + ".gif";
                html += "<p><img src=\"" + url + "\" alt=\"picture\"></p>\n";
                continue;
            }
            html += "<li><a href=\"" + url + "\" title=\"" + kWords[rng.Below(16)] + "\">" +
                    kWords[rng.Below(16)] + "</a></li>\n";
        }
        html += "</ul>\n";
        while (static_cast<int>(html.size()) < p.pageBytes) {
            html += "<p>";
            for (int w = 0; w < 40; ++w) {
                html += kWords[rng.Below(16)];
                html += w % 9 == 8 ? ".\n" : " ";
            }
            html += "</p>\n";
        }
        // The places that "#sectionN" links point at (after the filler, which draws on the
        // random sequence by the page's length).
        for (int l = 0; l < p.linksPerPage; ++l)
            html += "<a id=\"section" + std::to_string(l) + "\"></a>";
        html += "\n</body>\n</html>\n";
        std::string path =
            JoinPath(page.folder.empty() ? root : JoinPath(root, page.folder), page.name);
        if (!Write(path, html)) return -1;
    }
    return static_cast<int>(pages.size());
}

}  // namespace tw::bench
