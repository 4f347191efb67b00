#include "core/platform/Drives.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "core/platform/DirectoryEnumerator.h"
#include "core/platform/SizeText.h"
#include "core/platform/WholeFile.h"
#include "core/strings/PathText.h"
#include "core/strings/Strings.h"

namespace tw {
namespace {

constexpr std::string_view kPseudo[] = {
    "proc",       "sysfs",       "cgroup",    "cgroup2",  "devtmpfs",    "devpts",
    "mqueue",     "securityfs",  "debugfs",   "tracefs",  "pstore",      "bpf",
    "configfs",   "fusectl",     "hugetlbfs", "autofs",   "binfmt_misc", "overlay",
    "nsfs",       "rpc_pipefs",  "selinuxfs", "efivarfs", "squashfs",    "ramfs_internal",
    "fuse.lxcfs", "fuse.portal", "shm"};

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            out +=
                static_cast<char>(std::strtol(std::string(s.substr(i + 1, 3)).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Every mount of the text, in order: id parent major:minor root mountpoint options
// [optional fields] - fstype source superoptions.
std::vector<MountEntry> ParseAll(std::string_view text) {
    std::vector<MountEntry> all;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, dev, root, mp, word;
        if (!(fields >> id >> parent >> dev >> root >> mp)) continue;
        while (fields >> word && word != "-") {
        }
        MountEntry e;
        e.mountPoint = Unescape(mp);
        fields >> e.fsType >> e.source;
        e.source = Unescape(e.source);
        all.push_back(std::move(e));
    }
    return all;
}

bool UnderHiddenTree(std::string_view mp) {
    for (std::string_view top : {"/proc", "/sys", "/dev", "/run"}) {
        if (mp == top || (mp.starts_with(top) && mp[top.size()] == kPathSep)) {
            return !(mp.starts_with("/run/media/") || mp == "/run/media");
        }
    }
    return false;
}

bool IsPrefixFolder(std::string_view folder, std::string_view path) {
    if (folder == "/") return true;
    return path == folder || (path.starts_with(folder) && path[folder.size()] == kPathSep);
}

std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    for (MountEntry& e : ParseAll(text)) {
        if (std::find(std::begin(kPseudo), std::end(kPseudo), e.fsType) != std::end(kPseudo))
            continue;
        if (UnderHiddenTree(e.mountPoint)) continue;
        if (std::any_of(mounts.begin(), mounts.end(),
                        [&](const MountEntry& m) { return m.mountPoint == e.mountPoint; }))
            continue;
        mounts.push_back(std::move(e));
    }
    return mounts;
}

std::vector<MountEntry> RealMounts() {
    return ParseMountInfo(ReadText("/proc/self/mountinfo"));
}

std::vector<std::string> DriveRoots() {
    std::vector<std::string> roots{std::string(1, kPathSep)};
    const char* home = std::getenv("HOME");
    if (home && *home) {
        std::string h(StripTrailingSep(home));
        if (h != roots.front()) roots.push_back(h);
    }
    for (const MountEntry& m : RealMounts())
        if (std::find(roots.begin(), roots.end(), m.mountPoint) == roots.end())
            roots.push_back(m.mountPoint);
    return roots;
}

MountEntry MountOf(std::string_view path) {
    MountEntry best{std::string(1, kPathSep), "", ""};
    std::size_t bestLen = 0;
    for (MountEntry& m : ParseAll(ReadText("/proc/self/mountinfo"))) {
        if (IsPrefixFolder(m.mountPoint, path) && m.mountPoint.size() >= bestLen) {
            bestLen = m.mountPoint.size();
            best = std::move(m);
        }
    }
    return best;
}

DriveType DriveTypeOf(const MountEntry& m) {
    const std::string& t = m.fsType;
    if (t == "iso9660" || t == "udf") return DriveType::CdRom;
    for (std::string_view net : {"nfs", "nfs4", "cifs", "smb3", "sshfs", "9p", "fuse.sshfs"})
        if (t == net) return DriveType::Network;
    if (t == "tmpfs" || t == "ramfs") return DriveType::RamDisk;
    if (m.mountPoint.starts_with("/media/") || m.mountPoint.starts_with("/run/media/"))
        return DriveType::Removable;
    if (m.source.starts_with("/dev/")) {
        // /sys/class/block/NAME/removable, or the parent disk's flag for a partition.
        char real[PATH_MAX];
        if (::realpath(m.source.c_str(), real)) {
            std::string name(PathName(real));
            for (std::string flag : {"/sys/class/block/" + name + "/removable",
                                     "/sys/class/block/" + name + "/../removable"}) {
                if (ReadText(flag).starts_with("1")) return DriveType::Removable;
            }
        }
    }
    if (t.empty()) return DriveType::Unknown;
    return DriveType::Fixed;
}

std::string VolumeLabel(std::string_view device) {
    char target[PATH_MAX];
    if (device.empty() || !::realpath(std::string(device).c_str(), target)) return {};
    DirectoryEnumerator labels("/dev/disk/by-label/", "*");
    std::string link;
    while (labels.Next(link, true)) {
        char resolved[PATH_MAX];
        if (::realpath(link.c_str(), resolved) && std::string_view(resolved) == target) {
            // udev escapes characters such as spaces as \x20.
            std::string label(PathName(link)), out;
            for (std::size_t i = 0; i < label.size(); ++i) {
                if (label.compare(i, 2, "\\x") == 0 && i + 3 < label.size()) {
                    out +=
                        static_cast<char>(std::strtol(label.substr(i + 2, 2).c_str(), nullptr, 16));
                    i += 3;
                } else {
                    out += label[i];
                }
            }
            return out;
        }
    }
    return {};
}

DriveDescriptionText DriveDescription(std::string_view root) {
    MountEntry m = MountOf(root);
    // A "drive" that is no mount of its own (the home folder) is named as the folder it is,
    // not as the file system that holds it.
    const std::string bare(StripTrailingSep(root));
    if (bare != m.mountPoint) {
        const std::string name(PathName(bare));
        return {FormatPrintf("%s (%s)", name.c_str(), bare.c_str()), "Folder"};
    }
    const char* letter = m.mountPoint.c_str();
    switch (DriveTypeOf(m)) {
        case DriveType::Removable:
            return {FormatPrintf("Removable Disk (%s)", letter), "Removable Disk"};
        case DriveType::Fixed: {
            std::string label = VolumeLabel(m.source);
            return {FormatPrintf("%s (%s)", label.c_str(), letter), "Local Disk"};
        }
        case DriveType::Network:
            return {FormatPrintf("Network Disk (%s)", letter), "Network Disk"};
        case DriveType::CdRom:
            return {FormatPrintf("CD-ROM (%s)", letter), "CD-ROM Disk"};
        case DriveType::RamDisk:
            return {FormatPrintf("Ram Disk  (%s)", letter), "Ram Disk"};
        default:
            return {FormatPrintf("Unknown Disk (%s)", letter), "Unknown Disk Type"};
    }
}

std::string DriveStatusText(std::string_view folder) {
    std::string path(StripTrailingSep(folder));
    struct statvfs vfs;
    if (path.empty() || ::statvfs(path.c_str(), &vfs) != 0) return {};
    std::string root = MountOf(path).mountPoint;
    std::uint64_t total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    std::uint64_t free = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    int used = total ? static_cast<int>(100 - free * 100 / total) : 0;
    return root + "    " + SizeText(total, 2) + "    " + SizeText(free, 2) + " free  (" +
           FormatPrintf("%2d", used) + "% used)";
}

}  // namespace tw
