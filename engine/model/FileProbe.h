#pragma once
// What a node needs to know about its path, read once and shared by every constructor: whether
// it exists, whether it is a folder, and (when asked) the first 512 bytes of a regular file,
// lower-cased.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct FileProbe {
    static constexpr int kProbeBytes = 512;

    // Reads the path's status; the first bytes are read only when asked for.
    explicit FileProbe(std::string_view path);

    std::string path;
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;  // a plain file: not a folder, FIFO, socket or device
    std::int64_t size = 0;
    std::uint32_t attributes = 0;  // the platform attribute word (see FileAttributes)

    // The first bytes of a regular file, ASCII letters lower-cased (read on first use).
    std::string_view Head() const;
    // Every byte of the head is below 0x80, except that 0xA9 is allowed.
    bool IsAsciiText() const;

  private:
    mutable bool headRead_ = false;
    mutable int bytesRead_ = 0;
    mutable char buffer_[kProbeBytes] = {};
};

// The two user lists that decide whether a file is HTML: "HtmlExtensions" and
// "LiteralHtmlText", read from the application profile. A snapshot is re-read only when the
// profile changed on disk.
class HtmlLists {
  public:
    static std::shared_ptr<const HtmlLists> Current();

    // Whether a file with this path and probe is HTML by the lists.
    bool IsHtml(std::string_view path, const FileProbe& probe) const;
    // Whether its extension alone makes it HTML (its bytes need not be looked at).
    bool IsHtmlByExtension(std::string_view path) const;

    std::vector<std::string> extensions;  // lower case
    std::vector<std::string> literals;    // lower case
};

}  // namespace tw
