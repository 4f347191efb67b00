#pragma once

#include <string>
#include <string_view>

namespace tw {

// Shortens a path to at most `max` characters by replacing middle components with "...",
// keeping as many components from both ends as fit (the file name and its folder first).
std::string ShortenPath(std::string_view path, std::size_t max);

}  // namespace tw
