#include "engine/commands/LinkRepoint.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "core/platform/FileUtils.h"
#include "core/strings/PathText.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// Every symbolic link below the folder; links to folders are not followed (no cycles).
void LinksBelow(const std::string& folder, std::vector<std::string>& links) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = JoinPath(folder, name);
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (::lstat(path.c_str(), &st) != 0) continue;
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_LNK)
            links.push_back(path);
        else if (type == DT_DIR)
            LinksBelow(path, links);
    }
}

// The path with the first move that holds it applied (`back`: undone): where it is now, or
// where it was.
std::string Mapped(const std::string& path, const std::vector<MovedPath>& moved, bool back) {
    for (const MovedPath& m : moved) {
        const std::string& from = back ? m.to : m.from;
        const std::string& to = back ? m.from : m.to;
        if (path == from) return to;
        if (path.starts_with(from) && path[from.size()] == kPathSep)
            return to + path.substr(from.size());
    }
    return path;
}

}  // namespace

std::vector<std::string> RepointLinks(const std::string& siteFolder,
                                      const std::vector<MovedPath>& moved,
                                      ETransferJournal& journal) {
    std::vector<std::string> dangling;
    if (moved.empty()) return dangling;
    std::vector<std::string> links;
    LinksBelow(std::string(StripTrailingSep(siteFolder)), links);
    for (const std::string& link : links) {
        const std::string text = ReadLinkText(link);
        if (text.empty()) continue;
        const bool absolute = text.front() == kPathSep;
        const std::string was = Mapped(link, moved, true);
        const fs::path folderWas = fs::path(was).parent_path();
        const std::string target =
            (absolute ? fs::path(text) : folderWas / text).lexically_normal().string();
        const std::string targetNow = Mapped(target, moved, false);
        if (was == link && targetNow == target) continue;  // neither end moved
        std::string wanted =
            absolute
                ? targetNow
                : fs::path(targetNow).lexically_relative(fs::path(link).parent_path()).string();
        if (wanted.empty()) wanted = text;
        if (wanted != text && !journal.Relink(link, text, wanted)) continue;
        struct stat st;
        if (::stat(link.c_str(), &st) != 0)
            dangling.push_back(link + ": a symbolic link left dangling: it leads to " + targetNow);
    }
    return dangling;
}

}  // namespace tw
