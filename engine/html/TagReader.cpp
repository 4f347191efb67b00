#include "engine/html/TagReader.h"

#include <algorithm>
#include <array>

#include "core/log/Section.h"
#include "core/strings/CaseFold.h"
#include "core/strings/ShortenPath.h"
#include "core/strings/Strings.h"
#include "engine/html/AttributeText.h"
#include "engine/html/Scanner.h"
#include "engine/model/Node.h"

namespace tw {
namespace {

constexpr ByteSet kAngles("<>");
constexpr ByteSet kNameEnd("> \t\r\n<");
constexpr ByteSet kAttrNameEnd("= \t\r\n><");
constexpr ByteSet kValueEnd("> \t\r\n<");
constexpr ByteSet kDoubleQuoteEnd("\"><");
constexpr ByteSet kSingleQuoteEnd("'><");
constexpr std::uint32_t kContextMax = 160;
constexpr std::size_t kShortPath = 58;

// Every byte but white space: skipping white space is a search for the next one of these.
constexpr std::array<char, 250> kNonSpaceBytes = [] {
    std::array<char, 250> bytes{};
    std::size_t n = 0;
    for (int c = 0; c < 256; ++c)
        if (!IsHtmlSpace(c)) bytes[n++] = static_cast<char>(c);
    return bytes;
}();
constexpr ByteSet kNonSpace(std::string_view(kNonSpaceBytes.data(), kNonSpaceBytes.size()));

template <typename S>
void SkipSpace(S& s) {
    s.SkipTo(kNonSpace);
}

std::uint32_t Before(std::uint32_t pos, std::uint32_t n) {
    return pos > n ? pos - n : 0;
}

void LowerInPlace(std::string& text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

// The text around an error as one line: line ends dropped, double spaces collapsed; with
// `forHtml`, angle brackets escaped for the HTML report.
std::string Context(EScanner& s, std::uint32_t from, std::uint32_t to, bool forHtml) {
    std::string raw;
    s.Extract(raw, std::max(from, Before(to, kContextMax)), to);
    std::string out;
    for (char c : raw) {
        if (c == '\r' || c == '\n' || c == '\0') continue;
        if ((c == ' ' || c == '\t') && (out.empty() || out.back() == ' ')) continue;
        if (c == '\t') c = ' ';
        if (forHtml && c == '<')
            out += "&lt;";
        else if (forHtml && c == '>')
            out += "&gt;";
        else
            out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

void Report(ParseResult& status, ESection* section, EFileNode* node, std::uint32_t baseOffset,
            EScanner& s, int messageId, std::uint32_t from, std::uint32_t to,
            std::uint32_t errorOffset) {
    status = ParseResult::SyntaxErrors;
    if (!section) return;
    std::uint32_t line = node ? node->LineFromOffset(errorOffset + baseOffset) : 0;
    section->RecordSyntaxError(node ? node->GetPath() : std::string(), static_cast<int>(line),
                               SyntaxMessage(LoadString(messageId), Context(s, from, to, false)));
    // The message is text ('no starting "<"'): in an HTML log it must not become markup.
    section->WriteLineAt(static_cast<int>(line), section->Escape(LoadString(messageId)));
    section->Write("\t");
    section->WriteLine(Context(s, from, to, true));
    section->Write("\tin ");
    section->WriteFileRefLine(ShortenPath(node ? node->GetPath() : std::string(), kShortPath));
    section->EndLine();
}

}  // namespace

std::string SyntaxMessage(std::string_view message, std::string_view context) {
    std::string out(message);
    if (out.ends_with(" near") && !context.empty()) {
        out += " \"";
        out += context;
        out += '"';
        return out;
    }
    // Nothing to show after the word, or a page the finding names anyway: the word goes.
    for (std::string_view word : {" near", " in"})
        if (out.ends_with(word)) out.resize(out.size() - word.size());
    return out;
}

namespace {

// Where a quoted value that met a '<' or '>' really ends: the distance from the cursor to
// its closing quote, when that quote comes within a short look-ahead and is followed by what
// may follow a value (white space, '>', '/' or the end). 0 when the quote is missing: the
// value then stops at the bracket, and the text after it is not swallowed.
template <typename S>
int ClosingQuoteAhead(S& s, int quote) {
    constexpr int kLookAhead = 4096;
    for (int k = 1; k < kLookAhead; ++k) {
        const int c = s.Peek(k);
        if (c == quote) {
            const int after = s.Peek(k + 1);
            return (after == 0 || after == -1 || after == '>' || after == '/' || IsHtmlSpace(after))
                       ? k
                       : 0;
        }
        if (c == 0 && s.GetPosition() + static_cast<std::uint32_t>(k) >= s.Length()) return 0;
    }
    return 0;
}

void Delimiter(ETag& tag, const char* name, std::uint32_t start, std::uint32_t end, bool isEnd) {
    tag.name = name;
    tag.start = start;
    tag.end = end;
    tag.isEnd = isEnd;
    tag.attributes.clear();
}

}  // namespace

bool ETagReader::GetNextTag(ETag& tag, EScanner& s, ParseResult& status, ESection* section,
                            EFileNode* node, std::uint32_t baseOffset) {
    return Next(tag, s, status, section, node, baseOffset);
}

bool ETagReader::GetNextTag(ETag& tag, EScannerFile& s, ParseResult& status, ESection* section,
                            EFileNode* node, std::uint32_t baseOffset) {
    return Next(tag, s, status, section, node, baseOffset);
}

bool ETagReader::GetNextTag(ETag& tag, EScannerView& s, ParseResult& status, ESection* section,
                            EFileNode* node, std::uint32_t baseOffset) {
    return Next(tag, s, status, section, node, baseOffset);
}

template <typename S>
bool ETagReader::Next(ETag& tag, S& s, ParseResult& status, ESection* section, EFileNode* node,
                      std::uint32_t baseOffset) {
    const std::uint32_t entry = s.GetPosition();
    while (!s.IsAtEnd()) {
        s.SkipTo(kAngles);
        if (s.IsAtEnd()) break;
        const std::uint32_t p = s.GetPosition();
        const int c = s.Peek(0);
        // "<!--" and "<%" open a comment or script block, "-->" and "%>" close either kind;
        // an opener inside a block is skipped, a closer outside one is an error.
        auto open = [&](int width, std::uint32_t end) {
            s.Advance(width);
            if (inComment_) return false;
            inComment_ = true;
            Delimiter(tag, "<!--", p, end, false);
            return true;
        };
        auto close = [&](std::uint32_t start) {
            s.Advance(1);
            if (!inComment_) {
                Report(status, section, node, baseOffset, s, 28704, Before(entry, 20), p + 1, p);
                return false;
            }
            inComment_ = false;
            Delimiter(tag, "-->", start, p, true);
            return true;
        };
        if (c == '<' && s.Peek(1) == '!' && s.Peek(2) == '-' && s.Peek(3) == '-') {
            if (open(4, p + 3)) return true;
            continue;
        }
        if (c == '>' && s.Peek(-1) == '-' && s.Peek(-2) == '-') {
            if (close(p - 2)) return true;
            continue;
        }
        if (c == '<' && s.Peek(1) == '%') {
            if (open(2, p + 1)) return true;
            continue;
        }
        if (c == '>' && s.Peek(-1) == '%') {
            if (close(p - 1)) return true;
            continue;
        }
        if (inComment_) {
            s.Advance(1);
            continue;
        }
        if (c == '>') {
            s.Advance(1);
            Report(status, section, node, baseOffset, s, 28698, Before(entry, 10), p + 10, p);
            continue;
        }
        if (ReadTag(tag, s, status, section, node, baseOffset)) return true;
        if (s.IsAtEnd()) return false;  // the input ended inside the tag
    }
    inComment_ = false;
    return false;
}

// Reads one tag from its '<'. False when the tag was dropped (a '<' inside it; reading goes
// on from there) or the input ended inside it.
template <typename S>
bool ETagReader::ReadTag(ETag& tag, S& s, ParseResult& status, ESection* section, EFileNode* node,
                         std::uint32_t baseOffset) {
    const std::uint32_t p = s.GetPosition();
    s.Advance(1);
    SkipSpace(s);
    tag.isEnd = false;
    if (s.Peek(0) == '/') {
        tag.isEnd = true;
        s.Advance(1);
    }
    tag.attributes.clear();
    s.ReadUntil(tag.name, kNameEnd);
    LowerInPlace(tag.name);
    tag.start = p;
    tag.end = s.GetPosition();
    SkipSpace(s);

    std::string name, value;
    while (s.Peek(0) != '>' && !s.IsAtEnd()) {
        const std::uint32_t a = s.GetPosition();
        s.ReadUntil(name, kAttrNameEnd);
        SkipSpace(s);
        const int b = s.Peek(0);
        if (b == '<') {
            Report(status, section, node, baseOffset, s, 28697, p, s.GetPosition() + 10, p);
            return false;
        }
        LowerInPlace(name);
        const bool wanted = !name.empty() && (!interest_ || interest_->attribute(tag.name, name));
        const bool anchor = anchors_ && !tag.isEnd && IsAnchorAttribute(tag.name, name);
        const bool keep = wanted || anchor;  // the value is read, not skipped
        if (b != '=') {
            if (wanted) tag.Set(name, ETagAttr{a, {}});
            continue;
        }
        s.Advance(1);
        SkipSpace(s);
        std::uint32_t valueOffset;
        const int q = s.Peek(0);
        if (q == '"' || q == '\'') {
            s.Advance(1);
            valueOffset = s.GetPosition();
            const ByteSet& until = q == '"' ? kDoubleQuoteEnd : kSingleQuoteEnd;
            if (keep)
                s.ReadUntil(value, until);
            else
                s.SkipTo(until);
            const std::uint32_t stop = s.GetPosition();
            int reached = s.Peek(0);
            if (reached != q) {
                if (const int close = ClosingQuoteAhead(s, q); close > 0) {
                    // The '<' or '>' was part of the value ("a > b"): browsers read on to
                    // the closing quote, and so do we.
                    if (keep) {
                        std::string rest;
                        value += s.Extract(rest, stop, stop + static_cast<std::uint32_t>(close));
                    }
                    s.Advance(close);
                    reached = q;
                } else {
                    Report(status, section, node, baseOffset, s, 28705, Before(valueOffset, 2),
                           stop + 10, stop);
                }
            }
            if (reached != '>') s.Advance(1);
        } else {
            valueOffset = s.GetPosition();
            if (keep)
                s.ReadUntil(value, kValueEnd);
            else
                s.SkipTo(kValueEnd);
        }
        if (anchor) anchors_->push_back(HashAnchor(value));
        if (wanted) tag.Set(name, ETagAttr{valueOffset, value});
        SkipSpace(s);
    }
    if (s.Peek(0) == '>' && !s.IsAtEnd()) {
        tag.end = s.GetPosition();
        s.Advance(1);
        return true;
    }
    status = ParseResult::SyntaxErrors;
    return false;
}

namespace {

template <typename S>
ParseResult ReadAll(S& scanner, const std::function<void(ETag&)>& sink, ESection* section,
                    EFileNode* node, std::uint32_t baseOffset, const TagInterest* interest,
                    std::vector<std::uint32_t>* anchors) {
    ETagReader reader;
    reader.SetInterest(interest);
    reader.SetAnchorSink(anchors);
    ParseResult status = ParseResult::Ok;
    ETag tag;
    while (!scanner.IsAtEnd()) {
        if (!reader.GetNextTag(tag, scanner, status, section, node, baseOffset)) continue;
        if (interest && !interest->tag(tag)) continue;
        sink(tag);
    }
    return status;
}

}  // namespace

ParseResult ReadAllTags(EScanner& scanner, const std::function<void(ETag&)>& sink,
                        ESection* section, EFileNode* node, std::uint32_t baseOffset,
                        const TagInterest* interest, std::vector<std::uint32_t>* anchors) {
    // The reader is instantiated per kind of scanner so that the calls per byte are direct;
    // a file held whole in memory is read as plain memory.
    if (auto* file = dynamic_cast<EScannerFile*>(&scanner)) {
        if (std::string_view whole = file->WholeText(); !whole.empty()) {
            EScannerView view(whole);
            view.Advance(file->GetPosition());
            ParseResult status = ReadAll(view, sink, section, node, baseOffset, interest, anchors);
            file->Advance(static_cast<std::int64_t>(view.GetPosition()) - file->GetPosition());
            return status;
        }
        return ReadAll(*file, sink, section, node, baseOffset, interest, anchors);
    }
    if (auto* memory = dynamic_cast<EScannerView*>(&scanner))
        return ReadAll(*memory, sink, section, node, baseOffset, interest, anchors);
    return ReadAll(scanner, sink, section, node, baseOffset, interest, anchors);
}

ParseResult ReadAllTags(EScanner& scanner, std::vector<ETag>& tags, ESection* section,
                        EFileNode* node, std::uint32_t baseOffset, const TagInterest* interest,
                        std::vector<std::uint32_t>* anchors) {
    return ReadAllTags(
        scanner, [&tags](ETag& tag) { tags.push_back(std::move(tag)); }, section, node, baseOffset,
        interest, anchors);
}

std::string GetTitle(EHtmlNode& page) {
    if (!page.IsHtml()) return {};
    bool parsedHere = !page.TagsParsed();
    if (parsedHere && page.ParseTags(nullptr) == ParseResult::Unreadable) return {};
    const auto& tags = page.Tags();
    auto it =
        std::find_if(tags.begin(), tags.end(), [](const ETag& t) { return t.name == "title"; });
    std::string title;
    if (it != tags.end()) {
        EScannerFile file(page.GetPath());
        std::uint32_t from = it->end + 1;
        std::uint32_t to = std::next(it) != tags.end() ? std::next(it)->start : file.Length();
        if (file.IsOpen() && to > from) file.Extract(title, from, to);
    }
    if (parsedHere) page.ClearTags();
    return title;
}

}  // namespace tw
