// `sonoret ports`, and the device names `sonoret` takes, on a machine of a fake tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/sonoret_cli.h"
#include "core/res/strings.h"
#include "emulator/recorder_emulator.h"
#include "tests/ports/fake_serial_tree.h"

namespace {

namespace fs = std::filesystem;

class PortsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        context.portRoots = tree.Roots();
        context.settingsPath = (fs::path(tree.Roots().dev).parent_path() / "QP2400.conf").string();
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return RunSonoret(args, context, out, err);
    }

    FakeSerialTree tree;
    const FakeSerialTree::UsbAdapter adapter = FakeSerialTree::Prolific();
    const std::string byIdPath = tree.Dev("serial/by-id/" + adapter.byId);
    CliContext context;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(PortsCommand, OneAlignedLinePerPortOrJsonWithEveryFieldEscaped) {
    EXPECT_EQ(Run({"ports"}), 0);
    EXPECT_EQ(out.str(), std::string(text::kCliNoSerialPorts) + "\n");
    tree.AddUsb({.name = "ttyACM0",
                 .driver = "cdc_acm",
                 .vendorId = "2e8a",
                 .productId = "000a",
                 // A device says what it likes: nothing of it may reach the terminal raw.
                 .product = "Pi\x1b[2J \"co\" \\",
                 .acm = true});
    tree.AddUsb(adapter);
    tree.AddUart("ttyS0", 4, "serial");
    EXPECT_EQ(Run({"ports"}), 0) << err.str();
    EXPECT_EQ(out.str(), tree.Dev("ttyACM0") + "  Pi?[2J \"co\" \\ (2e8a:000a)\n" +
                             tree.Dev("ttyUSB0") + "  USB-Serial Controller (067b:2303)  " +
                             byIdPath + "\n" + tree.Dev("ttyS0") + "    serial\n");

    EXPECT_EQ(Run({"ports", "--json"}), 0) << err.str();
    const std::string nulls =
        "\"vendor\":null,\"product\":null,\"serialNumber\":null,\"vendorId\":null,"
        "\"productId\":null";
    EXPECT_EQ(
        out.str(),
        "{\"ports\":[{\"device\":\"" + tree.Dev("ttyACM0") +
            "\",\"byId\":null,\"name\":\"Pi?[2J \\\"co\\\" \\\\ (2e8a:000a)\","
            "\"driver\":\"cdc_acm\",\"vendor\":null,\"product\":\"Pi?[2J \\\"co\\\" \\\\\","
            "\"serialNumber\":null,\"vendorId\":\"2e8a\",\"productId\":\"000a\"},"
            "{\"device\":\"" +
            tree.Dev("ttyUSB0") + "\",\"byId\":\"" + byIdPath +
            "\",\"name\":\"USB-Serial Controller (067b:2303)\",\"driver\":\"pl2303\","
            "\"vendor\":\"Prolific Technology Inc.\",\"product\":\"USB-Serial "
            "Controller\",\"serialNumber\":null,\"vendorId\":\"067b\",\"productId\":\"2303\"},"
            "{\"device\":\"" +
            tree.Dev("ttyS0") + "\",\"byId\":null,\"name\":\"serial\",\"driver\":\"serial\"," +
            nulls + "}]}\n");
}

TEST_F(PortsCommand, ADeviceByItsBareNameUntilTheAdapterIsPulledOut) {
    emu::RecorderEmulator emulator{emu::Options{}};
    std::string error;
    ASSERT_TRUE(emulator.Start(&error)) << error;
    tree.AddUsb(adapter);
    tree.PointNodeAt("ttyUSB0", emulator.DevicePath());
    EXPECT_EQ(Run({"ports"}), 0);
    EXPECT_NE(out.str().find(byIdPath), std::string::npos) << out.str();

    EXPECT_EQ(Run({"--device", "ttyUSB0", "set-time", "01:02"}), 0) << err.str();
    EXPECT_EQ(Run({"--device", adapter.byId, "set-time", "01:02"}), 0) << err.str();
    // The settings may name it so too.
    std::ofstream(context.settingsPath) << "[COMM]\nPORT=3\nDEVICE3=" << adapter.byId << "\n";
    EXPECT_EQ(Run({"set-time", "01:02"}), 0) << err.str();

    // Pulled out after the listing: the open names the link the user gave.
    tree.RemoveNode("ttyUSB0");
    const std::string gone =
        std::string(text::kSerialInitError) + "\n(" + byIdPath + ": no such device)\n";
    EXPECT_EQ(Run({"--device", adapter.byId, "list"}), 5);
    EXPECT_EQ(err.str(), gone);
    EXPECT_EQ(Run({"list"}), 5);
    EXPECT_EQ(err.str(), gone);
    EXPECT_EQ(Run({"ports"}), 0);
    EXPECT_EQ(out.str(), std::string(text::kCliNoSerialPorts) + "\n");
}

}  // namespace
