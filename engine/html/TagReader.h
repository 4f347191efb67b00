#pragma once
// Reads HTML as a flat sequence of tags: start and end tags with their attributes, and the
// delimiters of comments and server-script blocks, each with byte offsets. Tolerant: syntax
// errors go to a log section and reading goes on.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/html/Tag.h"
#include "engine/model/ParseResult.h"

namespace tw {

class EScanner;
class EScannerFile;
class EScannerView;
class ESection;
class EFileNode;
class EHtmlNode;

// Which tags and attributes a reader wants kept. Reading, syntax errors and offsets are the
// same either way; what is not wanted is skipped rather than copied.
struct TagInterest {
    bool (*attribute)(std::string_view tagName, std::string_view attributeName);
    bool (*tag)(const ETag& tag);
};

class ETagReader {
  public:
    // Reads the next tag from the scanner's position. False at the end of the input, or when
    // the input ends inside a tag (status becomes SyntaxErrors then, without a message). Every
    // syntax error sets status to SyntaxErrors and, when `section` is given, writes an entry naming
    // the line (of `node`, offsets shifted by `baseOffset`) and the text around it.
    bool GetNextTag(ETag& tag, EScanner& scanner, ParseResult& status, ESection* section,
                    EFileNode* node, std::uint32_t baseOffset);
    // The same on a file or memory scanner, without a virtual call per byte.
    bool GetNextTag(ETag& tag, EScannerFile& scanner, ParseResult& status, ESection* section,
                    EFileNode* node, std::uint32_t baseOffset);
    bool GetNextTag(ETag& tag, EScannerView& scanner, ParseResult& status, ESection* section,
                    EFileNode* node, std::uint32_t baseOffset);

    // Inside "<!--" ... "-->" or "<%" ... "%>": nothing there is a tag. Cleared at the end
    // of each input.
    bool InComment() const { return inComment_; }

    // With an interest, attribute values nobody wants are skipped, not copied.
    void SetInterest(const TagInterest* interest) { interest_ = interest; }
    // When set, the hash of every id (and <a> name) is appended here as it is read, whether or
    // not the interest keeps the attribute: fragments need the places of a page, not its tags.
    void SetAnchorSink(std::vector<std::uint32_t>* anchors) { anchors_ = anchors; }

  private:
    template <typename S>
    bool Next(ETag& tag, S& s, ParseResult& status, ESection* section, EFileNode* node,
              std::uint32_t baseOffset);
    template <typename S>
    bool ReadTag(ETag& tag, S& s, ParseResult& status, ESection* section, EFileNode* node,
                 std::uint32_t baseOffset);

    bool inComment_ = false;
    const TagInterest* interest_ = nullptr;
    std::vector<std::uint32_t>* anchors_ = nullptr;
};

// Reads every tag of the scanner's input into `tags`; Ok, or SyntaxErrors after any.
// With an interest, only the tags it wants are kept.
ParseResult ReadAllTags(EScanner& scanner, std::vector<ETag>& tags, ESection* section,
                        EFileNode* node, std::uint32_t baseOffset = 0,
                        const TagInterest* interest = nullptr,
                        std::vector<std::uint32_t>* anchors = nullptr);
// The same, handing each tag to `sink` as soon as it is read instead of keeping it: a page of
// millions of links never holds all its tags at once. The sink may take the tag's contents.
ParseResult ReadAllTags(EScanner& scanner, const std::function<void(ETag&)>& sink,
                        ESection* section, EFileNode* node, std::uint32_t baseOffset = 0,
                        const TagInterest* interest = nullptr,
                        std::vector<std::uint32_t>* anchors = nullptr);

// Whether the attribute names a place in the page that a fragment can point at.
inline bool IsAnchorAttribute(std::string_view tagName, std::string_view attributeName) {
    return attributeName == "id" || (attributeName == "name" && tagName == "a");
}

// The raw text between the first "title" tag and the tag after it; empty when the page is
// not HTML or has none. A title tag that ends the file runs to the end of the file.
std::string GetTitle(EHtmlNode& page);

// A syntax-error message as one finding: the text around the error follows a closing "near";
// with no such text, or after a closing "in" (the finding names its page), the word goes.
std::string SyntaxMessage(std::string_view message, std::string_view context);

}  // namespace tw
