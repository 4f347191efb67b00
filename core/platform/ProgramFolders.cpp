#include "core/platform/ProgramFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "core/strings/PathText.h"

namespace tw {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string UserHome() {
    std::string home = Env("HOME");
    return home.empty() ? std::string(1, kPathSep) : home;
}

// An XDG base directory: the variable when it names an absolute path, else HOME + fallback.
std::string XdgDir(const char* var, std::string_view fallback) {
    std::string v = Env(var);
    if (!v.empty() && v.front() == kPathSep) return v;
    return JoinPath(UserHome(), fallback);
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ProfileFilePath() {
    std::string home = Env("TIDEWRIGHT_HOME");
    if (!home.empty()) return JoinPath(home, "Tidewright.ini");
    return JoinPath(JoinPath(XdgDir("XDG_CONFIG_HOME", ".config"), "Tidewright"), "Tidewright.ini");
}

std::string ProgramDataRoot() {
    std::string home = Env("TIDEWRIGHT_HOME");
    if (!home.empty()) return std::string(StripTrailingSep(home));
    return JoinPath(XdgDir("XDG_DATA_HOME", ".local/share"), "Tidewright");
}

std::string ProgramSubfolder(std::string_view name) {
    std::string folder = JoinPath(ProgramDataRoot(), name);
    MakeFolders(folder);
    folder += kPathSep;
    return folder;
}

std::string TempDirectory() {
    std::string dir = Env("TMPDIR");
    if (dir.empty() || !IsFolder(dir)) dir = "/tmp";
    return dir;
}

std::string CreateTempFile(std::string_view prefix) {
    std::string templ = JoinPath(TempDirectory(), prefix) + "XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0) return {};
    ::close(fd);
    return std::string(buf.data());
}

bool MakeFolders(std::string_view path) {
    std::string p(StripTrailingSep(path));
    if (p.empty()) return false;
    if (IsFolder(p)) return true;
    std::string parent(PathDirectory(p));
    if (!parent.empty() && !IsFolder(parent) && !MakeFolders(parent)) return false;
    return ::mkdir(p.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(p));
}

}  // namespace tw
