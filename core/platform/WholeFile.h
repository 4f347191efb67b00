#pragma once
// Opening and reading files whose content the program reads: only regular files are opened,
// so that a FIFO, socket or device named like a page never blocks a load or feeds it
// endless bytes.

#include <sys/stat.h>

#include <string>

namespace tw {

// A descriptor of the regular file at `path`, opened read-only (its status in `st` when
// given); -1 when it cannot be opened or is not a regular file (errno then says EINVAL).
int OpenRegularFile(const std::string& path, struct ::stat* st = nullptr);

// Appends the whole content of a file to `out`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace tw
