#pragma once
// Delete with undo: items go to the freedesktop.org trash (the home trash for items on the
// same file system, else $topdir/.Trash/$uid or $topdir/.Trash-$uid), with a .trashinfo file
// so that any desktop file manager can restore them. A failure never deletes anything.

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The trash folder (holding files/ and info/) that receives `path`, created when missing;
// empty when no trash can be had for it.
std::string TrashFolderFor(std::string_view path);

// Percent-encodes a path for the Path= line: every byte but unreserved characters and '/'.
std::string EncodeTrashPath(std::string_view path);

bool SendToRecycleBin(std::string_view path);
// Trashes every item; logs one error naming the items that could not be trashed.
bool SendListToRecycleBin(const std::vector<std::string>& paths, bool shellAllowed);

}  // namespace tw
