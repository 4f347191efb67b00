#pragma once
// Every test runs with its own program home: TIDEWRIGHT_HOME, XDG_DATA_HOME, XDG_CONFIG_HOME
// and TMPDIR point into a fresh temporary folder, so no test touches the real home folder.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/AppLog.h"

namespace tw::test {

class TestHome : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The test's scratch folder (no trailing separator).
    const std::string& Root() const { return root_; }
    std::string PathOf(std::string_view relative) const;
    // Writes a file (creating folders) and returns its full path.
    std::string WriteFile(std::string_view relative, std::string_view content) const;
    std::string MakeFolder(std::string_view relative) const;
    static std::string ReadFile(const std::string& path);
    // Every file below a folder with its bytes, and every folder (as "PATH/").
    static std::map<std::string, std::string> FilesBelow(const std::string& folder);
    // A program run: its exit status and what it wrote to standard output.
    struct Run {
        int status = -1;
        std::string out;
    };
    static Run RunProgram(const std::vector<std::string>& args);
    // The error text the log collected since the test started.
    std::string Errors();

    EAppLog* log_ = nullptr;

  private:
    std::string root_;
    std::unique_ptr<ScopedLog> scopedLog_;
};

}  // namespace tw::test
