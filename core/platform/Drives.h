#pragma once
// The computer's "drives": real mounted file systems read from /proc/self/mountinfo ("/"
// first, then the user's home folder, then the other mount points), with their kind, label
// and space.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;  // the device or remote name
};

// Parses mountinfo text; pseudo file systems (proc, sysfs, cgroup, overlays of containers...)
// and mounts below /proc, /sys, /dev and /run (but /run/media) are left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);
std::vector<MountEntry> RealMounts();

// The drive list in display order, without trailing separators ("/" stays "/").
std::vector<std::string> DriveRoots();

// The mount point that holds `path` (longest prefix among all mounts); "/" at worst.
MountEntry MountOf(std::string_view path);

enum class DriveType { Removable, Fixed, Network, CdRom, RamDisk, Unknown };
DriveType DriveTypeOf(const MountEntry& mount);

struct DriveDescriptionText {
    std::string displayName;
    std::string typeName;
};
DriveDescriptionText DriveDescription(std::string_view root);

// "ROOT    TOTAL    FREE free  (NN% used)" for the drive that holds `folder`; empty when the
// folder does not exist.
std::string DriveStatusText(std::string_view folder);

// The volume label of a block device, from /dev/disk/by-label; empty when it has none.
std::string VolumeLabel(std::string_view device);

}  // namespace tw
