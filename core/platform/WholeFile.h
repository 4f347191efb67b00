#pragma once

#include <string>

namespace tw {

// Appends the whole content of a file to `out`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace tw
