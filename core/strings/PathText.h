#pragma once
// Text operations on native file paths. The separator is one named constant so that no code
// spells '/' for a file path.

#include <string>
#include <string_view>

namespace tw {

inline constexpr char kPathSep = '/';

// The first position at or after `from` of any of a few characters; npos when none. (The
// library's find_first_of calls memchr on the set for every character of the text, which
// is slow on the hot paths of URL handling.)
inline std::size_t FindAnyOf(std::string_view text, std::string_view chars, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i)
        for (char c : chars)
            if (text[i] == c) return i;
    return std::string_view::npos;
}

// The path without trailing separators (the root "/" stays as it is).
inline std::string_view StripTrailingSep(std::string_view path) {
    while (path.size() > 1 && path.back() == kPathSep) path.remove_suffix(1);
    return path;
}

// Text after the last separator.
inline std::string_view PathName(std::string_view path) {
    auto pos = path.rfind(kPathSep);
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

// Text before the last separator (empty when there is none).
inline std::string_view PathDirectory(std::string_view path) {
    auto pos = path.rfind(kPathSep);
    return pos == std::string_view::npos ? std::string_view{} : path.substr(0, pos);
}

// Joins a folder and a name with exactly one separator between them.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != kPathSep) out += kPathSep;
    out += name;
    return out;
}

// The extension after the last '.' of the name, without the dot; empty when there is none.
inline std::string_view PathExtension(std::string_view path) {
    std::string_view name = PathName(path);
    auto pos = name.rfind('.');
    return pos == std::string_view::npos ? std::string_view{} : name.substr(pos + 1);
}

}  // namespace tw
