#pragma once

#include <cstdio>

#include "engine/report/Findings.h"

namespace tw::cli {

// One line per finding ("PAGE:LINE: broken link "URL"", ...), then the overview.
void WriteText(const CheckResult& result, std::FILE* out);
// One JSON object (the contract is in docs/user-guide.md).
void WriteJson(const CheckResult& result, std::FILE* out);

}  // namespace tw::cli
