#pragma once
// How reading a page went.

namespace tw {

enum class ParseResult : int {
    Ok = 0,
    Unreadable = 1,    // the file could not be opened or read
    NotAPage = 2,      // neither a page nor a stylesheet: there is nothing to read
    SyntaxErrors = 3,  // read, with syntax errors reported
};

// The page was read (syntax errors or not): its tags and URLs are there.
inline bool WasRead(ParseResult result) {
    return result == ParseResult::Ok || result == ParseResult::SyntaxErrors;
}

}  // namespace tw
