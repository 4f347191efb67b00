#pragma once

#include <cstdint>
#include <string>

namespace tw {

// unit 0 bytes, 1 KB (rounded up), 2 MB, 3 GB, 4 automatic (divide by 1024 while the value is
// at least 1000, at most three times).
std::string SizeText(std::uint64_t bytes, int unit);

}  // namespace tw
