#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/files/drive_list.h"

namespace {

bool ReadFlag(const std::string& path) {
    std::ifstream in(path);
    int value = 0;
    return in >> value && value != 0;
}

// /dev/sdb1 is removable when its disk says so in /sys/class/block.
bool IsRemovableDevice(const std::string& device) {
    const auto slash = device.rfind('/');
    const std::string name = device.substr(slash + 1);
    if (name.empty()) return false;
    char resolved[PATH_MAX];
    if (!realpath(("/sys/class/block/" + name).c_str(), resolved)) return false;
    const std::string sysPath = resolved;
    std::ifstream partition(sysPath + "/partition");
    if (partition.good()) return ReadFlag(sysPath + "/../removable");
    return ReadFlag(sysPath + "/removable");
}

}  // namespace

std::vector<DriveInfo> ListDrives() {
    std::ifstream mounts("/proc/self/mounts");
    std::stringstream table;
    table << mounts.rdbuf();
    return DrivesFromMountTable(table.str(), IsRemovableDevice);
}
