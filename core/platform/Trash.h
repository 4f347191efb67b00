#pragma once
// Delete with undo: items go to the freedesktop.org trash (the home trash for items on the
// same file system, else $topdir/.Trash/$uid or $topdir/.Trash-$uid), with a .trashinfo file
// so that any desktop file manager can restore them. A failure never deletes anything.

#include <functional>
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
// Moves the item to the trash as SendToRecycleBin does and returns where it now is (empty,
// with nothing moved, on failure). `beforeMove` is told that place first and may stop the
// move by returning false (a write-ahead record that could not be written).
std::string TrashItem(std::string_view path,
                      const std::function<bool(const std::string&)>& beforeMove = {});
// Puts an item TrashItem moved back at `original` (never over an item there) and removes its
// trash info. False, logged, when it cannot.
bool RestoreFromTrash(const std::string& trashed, const std::string& original);
// Trashes every item; logs one error naming the items that could not be trashed.
bool SendListToRecycleBin(const std::vector<std::string>& paths, bool shellAllowed);

}  // namespace tw
