#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/report/Findings.h"

namespace tw::cli {

// One line per finding ("PAGE:LINE: broken link "URL"", ...), then the overview.
void WriteText(const CheckResult& result, std::FILE* out);
// One JSON object (the contract is in docs/user-guide.md).
void WriteJson(const CheckResult& result, std::FILE* out);
// Appends `text` as a JSON string literal, always valid UTF-8.
void JsonString(std::string& out, std::string_view text);
// A JSON array of strings.
std::string JsonStrings(const std::vector<std::string>& items);
// A unified diff of a page whose rewrite changes lines but never adds or removes one: each
// changed line as a hunk of its own.
std::string LineDiff(const std::string& before, const std::string& after,
                     const std::string& oldContent, const std::string& newContent);

}  // namespace tw::cli
