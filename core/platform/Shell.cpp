#include "core/platform/Shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"

extern char** environ;

namespace tw {
namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> ptrs;
    for (const std::string& a : argv) ptrs.push_back(const_cast<char*>(a.c_str()));
    ptrs.push_back(nullptr);
    return ptrs;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data && *data)
        folders.push_back(JoinPath(data, "applications"));
    else if (home && *home)
        folders.push_back(JoinPath(home, ".local/share/applications"));
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::istringstream in(list);
    std::string dir;
    while (std::getline(in, dir, ':'))
        if (!dir.empty()) folders.push_back(JoinPath(dir, "applications"));
    return folders;
}

}  // namespace

std::optional<std::string> RunCapture(const std::vector<std::string>& argv, int* exitCode) {
    if (argv.empty()) return std::nullopt;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid;
    auto args = ArgvPointers(argv);
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return std::nullopt;
    }
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) return std::nullopt;
    if (exitCode)
        *exitCode = WEXITSTATUS(status);
    else if (WEXITSTATUS(status) != 0)
        return std::nullopt;
    return out;
}

bool LaunchDetached(const std::vector<std::string>& argv, const std::string& folder) {
    if (argv.empty()) return false;
    // The program's start is reported through a pipe that exec closes: a byte on it means
    // the exec failed, end of file that the program runs.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    auto args = ArgvPointers(argv);
    // A double fork: the grandchild is adopted by init, so no zombie is left behind.
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        if (folder.empty() || ::chdir(folder.c_str()) == 0) {
            if (::fork() != 0) ::_exit(0);
            ::execvp(args[0], args.data());
        }
        char failed = 1;
        [[maybe_unused]] ssize_t n = ::write(report[1], &failed, 1);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    char byte = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &byte, 1);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return n == 0;
}

std::string FindInPath(std::string_view name) {
    if (name.empty() || name.find(kPathSep) != std::string_view::npos) return std::string(name);
    const char* path = std::getenv("PATH");
    std::istringstream in(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(in, dir, ':')) {
        std::string candidate = JoinPath(dir.empty() ? "." : dir, name);
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string DesktopExecProgram(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || !line.starts_with("Exec=")) continue;
        std::string_view exec = std::string_view(line).substr(5);
        std::string word;
        if (!exec.empty() && exec.front() == '"') {
            auto close = exec.find('"', 1);
            word = std::string(exec.substr(1, close == std::string_view::npos ? close : close - 1));
        } else {
            word = std::string(exec.substr(0, exec.find(' ')));
        }
        return FindInPath(word);
    }
    return {};
}

std::string AssociatedProgram(std::string_view document, std::string_view /*folder*/) {
    auto mime = RunCapture({"xdg-mime", "query", "filetype", std::string(document)});
    if (!mime || Trim(*mime).empty()) return {};
    auto desktop = RunCapture({"xdg-mime", "query", "default", Trim(*mime)});
    if (!desktop || Trim(*desktop).empty()) return {};
    std::string id = Trim(*desktop);
    for (const std::string& folder : ApplicationFolders()) {
        std::string text = ReadFile(JoinPath(folder, id));
        if (!text.empty()) return DesktopExecProgram(text);
    }
    return {};
}

std::string ResolveShortcut(std::string_view path) {
    std::string p(StripTrailingSep(path));
    char target[PATH_MAX];
    ssize_t n = ::readlink(p.c_str(), target, sizeof target - 1);
    if (n < 0) return std::string(path);
    std::string t(target, static_cast<std::size_t>(n));
    if (!t.empty() && t.front() == kPathSep) return t;
    return JoinPath(PathDirectory(p), t);
}

bool CreateShortcutFile(std::string_view target, std::string_view shortcut,
                        std::string_view /*description*/) {
    std::string to = ResolveShortcut(target);
    return ::symlink(to.c_str(), std::string(StripTrailingSep(shortcut)).c_str()) == 0;
}

}  // namespace tw
