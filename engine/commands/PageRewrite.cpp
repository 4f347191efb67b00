#include "engine/commands/PageRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/log/Log.h"
#include "core/platform/FileUtils.h"
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "engine/services/UiServices.h"

namespace tw {
namespace {

constexpr int kOpenFailed = 30016, kSkippedReadOnly = 31050, kMadeWritable = 31051,
              kCouldNotMakeWritable = 31052, kNoTempFile = 31053, kTempWriteFailed = 31054,
              kReplaceFailed = 31055;

enum class ReadOnlyPolicy { Ask, MakeWritable, Skip };
ReadOnlyPolicy readOnlyPolicy = ReadOnlyPolicy::Ask;

bool WriteAll(int fd, const std::string& data) {
    for (std::size_t done = 0; done < data.size();) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool EnsureWritable(const std::string& path) {
    if (!(FileAttributes(path) & kAttrReadOnly)) return true;
    ReadOnlyPolicy policy = readOnlyPolicy;
    if (policy == ReadOnlyPolicy::Ask) {
        Answer answer = EUiServices::Instance().AskReadOnly(path);
        if (answer == Answer::YesToAll) readOnlyPolicy = ReadOnlyPolicy::MakeWritable;
        if (answer == Answer::NoToAll) readOnlyPolicy = ReadOnlyPolicy::Skip;
        policy = answer == Answer::No || answer == Answer::NoToAll ? ReadOnlyPolicy::Skip
                                                                   : ReadOnlyPolicy::MakeWritable;
    }
    ELog& log = ELog::Instance();
    if (policy == ReadOnlyPolicy::Skip) {
        log.LogErrorFile(kSkippedReadOnly, path);
        return false;
    }
    if (!SetWritable(path, true) || (FileAttributes(path) & kAttrReadOnly)) {
        log.LogErrorFile(kCouldNotMakeWritable, path);
        return false;
    }
    log.LogErrorFile(kMadeWritable, path);
    return true;
}

bool RewritePage(const std::string& page, const std::vector<Splice>& splices,
                 std::vector<std::string>* previous) {
    ELog& log = ELog::Instance();
    // A link is followed to the file it names: that file is the page.
    char real[PATH_MAX];
    const std::string path = ::realpath(page.c_str(), real) ? std::string(real) : page;
    struct stat st;
    std::string content;
    int in = OpenRegularFile(path, &st);
    if (in < 0) {
        log.LogErrorFile(kOpenFailed, page);
        return false;
    }
    ::close(in);
    if (!ReadWholeFile(path, content)) {
        log.LogErrorFile(30017, page);
        return false;
    }
    std::string out;
    out.reserve(content.size() + 64 * splices.size());
    std::size_t at = 0;
    if (previous) previous->clear();
    for (const Splice& s : splices) {
        if (s.start < at || s.end < s.start || s.end > content.size()) {
            log.LogErrorFile(30017, page);  // the page is not what its URLs were read from
            return false;
        }
        out.append(content, at, s.start - at);
        if (previous) previous->push_back(content.substr(s.start, s.end - s.start));
        out += s.text;
        at = s.end;
    }
    out.append(content, at, std::string::npos);

    std::string temp = std::string(PathDirectory(path)) + kPathSep + ".tw_XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        log.LogErrorFile(kNoTempFile, page);
        return false;
    }
    bool ok = WriteAll(fd, out) && ::fchmod(fd, st.st_mode & 07777) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        log.LogErrorFile(kTempWriteFailed, page);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        log.LogErrorFile(kReplaceFailed, page);
        return false;
    }
    return true;
}

}  // namespace tw
