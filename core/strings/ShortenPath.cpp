#include "core/strings/ShortenPath.h"

#include <vector>

#include "core/strings/PathText.h"

namespace tw {

std::string ShortenPath(std::string_view path, std::size_t max) {
    if (path.size() <= max) return std::string(path);
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        std::size_t sep = path.find(kPathSep, start);
        parts.push_back(path.substr(start, sep == std::string_view::npos ? sep : sep - start));
        if (sep == std::string_view::npos) break;
        start = sep + 1;
    }
    const std::size_t n = parts.size();
    std::size_t front = 0, back = 0, length = 3;
    auto fits = [&](std::size_t i) { return length + parts[i].size() + 1 <= max; };
    // The back is preferred for the first two choices, the front for the next two, then the
    // sides alternate; when the preferred side's next part does not fit the other is tried.
    for (int step = 0; front + back < n; ++step) {
        bool preferBack = step < 2 || (step >= 4 && step % 2 == 0);
        std::size_t nextFront = front, nextBack = n - 1 - back;
        if (preferBack ? fits(nextBack) : fits(nextFront)) {
            length += parts[preferBack ? nextBack : nextFront].size() + 1;
            ++(preferBack ? back : front);
        } else if (preferBack ? fits(nextFront) : fits(nextBack)) {
            length += parts[preferBack ? nextFront : nextBack].size() + 1;
            ++(preferBack ? front : back);
        } else {
            break;
        }
    }
    std::string result;
    std::size_t headEnd = 0;
    for (std::size_t i = 0; i < front; ++i) headEnd += parts[i].size() + 1;
    result.append(path.substr(0, headEnd));
    result += "...";
    std::size_t tailLength = 0;
    for (std::size_t i = n - back; i < n; ++i) tailLength += parts[i].size() + 1;
    result.append(path.substr(path.size() - tailLength));
    return result;
}

}  // namespace tw
