#include "core/settings/DebugProfile.h"

#include <sys/stat.h>

#include "core/platform/ProgramFolders.h"
#include "core/settings/SettingsStore.h"
#include "core/strings/Strings.h"

namespace tw {

std::string DebugProfile::Path() {
    return ProgramSubfolder(LoadString(30050)) + "debug.ini";
}

bool DebugProfile::Exists() {
    struct stat st;
    return ::stat(Path().c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DebugProfile::ReadBool(std::string_view key) {
    return SettingsStore(Path()).ReadBool(key);
}

void DebugProfile::WriteBool(std::string_view key, bool value) {
    SettingsStore(Path()).WriteBool(key, value);
}

}  // namespace tw
