#pragma once
// File-system primitives beneath the commands, the link rewriter and the site loader. They
// return false (or -1) on failure and write the numbered message with the path to the log's
// error section; they never show a window and never run a shell.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The attribute word of a path: 0x10 folder (or link to one), 0x01 not writable by this user,
// 0x02 hidden (name starts with '.'), 0x04 system (device, FIFO, socket). 0 for a missing path.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
std::uint32_t FileAttributes(std::string_view path, bool* exists = nullptr);
// The same word from a stat result already at hand (saves a second stat).
std::uint32_t AttributesFromStat(const struct stat& st, std::string_view path);

bool PathExists(std::string_view path);  // follows links; a dangling link does not exist
bool IsFolder(std::string_view path);    // a folder or a link to one
bool IsSymbolicLink(std::string_view path);
// The path with every symbolic link, "." and ".." resolved; the path itself when it cannot be.
std::string RealPath(const std::string& path);
// The text of the symbolic link at `path`; empty when it is none.
std::string ReadLinkText(const std::string& path);
// Makes the symbolic link at `path` say `text`, in one step: a new link beside it is renamed
// over it.
bool ReplaceLink(const std::string& path, const std::string& text);
// Size in bytes (64-bit), -1 when the path is missing.
std::int64_t FileSize(std::string_view path);

// Adds the owner's write permission, or removes every write permission.
bool SetWritable(std::string_view path, bool writable);

bool RemoveFile(std::string_view path);
// True when nothing is left at the path.
bool RemoveFolderTree(std::string_view path);
// Creates the folder and every missing parent, adding the number made to `levels`.
bool CreateFolders(std::string_view path, int* levels = nullptr);
// Copies the bytes of `source` to `destination` (appending when asked); the destination ends
// up exactly as long as the source unless appending.
bool CopyFileContent(std::string_view source, std::string_view destination, bool append);
bool CopyFolderTree(std::string_view source, std::string_view destination, bool recursive);
// Renames without ever replacing an existing item; a case-only rename that the file system
// refuses goes through an intermediate folder.
bool RenamePath(std::string_view oldPath, std::string_view newPath);

// RenamePath without the error message, saying why it failed: a move tries the rename first
// and copies only when the two paths are on different file systems.
enum class RenameResult { Done, Exists, OtherFileSystem, Failed };
RenameResult TryRenamePath(std::string_view oldPath, std::string_view newPath);

// What a path is at one moment (the link itself, not its target), so that an undo can tell
// whether the item it left is still the one there.
struct FileStamp {
    bool exists = false;
    bool isFolder = false;
    bool isLink = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;  // last write, nanoseconds since the epoch
    // The same item, unchanged: same file, and for a file the same size and last write.
    bool SameAs(const FileStamp& other) const;
    // As text ("EFL DEV INO SIZE MTIME", E/F/L the flags as 0 or 1) and back, for journals.
    std::string ToText() const;
    static FileStamp FromText(std::string_view text);
};
FileStamp StampOf(std::string_view path);

// Reads up to `size` bytes from `offset` into `buffer` (which holds size + 1 bytes) and puts a
// zero byte after them; the number read, or -1.
int ReadFileChunk(std::string_view path, char* buffer, int size, std::int64_t offset);

bool IsImageFile(std::string_view path);
// Something exists there and it is not a folder, a program file or a symbolic link.
bool IsPlainFile(std::string_view path);
// A regular file with execute permission.
bool IsProgramFile(std::string_view path);

}  // namespace tw
