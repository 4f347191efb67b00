#pragma once
// The string table and the message rule that fills "%1".."%9".

#include <initializer_list>
#include <string>
#include <string_view>

namespace tw {

// The text of string number `id`; empty for a number the table does not hold.
std::string_view LoadString(int id);

// Fills a template: "%n" (n = 1..9) becomes the n-th argument when that many were given
// and "?" otherwise; any other '%' is copied together with the character after it.
std::string FormatMessage(std::string_view templ, std::initializer_list<std::string_view> args);

// LoadString followed by FormatMessage.
std::string LoadMessage(int id, std::initializer_list<std::string_view> args = {});

// printf-style formatting for the table's "%d"/"%s" templates.
std::string FormatPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A path with every byte but letters, digits, "-", "_", ".", "~" and "/" percent-encoded, as
// file URLs and the trash's info files write it.
std::string PercentEncodePath(std::string_view path);

// A field of a tab-separated line: backslash, tab and line ends written as \\, \t, \n, \r.
std::string EscapeField(std::string_view text);
std::string UnescapeField(std::string_view text);

// Bytes as lower-case hexadecimal digits, two per byte, and back (stopping at the first pair
// that is not two digits), for bytes kept in line-based journals.
std::string HexOfBytes(std::string_view bytes);
std::string BytesOfHex(std::string_view hex);

}  // namespace tw
