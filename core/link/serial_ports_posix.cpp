// The serial ports as Linux describes them: the tty class of sysfs tells the ports, their
// drivers and the USB descriptors of adapters; /dev/serial/by-id (made by udev) the names that
// stay when an adapter moves to another socket.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <system_error>

#include "core/base/number_text.h"
#include "core/base/unique_fd.h"
#include "core/link/serial_ports.h"

namespace {

namespace fs = std::filesystem;

// An attribute is a short line; a USB string descriptor has at most 126 characters.
constexpr std::size_t kAttributeLimit = 512;
// How far above a tty's device its driver or USB device may be: a USB adapter's tty hangs
// below the interface, which hangs below the device with the descriptors.
constexpr int kLevelsUp = 4;

// The text of an attribute without its line end. Control characters, which a USB device may
// put into its descriptors as it likes, become '?': a port's name printed on a terminal must
// not drive it.
std::string ReadAttribute(const fs::path& file) {
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) return {};
    char buffer[kAttributeLimit];
    ssize_t n;
    do {
        n = ::read(fd.Get(), buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return {};
    std::string text(buffer, static_cast<std::size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return text;
}

bool IsWithin(const fs::path& path, const fs::path& root) {
    const auto [rootEnd, pathAt] =
        std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end();
}

// The driver of the hardware behind a tty. Newer kernels put a generic port device between a
// UART and its tty (bus serial-base, drivers "port" and "ctrl"); the driver that found the
// UART is the one above them.
std::string DriverOf(fs::path device) {
    for (int up = 0; up < kLevelsUp; ++up, device = device.parent_path()) {
        std::error_code error;
        const fs::path driver = fs::read_symlink(device / "driver", error);
        if (error) return {};
        // ".../bus/serial-base/drivers/port"
        if (driver.parent_path().parent_path().filename() != "serial-base") {
            return driver.filename().string();
        }
    }
    return {};
}

// Vendor, product and ids of the USB device a tty belongs to, where it belongs to one.
void ReadUsbDescriptors(fs::path device, const fs::path& sysRoot, SerialPortInfo* port) {
    for (int up = 0; up < kLevelsUp && IsWithin(device, sysRoot) && device != sysRoot;
         ++up, device = device.parent_path()) {
        std::error_code error;
        if (!fs::exists(device / "idVendor", error)) continue;
        port->vendorId = ReadAttribute(device / "idVendor");
        port->productId = ReadAttribute(device / "idProduct");
        port->vendor = ReadAttribute(device / "manufacturer");
        port->product = ReadAttribute(device / "product");
        port->serialNumber = ReadAttribute(device / "serial");
        return;
    }
}

// The serial core tells the UART it found behind a port; type 0 is none. The 8250 driver
// registers a fixed number of ttyS ports whether or not there is a UART behind them, and
// opening one of those fails or talks to nothing. A ttyS port that tells nothing is left out
// too; ports of other drivers (USB adapters) have no type.
bool HasHardware(const fs::path& ttyDir, const std::string& name) {
    const std::string type = ReadAttribute(ttyDir / "type");
    if (type.empty()) return name.rfind("ttyS", 0) != 0;
    return ParseInteger(type, 1, 0xFFFF).has_value();
}

// The by-id links by the device each leads to. Of two links to one device, the first by name.
std::map<fs::path, std::string> ByIdLinks(const fs::path& devRoot) {
    std::vector<fs::path> links;
    std::error_code error;
    const fs::path folder = devRoot / "serial" / "by-id";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        links.push_back(folder / it->path().filename());
    }
    std::sort(links.begin(), links.end());
    std::map<fs::path, std::string> byDevice;
    for (const fs::path& link : links) {
        const fs::path device = fs::canonical(link, error);
        if (!error) byDevice.emplace(device, link.string());
    }
    return byDevice;
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts(const SerialPortRoots& roots) {
    std::vector<SerialPortInfo> ports;
    std::error_code error;
    const fs::path sysRoot = fs::canonical(roots.sys, error);
    if (error) return ports;
    const fs::path classDir = sysRoot / "class" / "tty";
    const auto byId = ByIdLinks(roots.dev);
    for (fs::directory_iterator it(classDir, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const fs::path ttyDir = classDir / name;
        std::error_code missing;
        // Consoles and pseudo-terminals have no hardware behind them.
        const fs::path device = fs::canonical(ttyDir / "device", missing);
        if (missing || !HasHardware(ttyDir, name)) continue;
        SerialPortInfo port;
        port.device = (fs::path(roots.dev) / name).string();
        // A port the system made no device node for cannot be opened.
        const fs::path node = fs::canonical(port.device, missing);
        if (missing) continue;
        port.driver = DriverOf(device);
        ReadUsbDescriptors(device, sysRoot, &port);
        if (const auto link = byId.find(node); link != byId.end()) port.byIdPath = link->second;
        ports.push_back(std::move(port));
    }
    SortSerialPorts(ports);
    return ports;
}

std::string ResolveSerialDevice(const std::string& name, const SerialPortRoots& roots) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return name;
    }
    const fs::path inDev = fs::path(roots.dev) / name;
    const fs::path byId = fs::path(roots.dev) / "serial" / "by-id" / name;
    std::error_code error;
    // The link itself counts, also where its device has just gone: the open then names the
    // link the user gave.
    if (!fs::exists(fs::symlink_status(inDev, error)) &&
        fs::exists(fs::symlink_status(byId, error))) {
        return byId.string();
    }
    return inDev.string();
}
