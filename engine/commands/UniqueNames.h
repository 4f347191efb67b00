#pragma once
// Names that do not exist yet: for duplicates ("page Copy.htm", "page Copy(2).htm"), shortcuts
// ("page.htm Shortcut"), renamed transfers and new folders ("New Folder(2)"), and the folder a
// hierarchy move creates ("Orphans0", "Orphans1", ...).

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// folder + a free name made from the source's last component and the suffix. An earlier
// copy suffix ("page Copy(2)") is not repeated.
std::string MakeUniqueName(std::string_view folder, std::string_view source,
                           std::string_view suffix);

// A name not taken in the folder: the name itself, else with one more character running
// through 0-9 and A-Z (then a further character, up to 31); nothing when all are taken.
std::optional<std::string> MakeFreeName(std::string_view folder, std::string name);

}  // namespace tw
