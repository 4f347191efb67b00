#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "core/platform/Drives.h"
#include "core/strings/PathText.h"
#include "tests/support/TestHome.h"

namespace tw {
namespace {

TEST(Drives, MountInfoKeepsRealFileSystemsOnly) {
    const char* text =
        "22 1 0:21 / /proc rw - proc proc rw\n"
        "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
        "24 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n"
        "25 24 8:2 / /home rw shared:2 master:1 - ext4 /dev/sda2 rw\n"
        "26 24 0:30 / /tmp rw - tmpfs tmpfs rw\n"
        "27 24 0:31 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "28 24 8:17 / /run/media/me/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
        "29 24 0:40 / /mnt/share rw - cifs //server/share rw\n"
        "30 24 0:41 / /var/lib/docker/x rw - overlay overlay rw\n"
        "31 24 0:42 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n";
    std::vector<MountEntry> mounts = ParseMountInfo(text);
    std::vector<std::string> points;
    for (const auto& m : mounts) points.push_back(m.mountPoint);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home", "/tmp", "/run/media/me/USB STICK",
                                                "/mnt/share"}));
    EXPECT_EQ(DriveTypeOf(mounts[2]), DriveType::RamDisk);
    EXPECT_EQ(DriveTypeOf(mounts[3]), DriveType::Removable);
    EXPECT_EQ(DriveTypeOf(mounts[4]), DriveType::Network);
    EXPECT_EQ(DriveTypeOf(MountEntry{"/cd", "iso9660", "/dev/sr0"}), DriveType::CdRom);
}

TEST(Drives, StatusAndDescriptionOfTheRoot) {
    std::string status = DriveStatusText("/");
    EXPECT_EQ(status.rfind("/    ", 0), 0u) << status;
    EXPECT_NE(status.find(" free  ("), std::string::npos);
    EXPECT_NE(status.find("% used)"), std::string::npos);
    EXPECT_EQ(DriveStatusText("/no/such/folder/tw"), "");
    DriveDescriptionText d = DriveDescription("/");
    EXPECT_FALSE(d.typeName.empty());
    EXPECT_NE(d.displayName.find("(/"), std::string::npos);
    // A folder that is no mount point (the home folder among the drives) is named as itself.
    char folder[] = "/tmp/tw_drive_XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    if (MountOf(folder).mountPoint != folder) {
        DriveDescriptionText home = DriveDescription(folder);
        EXPECT_EQ(home.displayName, std::string(PathName(folder)) + " (" + folder + ")");
        EXPECT_EQ(home.typeName, "Folder");
    }
    ::rmdir(folder);
}

}  // namespace
}  // namespace tw
