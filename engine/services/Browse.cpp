#include "engine/services/Browse.h"

#include <vector>

#include "core/platform/FileUtils.h"
#include "core/settings/UserExtensibleList.h"
#include "core/strings/PathText.h"

namespace tw {

std::string DefaultPage(std::string_view folder) {
    std::string names = ReadJoined("ServerDefault", ';');
    if (names.empty()) names = "index.html;index.htm;default.htm;home.htm";
    std::string last;
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        if (end > start) {
            last = JoinPath(folder, names.substr(start, end - start));
            // Any regular file will do: pages copied from other systems often carry an
            // execute bit.
            if (PathExists(last) && !IsFolder(last)) return last;
        }
        start = end + 1;
    }
    return last;
}

}  // namespace tw
