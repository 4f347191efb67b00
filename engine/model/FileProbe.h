#pragma once
// What a node needs to know about its path, read once and shared by every constructor: whether
// it exists, whether it is a folder, and the first 512 bytes of a regular file (lower-cased).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct FileProbe {
    static constexpr int kProbeBytes = 512;

    explicit FileProbe(std::string_view path);

    std::string path;
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;  // a plain file: not a folder, FIFO, socket or device
    std::int64_t size = 0;
    std::uint32_t attributes = 0;  // the platform attribute word (see FileAttributes)
    int bytesRead = 0;
    char buffer[kProbeBytes + 1] = {};  // NUL-terminated, ASCII letters lower-cased

    // Every byte read is below 0x80, except that 0xA9 is allowed.
    bool IsAsciiText() const;
};

// The two user lists that decide whether a file is HTML: "HtmlExtensions" and
// "LiteralHtmlText", read from the application profile. A snapshot is re-read only when the
// profile changed on disk.
class HtmlLists {
  public:
    static std::shared_ptr<const HtmlLists> Current();

    // Whether a file with this path and probe is HTML by the lists.
    bool IsHtml(std::string_view path, const FileProbe& probe) const;

    std::vector<std::string> extensions;  // lower case
    std::vector<std::string> literals;    // lower case
};

}  // namespace tw
