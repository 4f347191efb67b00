#pragma once
// Text together with where each of its bytes came from in the file. Cutting comments and
// escapes out of a script, or decoding character references in an attribute, changes the
// text but not the file: link rewriting splices file bytes, so every URL found in such text
// must still name the exact bytes it was written as.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct MappedText {
    std::string text;

    // The bytes as they stand in the file from `offset` on.
    static MappedText Of(std::string_view bytes, std::uint32_t offset);

    std::size_t size() const { return text.size(); }
    // Appends text[i] (or text[from, to)) of another mapped text, keeping its origin.
    void Append(const MappedText& other, std::size_t i);
    void Append(const MappedText& other, std::size_t from, std::size_t to);
    // Appends bytes that all stand for the file bytes [fileBegin, fileEnd) (a decoded
    // character reference).
    void AppendDecoded(std::string_view bytes, std::uint32_t fileBegin, std::uint32_t fileEnd);
    // File offset of the first source byte of text[i], and just past its last.
    std::uint32_t Begin(std::size_t i) const;
    std::uint32_t End(std::size_t i) const;

  private:
    // The origin of text[at] up to the next run: byte k of a copied run stands for the file
    // byte begin + k; every byte of a decoded run for the file bytes [begin, end). Scripts
    // are mostly long copied stretches, so a run per stretch, not a pair of offsets per byte.
    struct Run {
        std::uint32_t at;
        std::uint32_t begin;
        std::uint32_t end;
        bool decoded;
    };
    std::size_t RunAt(std::size_t i) const;
    // Adds the origin of `length` bytes about to be appended, merged with the last run when
    // it goes on from there.
    void AddRun(std::uint32_t begin, std::uint32_t end, bool decoded);
    std::vector<Run> runs_;
};

// A piece of text a URL is read from, and how to find its bytes in the file: either the
// file's own bytes from `start` on, or a stretch of a mapped text.
struct SourceText {
    std::string_view text;
    std::uint32_t start = 0;
    const MappedText* map = nullptr;
    std::size_t at = 0;  // index of text[0] in map

    static SourceText Plain(std::string_view text, std::uint32_t start) {
        return {text, start, nullptr, 0};
    }
    static SourceText Mapped(const MappedText& map, std::size_t from, std::size_t to) {
        return {std::string_view(map.text).substr(from, to - from), 0, &map, from};
    }
    // File offset of text[i] (of the end of the text when i is its size).
    std::uint32_t Begin(std::size_t i) const;
    // File offset just past the source bytes of text[0, n); Begin(0) when n is 0.
    std::uint32_t EndAfter(std::size_t n) const;
    SourceText Sub(std::size_t from, std::size_t to) const;
};

}  // namespace tw
