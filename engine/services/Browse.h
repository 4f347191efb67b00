#pragma once
// Helpers the site dialogs and the command line share to propose values.

#include <string>
#include <string_view>

namespace tw {

// The default document names a new site proposes for its server.
inline constexpr const char* kServerDefaultNames =
    "index.html;index.htm;index.cfm;index.asp;index.php3;index.shtml;default.htm;default.asp;"
    "welcome.html;welcome.htm;home.html;home.htm";

// The home page of a folder: the first of the "ServerDefault" names (or index.html,
// index.htm, default.htm, home.htm) that names a plain file there; when none does, the folder
// joined with the last name.
std::string DefaultPage(std::string_view folder);

}  // namespace tw
