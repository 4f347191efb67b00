#include "engine/html/Scanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "core/log/Log.h"
#include "core/platform/WholeFile.h"
#include "engine/model/Node.h"

namespace tw {

// ---- EScanner ----

namespace {

// Each thread reads pages one after another: the buffer of one is kept for the next instead
// of being given back and faulted in afresh.
struct SpareBuffer {
    std::unique_ptr<char[]> data;
    std::uint32_t capacity = 0;
};
thread_local SpareBuffer tSpare;

}  // namespace

std::uint32_t EScanner::Advance(std::int64_t n) {
    std::int64_t next = static_cast<std::int64_t>(pos_) + n;
    if (next > static_cast<std::int64_t>(length_)) next = length_;
    if (next < 0) next = 0;
    pos_ = static_cast<std::uint32_t>(next);
    return pos_;
}

std::string& EScanner::Extract(std::string& out, std::uint32_t from, std::uint32_t to) {
    std::uint32_t saved = pos_;
    Advance(static_cast<std::int64_t>(from) - pos_);
    if (pos_ == from) {
        while (pos_ < to && !IsAtEnd()) {
            int c = Peek(0);
            if (c == -1) break;
            out += static_cast<char>(c);
            Advance(1);
        }
    }
    Advance(static_cast<std::int64_t>(saved) - pos_);
    return out;
}

bool EScanner::IsAtEnd() {
    return pos_ == length_ || Peek(0) == -1;
}

// ---- EScannerIstream ----

EScannerIstream::EScannerIstream(std::istream& stream) : stream_(stream) {
    stream_.seekg(0, std::ios::end);
    std::streamoff end = stream_.tellg();
    stream_.seekg(0, std::ios::beg);
    length_ = end < 0 ? 0 : static_cast<std::uint32_t>(end);
}

std::uint32_t EScannerIstream::Advance(std::int64_t n) {
    EScanner::Advance(n);
    stream_.clear();
    stream_.seekg(pos_);
    return pos_;
}

int EScannerIstream::Peek(int offset) {
    std::int64_t t = static_cast<std::int64_t>(pos_) + offset;
    if (offset == 0 && pos_ >= length_) return std::char_traits<char>::eof();
    if (t < 0 || t >= length_) return 0;
    stream_.clear();
    stream_.seekg(t);
    int c = stream_.get();
    stream_.clear();
    stream_.seekg(pos_);
    return c == std::char_traits<char>::eof() ? 0 : static_cast<signed char>(c);
}

std::uint32_t EScannerIstream::SkipTo(const ByteSet& set) {
    while (pos_ < length_ && !set.Has(static_cast<char>(Peek(0)))) Advance(1);
    return pos_;
}

std::uint32_t EScannerIstream::ReadUntil(std::string& out, const ByteSet& set) {
    out.clear();
    while (pos_ < length_) {
        char c = static_cast<char>(Peek(0));
        if (set.Has(c)) break;
        out += c;
        Advance(1);
    }
    return pos_;
}

bool EScannerIstream::IsAtEnd() {
    return pos_ >= length_ || Peek(0) == -1;
}

// ---- EScannerFile ----

EScannerFile::EScannerFile(std::string path, std::uint32_t windowSize) : path_(std::move(path)) {
    struct stat st;
    fd_ = OpenRegularFile(path_, &st);
    if (fd_ < 0) {
        length_ = 0;
        ELog::Instance().LogError(30040);
        ELog::Instance().LogErrorFile(30016, path_);
        return;
    }
    // Offsets in a page are 32-bit; a larger file is read up to that limit, and says so.
    length_ = static_cast<std::uint32_t>(std::min<std::int64_t>(st.st_size, INT32_MAX));
    if (st.st_size > INT32_MAX) ELog::Instance().LogErrorFile(30060, path_);
    if (windowSize == 0) windowSize = length_ <= kWholeFileMax ? length_ : kDefaultWindow;
    window_ = std::max<std::uint32_t>(windowSize, 16);
}

std::string_view EScannerFile::WholeText() {
    if (length_ == 0) return {};
    const int w = WindowFor(0);
    if (w < 0 || blockSize_[w] != length_) return {};
    return {buffer_[w].get(), length_};
}

EScannerFile::~EScannerFile() {
    if (fd_ >= 0) ::close(fd_);
    for (int w = 0; w < 2; ++w) {
        if (buffer_[w] && capacity_[w] > tSpare.capacity) {
            tSpare.data = std::move(buffer_[w]);
            tSpare.capacity = capacity_[w];
        }
    }
}

int EScannerFile::WindowFor(std::uint32_t target) {
    if (target >= length_) return -1;
    for (int w = 0; w < 2; ++w)
        if (blockStart_[w] != kUnknownLength && target - blockStart_[w] < blockSize_[w] &&
            target >= blockStart_[w])
            return last_ = w;
    std::uint32_t block = target - target % window_;
    // Keep the cursor's own block loaded: replace the other window.
    std::uint32_t cursorBlock = pos_ - pos_ % window_;
    int w = (blockStart_[0] == cursorBlock) ? 1 : 0;
    if (!buffer_[w]) {
        if (tSpare.data && tSpare.capacity >= window_ + 1) {
            buffer_[w] = std::move(tSpare.data);
            capacity_[w] = tSpare.capacity;
            tSpare.capacity = 0;
        } else {
            buffer_[w] = std::make_unique_for_overwrite<char[]>(window_ + 1);
            capacity_[w] = window_ + 1;
        }
    }
    std::uint32_t want = std::min(window_, length_ - block);
    std::uint32_t got = 0;
    while (got < want) {
        ssize_t n = ::pread(fd_, buffer_[w].get() + got, want - got, block + got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::uint32_t>(n);
    }
    ++reads_;
    buffer_[w][got] = '\0';
    if (got < want) {
        // The file shrank or could not be read: what follows is treated as absent.
        ELog::Instance().LogError(30040);
        ELog::Instance().LogErrorFile(30017, path_);
        length_ = block + got;
        if (pos_ > length_) pos_ = length_;
    }
    if (block == 0 && emptyIfBinary_ && LooksBinary({buffer_[w].get(), got})) {
        // A binary file named like a page holds no links: it reads as empty.
        length_ = pos_ = got = 0;
    }
    blockStart_[w] = block;
    blockSize_[w] = got;
    if (lineSink_) lineSink_->FeedLineEnds(buffer_[w].get(), got, block);
    if (got == 0 || target >= length_) return -1;
    return last_ = w;
}

int EScannerFile::PeekSlow(std::uint32_t target) {
    int w = WindowFor(target);
    if (w < 0) return 0;
    return static_cast<signed char>(buffer_[w][target - blockStart_[w]]);
}

template <bool kCopy>
std::uint32_t EScannerFile::Scan(std::string* out, const ByteSet& set) {
    while (pos_ < length_) {
        int w = last_;
        if (!(pos_ >= blockStart_[w] && pos_ - blockStart_[w] < blockSize_[w])) w = WindowFor(pos_);
        if (w < 0) break;
        const char* data = buffer_[w].get();
        std::uint32_t begin = pos_ - blockStart_[w];
        const std::uint32_t n = blockSize_[w];
        std::uint32_t i = begin + static_cast<std::uint32_t>(set.Find(data + begin, n - begin));
        if constexpr (kCopy) out->append(data + begin, i - begin);
        pos_ = blockStart_[w] + i;
        if (i < n) break;
    }
    if (pos_ > length_) pos_ = length_;
    return pos_;
}

template std::uint32_t EScannerFile::Scan<false>(std::string*, const ByteSet&);
template std::uint32_t EScannerFile::Scan<true>(std::string*, const ByteSet&);

std::string& EScannerFile::Extract(std::string& out, std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t p = from; p < std::min(to, length_);) {
        int w = WindowFor(p);
        if (w < 0) break;
        std::uint32_t offset = p - blockStart_[w];
        std::uint32_t n = std::min(blockSize_[w] - offset, std::min(to, length_) - p);
        out.append(buffer_[w].get() + offset, n);
        p += n;
    }
    return out;
}

}  // namespace tw
