#pragma once
// Cursors over a sequence of bytes for the tag reader: peek around the cursor, skip to the
// next byte of a set, copy text up to a byte of a set, cut out a range. One reads a file
// through windows (or whole), one bytes in memory, one a standard stream.

#include <algorithm>
#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tw {

class EFileNode;

// White space as HTML readers take it: space, tab, line feed, vertical tab, form feed, CR.
constexpr bool IsHtmlSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A set of bytes, tested in one table lookup. Sets of up to four bytes are also searched
// sixteen bytes at a time.
class ByteSet {
  public:
    constexpr explicit ByteSet(std::string_view chars) {
        for (char c : chars) {
            unsigned char u = static_cast<unsigned char>(c);
            if (bits_[u]) continue;
            bits_[u] = true;
            if (count_ < 4) few_[count_] = c;
            ++count_;
        }
        // A set of fewer than four repeats its first byte in the unused places.
        for (int k = count_; k < 4 && count_ > 0; ++k) few_[k] = few_[0];
    }
    constexpr bool Has(char c) const { return bits_[static_cast<unsigned char>(c)]; }
    // The position of the first byte of data[0..size) in the set, or `size`. Small sets (the
    // ends of quoted values, of text between tags) are searched sixteen bytes at a time; the
    // large ones end names and white space, a few bytes on, and are searched byte by byte.
    std::size_t Find(const char* data, std::size_t size) const {
        std::size_t i = 0;
#if defined(__SSE2__)
        if (count_ <= 4) {
            const __m128i c0 = _mm_set1_epi8(few_[0]), c1 = _mm_set1_epi8(few_[1]);
            const __m128i c2 = _mm_set1_epi8(few_[2]), c3 = _mm_set1_epi8(few_[3]);
            for (; i + 16 <= size; i += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
                const __m128i m =
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, c0), _mm_cmpeq_epi8(v, c1)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, c2), _mm_cmpeq_epi8(v, c3)));
                if (const int mask = _mm_movemask_epi8(m))
                    return i + static_cast<std::size_t>(__builtin_ctz(mask));
            }
        }
#endif
        while (i < size && !Has(data[i])) ++i;
        return i;
    }

  private:
    std::array<bool, 256> bits_{};
    char few_[4] = {};
    int count_ = 0;
};

class EScanner {
  public:
    static constexpr std::uint32_t kUnknownLength = 0xFFFFFFFFu;

    virtual ~EScanner() = default;
    std::uint32_t GetPosition() const { return pos_; }
    std::uint32_t Length() const { return length_; }

    virtual bool IsOpen() const = 0;
    // Moves the cursor by n (may be negative), clamped to 0..length.
    virtual std::uint32_t Advance(std::int64_t n);
    // The byte at cursor + offset as a signed char value; 0 outside the input.
    virtual int Peek(int offset) = 0;
    // Moves to the first byte at or after the cursor that is in the set, or to the end.
    virtual std::uint32_t SkipTo(const ByteSet& set) = 0;
    // Copies every byte up to the first one in the set into `out` and stops on it.
    virtual std::uint32_t ReadUntil(std::string& out, const ByteSet& set) = 0;
    // The bytes of [from, to), clamped to the input; the cursor does not move.
    virtual std::string& Extract(std::string& out, std::uint32_t from, std::uint32_t to);
    virtual bool IsAtEnd();

  protected:
    std::uint32_t pos_ = 0;
    std::uint32_t length_ = kUnknownLength;
};

// Bytes in memory that outlive the scanner. Every call is inline and final: the tag reader
// instantiated on this type reads straight from memory.
class EScannerView : public EScanner {
  public:
    explicit EScannerView(std::string_view text) { Reset(text); }
    bool IsOpen() const final { return true; }
    std::uint32_t Advance(std::int64_t n) final {
        std::int64_t next = static_cast<std::int64_t>(pos_) + n;
        pos_ = next < 0 ? 0 : next > length_ ? length_ : static_cast<std::uint32_t>(next);
        return pos_;
    }
    int Peek(int offset) final {
        const std::int64_t t = static_cast<std::int64_t>(pos_) + offset;
        if (t < 0 || t >= length_) return 0;
        return static_cast<signed char>(data_[t]);
    }
    std::uint32_t SkipTo(const ByteSet& set) final {
        return pos_ += static_cast<std::uint32_t>(set.Find(data_ + pos_, length_ - pos_));
    }
    std::uint32_t ReadUntil(std::string& out, const ByteSet& set) final {
        const std::uint32_t start = pos_;
        SkipTo(set);
        out.assign(data_ + start, pos_ - start);
        return pos_;
    }
    bool IsAtEnd() final { return pos_ >= length_; }
    // Every byte of the range, 0xFF included (the stream form stops at its end-of-file value).
    std::string& Extract(std::string& out, std::uint32_t from, std::uint32_t to) final {
        if (from < to && from < length_) out.append(data_ + from, std::min(to, length_) - from);
        return out;
    }

  protected:
    EScannerView() = default;
    void Reset(std::string_view text) {
        data_ = text.data();
        length_ = static_cast<std::uint32_t>(text.size());
        pos_ = 0;
    }

  private:
    const char* data_ = "";
};

// A text of its own (not copied: the view would still point at the original).
class EScannerString final : public EScannerView {
  public:
    explicit EScannerString(std::string text) : text_(std::move(text)) { Reset(text_); }
    EScannerString(const EScannerString&) = delete;
    EScannerString& operator=(const EScannerString&) = delete;

  private:
    std::string text_;
};

class EScannerIstream : public EScanner {
  public:
    explicit EScannerIstream(std::istream& stream);
    bool IsOpen() const override { return true; }
    std::uint32_t Advance(std::int64_t n) override;
    // At the end, offset 0 gives the stream's end-of-file value (-1).
    int Peek(int offset) override;
    std::uint32_t SkipTo(const ByteSet& set) override;
    std::uint32_t ReadUntil(std::string& out, const ByteSet& set) override;
    bool IsAtEnd() override;

  private:
    std::istream& stream_;
};

class EScannerFile final : public EScanner {
  public:
    // A page of up to 4 MiB is read whole in one read. A larger one goes through windows of
    // 64 KiB: two of them keep look-behind across a boundary in memory, and each block of the
    // file is read once in a forward pass, so a page of any size costs little memory.
    static constexpr std::uint32_t kWholeFileMax = 4u << 20;
    static constexpr std::uint32_t kDefaultWindow = 1u << 16;

    // With a window size, the file is read through windows of that size whatever its length.
    explicit EScannerFile(std::string path, std::uint32_t windowSize = 0);
    ~EScannerFile() override;

    bool IsOpen() const override { return fd_ >= 0; }
    // A binary file (LooksBinary) reads as empty: a file named like a page that is not one
    // gives no links. Called before the first byte is read.
    void EmptyIfBinary() { emptyIfBinary_ = true; }
    // Inline: the tag reader peeks at nearly every byte inside tags.
    int Peek(int offset) override {
        std::int64_t t = static_cast<std::int64_t>(pos_) + offset;
        if (t < 0 || t >= length_) return 0;
        std::uint32_t u = static_cast<std::uint32_t>(t);
        if (u >= blockStart_[last_] && u - blockStart_[last_] < blockSize_[last_])
            return static_cast<signed char>(buffer_[last_][u - blockStart_[last_]]);
        return PeekSlow(u);
    }
    std::uint32_t Advance(std::int64_t n) override {
        std::int64_t next = static_cast<std::int64_t>(pos_) + n;
        pos_ = next < 0 ? 0 : next > length_ ? length_ : static_cast<std::uint32_t>(next);
        return pos_;
    }
    // Inline while the search ends inside the window in use: most end a few bytes on.
    std::uint32_t SkipTo(const ByteSet& set) override {
        const int w = last_;
        if (pos_ >= blockStart_[w] && pos_ - blockStart_[w] < blockSize_[w]) {
            const std::uint32_t begin = pos_ - blockStart_[w];
            const std::uint32_t left = blockSize_[w] - begin;
            const auto i = static_cast<std::uint32_t>(set.Find(buffer_[w].get() + begin, left));
            if (i < left) return pos_ += i;
        }
        return Scan<false>(nullptr, set);
    }
    std::uint32_t ReadUntil(std::string& out, const ByteSet& set) override {
        const int w = last_;
        if (pos_ >= blockStart_[w] && pos_ - blockStart_[w] < blockSize_[w]) {
            const std::uint32_t begin = pos_ - blockStart_[w];
            const std::uint32_t left = blockSize_[w] - begin;
            const char* data = buffer_[w].get() + begin;
            const auto i = static_cast<std::uint32_t>(set.Find(data, left));
            if (i < left) {
                out.assign(data, i);
                return pos_ += i;
            }
        }
        out.clear();
        return Scan<true>(&out, set);
    }
    // Copies whole stretches of the windows rather than byte by byte.
    std::string& Extract(std::string& out, std::uint32_t from, std::uint32_t to) override;
    bool IsAtEnd() override { return pos_ >= length_; }

    // Lets the node collect its line ends from the blocks as they are first read in order,
    // so that a page is read once for its tags and its lines.
    void SetLineSink(EFileNode* node) { lineSink_ = node; }
    // Blocks read from the disk so far (for tests of the window behaviour).
    int ReadCount() const { return reads_; }
    // The whole file when one window holds it (read now if need be), else empty: a reader
    // can then go over plain memory.
    std::string_view WholeText();

  private:
    // The window holding `target`, loading its block when needed; -1 outside the input.
    int WindowFor(std::uint32_t target);
    int PeekSlow(std::uint32_t target);
    template <bool kCopy>
    std::uint32_t Scan(std::string* out, const ByteSet& set);

    std::string path_;
    int fd_ = -1;
    bool emptyIfBinary_ = false;
    std::uint32_t window_;
    std::unique_ptr<char[]> buffer_[2];
    std::uint32_t capacity_[2] = {0, 0};
    std::uint32_t blockStart_[2] = {kUnknownLength, kUnknownLength};
    std::uint32_t blockSize_[2] = {0, 0};
    int last_ = 0;  // the window used last
    EFileNode* lineSink_ = nullptr;
    int reads_ = 0;
};

}  // namespace tw
