#pragma once
// Case-insensitive comparison of UTF-8 text, folding every letter the C.UTF-8 locale knows,
// not only ASCII. Site lookups and child ordering use these.

#include <string>
#include <string_view>

namespace tw {

// Lower-cases UTF-8 text letter by letter; invalid bytes are kept as they are.
std::string FoldCase(std::string_view text);

// FoldCase into a caller's buffer (cleared first), so hot lookups need not allocate.
void FoldCaseInto(std::string_view text, std::string& out);

// Lower-cases ASCII letters only (HTML names, extensions); leaves other bytes alone.
std::string AsciiLower(std::string_view text);

// <0, 0, >0 like strcmp, on the folded texts.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Decodes the UTF-8 sequence at text[i] into `cp`; returns its length, or 0 when the bytes
// there are not UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp);

// Appends the UTF-8 bytes of one code point.
void EncodeUtf8(char32_t cp, std::string& out);

}  // namespace tw
