// This machine's serial ports, found in what the system shows of them, and the names a user
// may give a device by.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/link/serial_ports.h"
#include "tests/ports/fake_serial_tree.h"

namespace {

namespace fs = std::filesystem;

TEST(SerialPorts, AdaptersFirstThenRealUartsWithWhatTheyTellOfThemselves) {
    FakeSerialTree tree;
    EXPECT_TRUE(ListSerialPorts(tree.Roots()).empty());
    EXPECT_TRUE(ListSerialPorts({"/no/such/sys", "/no/such/dev"}).empty());
    tree.AddUart("ttyS10", 4, "serial8250", /*oldLayout=*/true);
    tree.AddUart("ttyS1", 0, "serial8250");  // the driver's reserve: no UART behind it
    tree.AddUart("ttyS0", 4, "serial");
    tree.AddUart("ttyS4", 4, "serial");
    tree.AddVirtual("tty0");
    tree.AddUsb(FakeSerialTree::Prolific());
    tree.AddUsb({.name = "ttyACM0",
                 .driver = "cdc_acm",
                 .vendorId = "2e8a",
                 .productId = "000a",
                 .product = "Pico",
                 .serial = "E6614C",
                 .byId = "usb-Raspberry_Pi_Pico_E6614C-if00",
                 .acm = true});
    // No product string, no by-id link.
    tree.AddUsb({.name = "ttyUSB10", .driver = "ch341", .vendorId = "1a86", .productId = "7523"});
    // Known to the kernel, but no device node was made: nothing to open.
    tree.AddUsb({.name = "ttyUSB5", .driver = "ch341", .vendorId = "1a86", .productId = "7523"});
    tree.RemoveNode("ttyUSB5");

    const auto ports = ListSerialPorts(tree.Roots());
    std::vector<std::string> names;
    for (const auto& port : ports) names.push_back(fs::path(port.device).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyUSB0", "ttyUSB10", "ttyS0", "ttyS4",
                                               "ttyS10"}));
    ASSERT_EQ(ports.size(), 6u);

    EXPECT_EQ(ports[0].device, tree.Dev("ttyACM0"));
    EXPECT_EQ(ports[0].byIdPath, tree.Dev("serial/by-id/usb-Raspberry_Pi_Pico_E6614C-if00"));
    EXPECT_EQ(ports[0].driver, "cdc_acm");
    EXPECT_EQ(ports[0].serialNumber, "E6614C");
    EXPECT_EQ(SerialPortName(ports[0]), "Pico (2e8a:000a)");

    EXPECT_EQ(ports[1].byIdPath, tree.Dev("serial/by-id/" + FakeSerialTree::Prolific().byId));
    EXPECT_EQ(ports[1].driver, "pl2303");
    EXPECT_EQ(ports[1].vendor, "Prolific Technology Inc.");
    EXPECT_EQ(SerialPortName(ports[1]), "USB-Serial Controller (067b:2303)");

    EXPECT_EQ(ports[2].byIdPath, "");
    EXPECT_EQ(SerialPortName(ports[2]), "ch341 (1a86:7523)");

    // Built-in ports: the driver that found the UART, not the kernel's generic port layer.
    EXPECT_EQ(SerialPortName(ports[3]), "serial");
    EXPECT_FALSE(ports[3].IsUsb());
    EXPECT_EQ(ports[5].driver, "serial8250");
}

TEST(SerialPorts, ABareNameIsADeviceOrAByIdLinkAndAPathIsTakenAsGiven) {
    FakeSerialTree tree;
    tree.AddUsb(FakeSerialTree::Prolific());
    const SerialPortRoots roots = tree.Roots();
    const std::string name = FakeSerialTree::Prolific().byId;
    EXPECT_EQ(ResolveSerialDevice("ttyUSB0", roots), tree.Dev("ttyUSB0"));
    EXPECT_EQ(ResolveSerialDevice(name, roots), tree.Dev("serial/by-id/" + name));
    // Neither: the device folder's, so that the open names where it looked.
    EXPECT_EQ(ResolveSerialDevice("ttyUSB7", roots), tree.Dev("ttyUSB7"));
    for (const std::string path : {"/dev/pts/3", "./ttyUSB0", "sub/ttyUSB0", ".", "..", ""}) {
        EXPECT_EQ(ResolveSerialDevice(path, roots), path);
    }
    EXPECT_EQ(ResolveSerialDevice("ttyUSB0"), "/dev/ttyUSB0");
}

}  // namespace
