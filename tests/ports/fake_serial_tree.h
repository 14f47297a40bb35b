#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "core/link/serial_ports.h"
#include "tests/support/temp_folder.h"

namespace fake_serial {

namespace fs = std::filesystem;

// A machine's serial ports as sysfs and /dev show them, laid out in a temporary folder with the
// links and attributes the kernel and udev make, so that the listing walks them as it walks
// the real ones. Device nodes are empty files, or links to a real terminal.
class FakeSerialTree {
public:
    struct UsbAdapter {
        std::string name{};  // "ttyUSB0"
        std::string driver{};
        std::string vendorId{};
        std::string productId{};
        std::string vendor{};
        std::string product{};
        std::string serial{};
        std::string byId{};  // the link's name in /dev/serial/by-id; none when empty
        // A modem-class device (ttyACM): the tty hangs from the USB interface itself.
        bool acm = false;
    };

    // A USB-serial adapter as most recorder cables are.
    static UsbAdapter Prolific() {
        return {.name = "ttyUSB0",
                .driver = "pl2303",
                .vendorId = "067b",
                .productId = "2303",
                .vendor = "Prolific Technology Inc.",
                .product = "USB-Serial Controller",
                .byId = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0"};
    }

    FakeSerialTree() {
        fs::create_directories(m_root / "sys/class/tty");
        fs::create_directories(m_root / "dev/serial/by-id");
    }
    FakeSerialTree(const FakeSerialTree&) = delete;
    FakeSerialTree& operator=(const FakeSerialTree&) = delete;

    SerialPortRoots Roots() const { return {(m_root / "sys").string(), (m_root / "dev").string()}; }
    // "<dev>/ttyUSB0"
    std::string Dev(const std::string& name) const { return (m_root / "dev" / name).string(); }

    void AddUsb(const UsbAdapter& adapter) {
        const std::string bus = "1-" + std::to_string(++m_count);
        const fs::path usbDevice = m_root / "sys/devices/pci0000:00/usb1" / bus;
        const fs::path interface = usbDevice / (bus + ":1.0");
        const std::pair<const char*, std::string> attributes[] = {{"idVendor", adapter.vendorId},
                                                                  {"idProduct", adapter.productId},
                                                                  {"manufacturer", adapter.vendor},
                                                                  {"product", adapter.product},
                                                                  {"serial", adapter.serial}};
        for (const auto& [file, value] : attributes) {
            if (!value.empty()) Write(usbDevice / file, value + "\n");
        }
        fs::path device = interface;
        if (adapter.acm) {
            LinkDriver(interface, "usb", adapter.driver);
        } else {
            device = interface / adapter.name;
            LinkDriver(device, "usb-serial", adapter.driver);
        }
        AddTty(adapter.name, device / "tty" / adapter.name, device);
        if (!adapter.byId.empty()) {
            fs::create_symlink("../../" + adapter.name, m_root / "dev/serial/by-id" / adapter.byId);
        }
    }

    // A port of the serial core with the UART type it reports (0: none behind it). Newer
    // kernels put a generic port device between it and the driver that found it.
    void AddUart(const std::string& name, int type, const std::string& driver,
                 bool oldLayout = false) {
        const std::string id = "00:0" + std::to_string(++m_count);
        const fs::path hardware = m_root / "sys/devices/pnp0" / id;
        LinkDriver(hardware, "pnp", driver);
        fs::path device = hardware;
        if (!oldLayout) {
            LinkDriver(hardware / (id + ":0"), "serial-base", "ctrl");
            device = hardware / (id + ":0") / (id + ":0.0");
            LinkDriver(device, "serial-base", "port");
        }
        AddTty(name, device / "tty" / name, device);
        Write(device / "tty" / name / "type", std::to_string(type) + "\n");
    }

    // A console: a tty with no hardware behind it.
    void AddVirtual(const std::string& name) {
        AddTty(name, m_root / "sys/devices/virtual/tty" / name, {});
    }
    // The device node becomes a link to device (a pseudo-terminal).
    void PointNodeAt(const std::string& name, const std::string& device) {
        fs::remove(Dev(name));
        fs::create_symlink(device, Dev(name));
    }
    // Pulled out: the node is gone; its by-id link dangles until udev notices.
    void RemoveNode(const std::string& name) { fs::remove(Dev(name)); }

private:
    static void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    void LinkDriver(const fs::path& device, const std::string& bus, const std::string& driver) {
        const fs::path folder = m_root / "sys/bus" / bus / "drivers" / driver;
        fs::create_directories(folder);
        fs::create_directories(device);
        fs::create_directory_symlink(fs::relative(folder, device), device / "driver");
    }
    // The tty's folder below its device, linked from the tty class and back to the device;
    // and the node udev makes in /dev.
    void AddTty(const std::string& name, const fs::path& ttyDir, const fs::path& device) {
        fs::create_directories(ttyDir);
        if (!device.empty()) {
            fs::create_directory_symlink(fs::relative(device, ttyDir), ttyDir / "device");
        }
        const fs::path classDir = m_root / "sys/class/tty";
        fs::create_directory_symlink(fs::relative(ttyDir, classDir), classDir / name);
        std::ofstream(Dev(name)).flush();
    }

    TempFolder m_folder{"sonoret-ports"};
    fs::path m_root{fs::path(m_folder.Path()).parent_path()};
    int m_count = 0;
};

}  // namespace fake_serial

using fake_serial::FakeSerialTree;
