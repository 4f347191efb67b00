#include "engine/model/FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/platform/WholeFile.h"
#include "core/settings/Profile.h"
#include "core/settings/UserExtensibleList.h"
#include "core/strings/CaseFold.h"
#include "core/strings/PathText.h"

namespace tw {
namespace {

std::vector<std::string> SplitJoined(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) items.push_back(AsciiLower(text.substr(start, end - start)));
        start = end + 1;
    }
    return items;
}

struct ProfileStamp {
    std::string path;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    bool operator==(const ProfileStamp& o) const {
        return path == o.path && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

ProfileStamp StampNow() {
    ProfileStamp s;
    s.path = ProfileFilePath();
    struct stat st;
    if (::stat(s.path.c_str(), &st) == 0) {
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
    }
    return s;
}

const std::vector<std::string> kDefaultExtensions = {"html", "htm", "cfm", "asp", "php3"};
const std::vector<std::string> kDefaultLiterals = {"<html>", "<head>"};

std::shared_ptr<const HtmlLists> ReadLists() {
    const std::string file = ProfileFilePath();
    if (!profile::HasSection(file, "HtmlExtensions") &&
        !profile::HasSection(file, "LiteralHtmlText")) {
        GUserExtensibleList(kDefaultExtensions, "HtmlExtensions", false).Save();
        GUserExtensibleList(kDefaultLiterals, "LiteralHtmlText", false).Save();
    }
    auto lists = std::make_shared<HtmlLists>();
    lists->extensions = SplitJoined(ReadJoined("HtmlExtensions", ';'));
    lists->literals = SplitJoined(ReadJoined("LiteralHtmlText", ';'));
    // Without a writable settings folder the lists could not be stored: the defaults stand.
    if (!profile::HasSection(file, "HtmlExtensions")) lists->extensions = kDefaultExtensions;
    if (!profile::HasSection(file, "LiteralHtmlText")) lists->literals = kDefaultLiterals;
    return lists;
}

}  // namespace

FileProbe::FileProbe(std::string_view p) : path(StripTrailingSep(p)) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return;
    exists = true;
    isDirectory = S_ISDIR(st.st_mode);
    isRegular = S_ISREG(st.st_mode);
    size = st.st_size;
    attributes = AttributesFromStat(st, path);
}

std::string_view FileProbe::Head() const {
    if (!headRead_) {
        headRead_ = true;
        int fd = isRegular ? OpenRegularFile(path) : -1;
        if (fd >= 0) {
            ssize_t n = ::read(fd, buffer_, kProbeBytes);
            ::close(fd);
            bytesRead_ = n > 0 ? static_cast<int>(n) : 0;
            for (int i = 0; i < bytesRead_; ++i)
                if (buffer_[i] >= 'A' && buffer_[i] <= 'Z')
                    buffer_[i] = static_cast<char>(buffer_[i] + 32);
        }
    }
    return {buffer_, static_cast<std::size_t>(bytesRead_)};
}

bool FileProbe::IsAsciiText() const {
    if (!exists) return false;
    for (char c : Head()) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u != 0xA9) return false;
    }
    return true;
}

std::shared_ptr<const HtmlLists> HtmlLists::Current() {
    static std::mutex mutex;
    static ProfileStamp stamp;
    static std::shared_ptr<const HtmlLists> lists;
    std::lock_guard lock(mutex);
    ProfileStamp now = StampNow();
    if (!lists || !(now == stamp)) {
        lists = ReadLists();
        stamp = StampNow();  // reading may have stored the defaults
    }
    return lists;
}

bool HtmlLists::IsHtmlByExtension(std::string_view path) const {
    std::string ext = AsciiLower(PathExtension(path));
    for (const std::string& e : extensions)
        if (e == ext) return true;
    return false;
}

bool HtmlLists::IsHtml(std::string_view path, const FileProbe& probe) const {
    if (!probe.exists || probe.isDirectory) return false;
    if (IsHtmlByExtension(path)) return true;
    if (literals.empty()) return false;
    // The probe's bytes may hold NULs; search the whole buffer, not a C string.
    std::string_view head = probe.Head();
    for (const std::string& literal : literals)
        if (head.find(literal) == std::string_view::npos) return false;
    return true;
}

}  // namespace tw
