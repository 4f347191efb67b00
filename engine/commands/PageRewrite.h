#pragma once
// Rewriting a page in place: the bytes of given spans are replaced and every other byte is
// kept. The new content goes to a temporary file in the page's own folder, is flushed, takes
// the page's permission bits and is renamed over the page, so no failure leaves a half-written
// page. A page that is a symbolic link is rewritten where it points.

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

struct Splice {
    std::uint32_t start = 0;  // first byte replaced
    std::uint32_t end = 0;    // one past the last byte replaced
    std::string text;         // what goes there
};

// Applies the splices (sorted by start, not overlapping); `previous`, when given, receives
// the bytes each splice replaced, in order. False, with the reason logged and the page
// untouched, when it could not.
bool RewritePage(const std::string& path, const std::vector<Splice>& splices,
                 std::vector<std::string>* previous = nullptr);

// Whether the page may be rewritten: a read-only page is made writable when the user agrees
// (the answer "to all" is remembered for the rest of the run). Logged either way.
bool EnsureWritable(const std::string& path);

}  // namespace tw
