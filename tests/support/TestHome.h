#pragma once
// Every test runs with its own program home: TIDEWRIGHT_HOME, XDG_DATA_HOME, XDG_CONFIG_HOME
// and TMPDIR point into a fresh temporary folder, so no test touches the real home folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

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
    // The error text the log collected since the test started.
    std::string Errors();

    EAppLog* log_ = nullptr;

  private:
    std::string root_;
    std::unique_ptr<ScopedLog> scopedLog_;
};

}  // namespace tw::test
