// Drives of the folder tree on this platform, and finding the remembered folder's drive.
#include <gtest/gtest.h>

#include "core/files/drive_list.h"

TEST(DriveList, RootComesFirstThenRemovableAndOpticalVolumesOnly) {
    const std::string table =
        "sysfs /sys sysfs rw 0 0\n"
        "/dev/nvme0n1p2 / ext4 rw 0 0\n"
        "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sdb1 /media/ann/MY\\040STICK vfat rw 0 0\n"
        "/dev/sr0 /media/ann/DISC iso9660 ro 0 0\n"
        "/dev/sdc1 /mnt/card exfat rw 0 0\n"
        "/dev/sdd1 /mnt/backup ext4 rw 0 0\n"
        "server:/share /mnt/share nfs rw 0 0\n";
    const auto drives = DrivesFromMountTable(
        table, [](const std::string& device) { return device == "/dev/sdc1"; });
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].designator, "/");
    EXPECT_EQ(drives[0].type, kDriveFixed);
    EXPECT_EQ(drives[1].designator, "/media/ann/MY STICK");
    EXPECT_EQ(drives[1].type, kDriveRemovable);
    EXPECT_EQ(drives[1].displayName, "MY STICK (/media/ann/MY STICK)");
    EXPECT_EQ(drives[2].type, kDriveCdRom);
    EXPECT_EQ(drives[3].designator, "/mnt/card");
    EXPECT_EQ(drives[3].type, kDriveRemovable);
    for (const DriveInfo& drive : drives) {
        const std::string tail = "(" + drive.designator + ")";
        EXPECT_EQ(drive.displayName.substr(drive.displayName.size() - tail.size()), tail);
    }
}

TEST(DriveList, TheRememberedFolderBelongsToTheLongestWholePrefix) {
    const std::vector<std::string> drives{"/", "/media/ann/STICK", "/media/ann/STICK2"};
    EXPECT_EQ(DriveIndexForPath(drives, "/home/ann/"), 0);
    EXPECT_EQ(DriveIndexForPath(drives, "/media/ann/STICK/Voice/"), 1);
    EXPECT_EQ(DriveIndexForPath(drives, "/media/ann/STICK2/"), 2);
    EXPECT_EQ(DriveIndexForPath(drives, "/media/ann/STICKY/"), 0);
    EXPECT_EQ(DriveIndexForPath(drives, "relative/path/"), -1);
    EXPECT_EQ(DriveIndexForPath(drives, ""), -1);
    EXPECT_EQ(DrivePath("/"), "/");
    EXPECT_EQ(DrivePath("/media/ann/STICK"), "/media/ann/STICK/");
}

TEST(DriveList, OnlyComponentsFollowedByASeparatorAreReopened) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(FoldersToReopen("/", "/"), Names{});
    EXPECT_EQ(FoldersToReopen("/", "/A/B/"), (Names{"A", "B"}));
    EXPECT_EQ(FoldersToReopen("/", "/A/B"), Names{"A"});
    EXPECT_EQ(FoldersToReopen("/", "/A//B/"), Names{"A"});
    EXPECT_EQ(FoldersToReopen("/mnt/x", "/mnt/x/Voice/"), Names{"Voice"});
    EXPECT_EQ(FoldersToReopen("/mnt/x", "/other/"), Names{});
}

TEST(DriveList, MountPointsOfTheMountInfoTableAreUnescaped) {
    const std::string table =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "41 22 8:2 /home/ann/outside /home/ann/bm/top/inner rw - ext4 /dev/sda2 rw\n"
        "57 22 8:17 / /media/ann/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
        "short line\n";
    EXPECT_EQ(MountPointsFromMountInfo(table),
              (std::vector<std::string>{"/", "/home/ann/bm/top/inner", "/media/ann/MY STICK"}));
}
