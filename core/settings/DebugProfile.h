#pragma once
// The optional troubleshooting profile "debug.ini" in the program's "Config" folder. Its mere
// existence switches the troubleshooting options on; its section "Settings" holds
// "1EnableLogging" and "0UseAltThumbnail" under the same key-with-default rule.

#include <string>
#include <string_view>

namespace tw {

class DebugProfile {
  public:
    static std::string Path();  // creates the Config folder when missing
    static bool Exists();
    static bool ReadBool(std::string_view key);
    static void WriteBool(std::string_view key, bool value);
};

}  // namespace tw
