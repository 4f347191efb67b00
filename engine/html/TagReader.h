#pragma once
// Reads HTML as a flat sequence of tags: start and end tags with their attributes, and the
// delimiters of comments and server-script blocks, each with byte offsets. Tolerant: syntax
// errors go to a log section and reading goes on.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/html/Tag.h"

namespace tw {

class EScanner;
class ESection;
class EFileNode;
class EHtmlNode;

class ETagReader {
public:
    // Reads the next tag from the scanner's position. False at the end of the input, or when
    // the input ends inside a tag (status becomes 3 then, without a message). Every syntax
    // error sets status to 3 and, when `section` is given, writes an entry naming the line
    // (of `node`, offsets shifted by `baseOffset`) and the text around it.
    bool GetNextTag(ETag& tag, EScanner& scanner, int& status, ESection* section,
                    EFileNode* node, std::uint32_t baseOffset);

    // Inside "<!--" ... "-->" or "<%" ... "%>": nothing there is a tag. Cleared at the end
    // of each input.
    bool InComment() const { return inComment_; }

private:
    bool ReadTag(ETag& tag, EScanner& s, int& status, ESection* section, EFileNode* node,
                 std::uint32_t baseOffset);

    bool inComment_ = false;
};

// Reads every tag of the scanner's input into `tags`; returns 0, or 3 after syntax errors.
int ReadAllTags(EScanner& scanner, std::vector<ETag>& tags, ESection* section, EFileNode* node,
                std::uint32_t baseOffset = 0);

// The raw text between the first "title" tag and the tag after it; empty when the page is
// not HTML or has none. A title tag that ends the file runs to the end of the file.
std::string GetTitle(EHtmlNode& page);

}  // namespace tw
