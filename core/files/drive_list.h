#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Drive type codes, numbered as the folder tree has always told its drives apart.
enum DriveType {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

// A drive of the folder tree. On this platform a drive is the root folder "/" or a mounted
// removable or optical volume; its designator is its mount point.
struct DriveInfo {
    std::string designator;  // "/" or the mount point, without a final separator
    int type = kDriveUnknown;
    std::string displayName;  // ends with the designator in parentheses
};

// The drives now mounted: "/" first, then the removable and optical volumes.
std::vector<DriveInfo> ListDrives();

// The drives of a mount table in the form of /proc/self/mounts. isRemovableDevice tells
// whether a device (such as /dev/sdb1) sits on removable media.
std::vector<DriveInfo> DrivesFromMountTable(
    std::string_view table, const std::function<bool(const std::string&)>& isRemovableDevice);

// The mount points of a table in the form of /proc/self/mountinfo (the fifth field of each
// line), unescaped.
std::vector<std::string> MountPointsFromMountInfo(std::string_view table);

// The drive path of a designator: it ends with the separator ("/", "/media/stick/").
std::string DrivePath(const std::string& designator);

// Which of the designators holds path: the longest one that is a whole-component prefix of it.
// -1 when none does.
int DriveIndexForPath(const std::vector<std::string>& designators, const std::string& path);

// The folder names the tree opens, in turn, below the drive to reach path: only components
// followed by a separator count, and an empty component ends the list.
std::vector<std::string> FoldersToReopen(const std::string& designator, const std::string& path);
