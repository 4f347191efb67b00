#include "tests/support/TestHome.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/FileUtils.h"
#include "core/platform/ProgramFolders.h"
#include "core/platform/Shell.h"
#include "core/strings/PathText.h"

namespace tw::test {

void TestHome::SetUp() {
    const char* base = std::getenv("TW_TEST_TMP");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/tw_test_XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    ASSERT_NE(::mkdtemp(buf.data()), nullptr);
    root_ = buf.data();
    MakeFolders(root_ + "/home");
    MakeFolders(root_ + "/data");
    MakeFolders(root_ + "/config");
    MakeFolders(root_ + "/tmp");
    ::setenv("TIDEWRIGHT_HOME", (root_ + "/home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    ::setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
    auto log = std::make_unique<EAppLog>();
    log_ = log.get();
    scopedLog_ = std::make_unique<ScopedLog>(std::move(log));
}

void TestHome::TearDown() {
    scopedLog_.reset();
    log_ = nullptr;
    if (!root_.empty()) RemoveFolderTree(root_);
}

std::string TestHome::PathOf(std::string_view relative) const {
    return JoinPath(root_, relative);
}

std::string TestHome::WriteFile(std::string_view relative, std::string_view content) const {
    std::string path = PathOf(relative);
    MakeFolders(std::string(PathDirectory(path)));
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string TestHome::MakeFolder(std::string_view relative) const {
    std::string path = PathOf(relative);
    MakeFolders(path);
    return path;
}

std::map<std::string, std::string> TestHome::FilesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        std::string dir = pending.back();
        pending.pop_back();
        DirectoryEnumerator entries(dir + kPathSep, "*");
        std::string path;
        while (entries.Next(path, true)) {
            if (IsFolder(path)) {
                files[path + kPathSep] = "";
                pending.push_back(path);
            } else {
                files[path] = ReadFile(path);
            }
        }
    }
    return files;
}

TestHome::Run TestHome::RunProgram(const std::vector<std::string>& args) {
    Run r;
    r.out = RunCapture(args, &r.status).value_or("<did not run>");
    return r;
}

std::string TestHome::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string TestHome::Errors() {
    return log_ ? log_->ErrorText() : std::string();
}

}  // namespace tw::test
