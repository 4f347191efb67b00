#pragma once
// Symbolic links of a site kept leading to the same items when items move. A relative link
// that led to a moved item (or into a moved folder), and a relative link that moved while
// what it leads to stayed, is pointed again at that item; an absolute link into the site
// that led to a moved item gets the item's new path. Each change is a step of the command's
// transfer journal (so that undo and a rollback give the old text back).

#include <string>
#include <vector>

#include "engine/commands/Transfer.h"

namespace tw {

// After `moved` (old and new places of the items a command moved): re-points the links below
// `siteFolder` as above, recording each in `journal`. Returns the links the move leaves
// leading nowhere, each as "LINK: a symbolic link left dangling: it leads to TARGET".
std::vector<std::string> RepointLinks(const std::string& siteFolder,
                                      const std::vector<MovedPath>& moved,
                                      ETransferJournal& journal);

}  // namespace tw
