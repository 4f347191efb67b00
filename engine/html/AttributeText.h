#pragma once
// Reading URLs out of attribute values the way browsers do: character references decoded,
// surrounding white space dropped, the candidates of a srcset list, the URL part of a
// refresh instruction. Positions are indexes into the text given, so that callers keep the
// file offsets of what they find.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/html/MappedText.h"

namespace tw {

// [first, last) of the text without ASCII white space at either end.
std::pair<std::size_t, std::size_t> TrimmedRange(std::string_view text);

// The value with its character references ("&amp;", "&#38;", "&#x26;", named ones that URLs
// use) decoded; every decoded byte maps to the whole reference in the file.
MappedText DecodeCharacterReferences(std::string_view value, std::uint32_t offset);

// The URL of each candidate of a srcset value ("a.png 1x, b.png 2x"): the text before its
// descriptors, split at commas by the HTML rules (a URL may itself hold commas).
std::vector<std::pair<std::size_t, std::size_t>> SrcsetUrls(std::string_view value);

// The URL of a refresh instruction ("5; url=next.html", "0;URL='a.htm'"); empty range
// when it holds none.
std::pair<std::size_t, std::size_t> RefreshUrl(std::string_view content);

// The hash fragments and anchors are compared by (32-bit FNV-1a of the text).
std::uint32_t HashFragment(std::string_view text);
// The hash of an id or <a> name as written in its attribute (trimmed, references decoded).
std::uint32_t HashAnchor(std::string_view value);

}  // namespace tw
