#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/report/Findings.h"

namespace tw::cli {

// One line per finding ("PAGE:LINE: broken link "URL"", ...), then the overview.
void WriteText(const CheckResult& result, std::FILE* out);
// One JSON object (the contract is in docs/user-guide.md).
void WriteJson(const CheckResult& result, std::FILE* out);
// Appends `text` as a JSON string literal, always valid UTF-8.
void JsonString(std::string& out, std::string_view text);

}  // namespace tw::cli
