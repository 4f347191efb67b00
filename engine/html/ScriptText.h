#pragma once
// Reading scripts for URLs: comments cut out the way a script reader would see them (string,
// template and regular-expression literals are not comments, so "https://" in a string
// survives), the specifiers of static module imports, and the schemes that make a string a
// URL rather than text with a colon ("Note: empty", "li:first").

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/html/MappedText.h"

namespace tw {

// The script without its "//" and "/* */" comments; what remains keeps its file offsets.
MappedText WithoutComments(const MappedText& script);

// [begin, end) of each specifier of `import ... from "x"`, `import "x"` and
// `export ... from "x"` in comment-free script text (the text between the quotes).
std::vector<std::pair<std::size_t, std::size_t>> ModuleSpecifiers(std::string_view script);

// Whether the text starts with a scheme that names a resource ("http:", "mailto:", "data:",
// "javascript:", ...), as opposed to any word followed by a colon.
bool HasKnownScheme(std::string_view text);

}  // namespace tw
