#include "core/platform/SizeText.h"

#include <cmath>

#include "core/strings/Strings.h"

namespace tw {

std::string SizeText(std::uint64_t bytes, int unit) {
    double value = static_cast<double>(bytes);
    if (unit == 4) {
        unit = 0;
        for (double v = value; v >= 1000 && unit < 3; v /= 1024) ++unit;
    }
    switch (unit) {
        case 0:
            return FormatPrintf("%.0f bytes", value);
        case 1:
            return FormatPrintf("%.0f KB", std::ceil(value / 1024));
        case 2:
            return FormatPrintf("%.1f MB", value / 1048576.0);
        default:
            return FormatPrintf("%.2f GB", value / 1073741824.0);
    }
}

}  // namespace tw
