#include "core/files/drive_list.h"

#include <sstream>

namespace {

// Mount tables write blanks, tabs, new lines and backslashes as three-digit octal escapes.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string LastComponent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<DriveInfo> DrivesFromMountTable(
    std::string_view table, const std::function<bool(const std::string&)>& isRemovableDevice) {
    std::vector<DriveInfo> drives;
    drives.push_back({"/", kDriveFixed, "File System (/)"});
    std::istringstream lines{std::string(table)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, fsType;
        if (!(fields >> device >> mountPoint >> fsType)) continue;
        mountPoint = Unescape(mountPoint);
        while (mountPoint.size() > 1 && mountPoint.back() == '/') mountPoint.pop_back();
        if (mountPoint.empty() || mountPoint[0] != '/' || mountPoint == "/") continue;

        int type = kDriveUnknown;
        const bool blockDevice = StartsWith(device, "/dev/");
        if (fsType == "iso9660" || fsType == "udf" || StartsWith(device, "/dev/sr"))
            type = kDriveCdRom;
        else if (blockDevice &&
                 (StartsWith(mountPoint, "/media/") || StartsWith(mountPoint, "/run/media/") ||
                  (isRemovableDevice && isRemovableDevice(device))))
            type = kDriveRemovable;
        if (type == kDriveUnknown) continue;

        // A volume mounted twice at one place: the later mount is the one in view.
        for (auto it = drives.begin(); it != drives.end(); ++it) {
            if (it->designator == mountPoint) {
                drives.erase(it);
                break;
            }
        }
        drives.push_back({mountPoint, type, LastComponent(mountPoint) + " (" + mountPoint + ")"});
    }
    return drives;
}

std::vector<std::string> MountPointsFromMountInfo(std::string_view table) {
    std::vector<std::string> points;
    std::istringstream lines{std::string(table)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (fields >> id >> parent >> device >> root >> mountPoint)
            points.push_back(Unescape(mountPoint));
    }
    return points;
}

std::string DrivePath(const std::string& designator) {
    if (!designator.empty() && designator.back() == '/') return designator;
    return designator + "/";
}

int DriveIndexForPath(const std::vector<std::string>& designators, const std::string& path) {
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < designators.size(); ++i) {
        const std::string prefix = DrivePath(designators[i]);
        const bool holds = StartsWith(path, prefix) || path == designators[i];
        if (holds && (best < 0 || prefix.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = prefix.size();
        }
    }
    return best;
}

std::vector<std::string> FoldersToReopen(const std::string& designator, const std::string& path) {
    std::vector<std::string> names;
    const std::string prefix = DrivePath(designator);
    if (!StartsWith(path, prefix)) return names;
    std::string rest = path.substr(prefix.size());
    for (;;) {
        const auto slash = rest.find('/');
        if (slash == std::string::npos || slash == 0) break;
        names.push_back(rest.substr(0, slash));
        rest.erase(0, slash + 1);
    }
    return names;
}
