#include "engine/commands/UniqueNames.h"

#include <sys/stat.h>

#include "core/strings/PathText.h"

namespace tw {
namespace {

// Anything at the path, a dangling link included: a name it holds is taken.
bool Taken(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string MakeUniqueName(std::string_view folderPath, std::string_view source,
                           std::string_view suffix) {
    std::string folder(StripTrailingSep(folderPath));
    folder += kPathSep;
    std::string_view bare = StripTrailingSep(source);
    std::string name(PathName(bare));
    std::string candidate = folder + name;
    if (!Taken(candidate)) return candidate;

    struct stat st;
    const bool isFolder = ::stat(std::string(bare).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    std::size_t dot = isFolder ? std::string::npos : name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string base = name.substr(0, name.size() - ext.size());
    if (!suffix.empty()) {
        // "page Copy" and "page Copy(3)" are earlier copies: their suffix is not repeated.
        if (std::size_t k = base.find(suffix); k != std::string::npos) {
            std::string_view rest = std::string_view(base).substr(k + suffix.size());
            if (rest.empty() || (rest.front() == '(' && rest.find(')') == rest.size() - 1 &&
                                 AllDigits(rest.substr(1, rest.size() - 2))))
                base.resize(k);
        }
    }
    candidate = folder + base + std::string(suffix) + ext;
    for (int n = 2; Taken(candidate); ++n)
        candidate = folder + base + std::string(suffix) + "(" + std::to_string(n) + ")" + ext;
    return candidate;
}

std::optional<std::string> MakeFreeName(std::string_view folderPath, std::string name) {
    static constexpr std::string_view kCycle = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string folder(StripTrailingSep(folderPath));
    folder += kPathSep;
    std::size_t position = name.size();  // one past the end: nothing varies yet
    std::size_t cycle = kCycle.size();   // passed the end: start over
    while (Taken(folder + name)) {
        if (cycle == kCycle.size()) {
            cycle = 0;
            if (name.size() < 31) {
                name.push_back(kCycle[0]);
                position = name.size() - 1;
            } else if (position < 5 || position > name.size()) {
                return std::nullopt;
            } else {
                --position;
            }
        }
        name[position] = kCycle[cycle++];
    }
    return name;
}

}  // namespace tw
