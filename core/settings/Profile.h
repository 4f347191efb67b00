#pragma once
// Profile (INI) files with the semantics programs expect of them: sections and entries are
// matched without regard to case, a missing file, section or entry gives the caller's
// default, and writing no value deletes the entry. Lines the reader does not understand are
// kept as they are when the file is rewritten. A write replaces the file atomically (a
// temporary file in the same folder renamed over it). Reads reuse a parsed copy only while
// the file's identity, size and modification time are unchanged, so every read still
// reflects what is on disk.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw::profile {

std::string ReadString(const std::string& file, std::string_view section, std::string_view entry,
                       std::string_view defaultValue);

// Writes entry=value, or deletes the entry when `value` is empty (std::nullopt).
// Returns false when the file could not be written; callers may ignore it.
bool WriteString(const std::string& file, std::string_view section, std::string_view entry,
                 std::optional<std::string_view> value);

// Several entries of one section written (or deleted) at once: the file is replaced once.
bool WriteStrings(const std::string& file, std::string_view section,
                  const std::vector<std::pair<std::string, std::optional<std::string>>>& entries);

// Removes a whole section (every section of that name).
bool DeleteSection(const std::string& file, std::string_view section);

// True when the section exists in the file.
bool HasSection(const std::string& file, std::string_view section);

}  // namespace tw::profile
