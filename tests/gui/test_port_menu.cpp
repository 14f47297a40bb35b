// The Port menu with this machine's own ports beside COM1 to COM9, the port kept by its name
// from one start to the next, and the status bar's pane of the port in use.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStatusBar>

#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/port_pane.h"
#include "gui/frame/serial_port_menu.h"
#include "gui/res/menu_resources.h"
#include "gui/widgets/message_box.h"
#include "tests/gui/gui_test_support.h"
#include "tests/ports/fake_serial_tree.h"

using guitest::FrameHarness;

namespace {

// The machine's ports as the fake tree shows them, for as long as the test runs.
class FakePorts {
public:
    FakePorts() {
        tree.AddUsb(adapter);
        theApp().m_portRoots = tree.Roots();
    }
    ~FakePorts() { theApp().m_portRoots = {}; }
    std::string ById() const { return tree.Dev("serial/by-id/" + adapter.byId); }

    FakeSerialTree tree;
    const FakeSerialTree::UsbAdapter adapter = FakeSerialTree::Prolific();
};

QMenu* PortMenu(CMainFrame& frame) {
    for (QObject* owner : frame.Action(res::ID_PORT_COM1)->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(owner)) return menu;
    }
    return nullptr;
}

// Opens the Port menu as a click does (its items are listed then) and tells its items: "text"
// with a "*" for the radio mark, "-" for a separator.
std::vector<std::string> OpenPortMenu(CMainFrame& frame) {
    QMenu* menu = PortMenu(frame);
    emit menu->aboutToShow();
    std::vector<std::string> items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items.push_back("-");
        } else {
            items.push_back(action->text().toStdString() + (action->isChecked() ? "*" : ""));
        }
    }
    return items;
}

std::vector<std::string> ComItems(int marked) {
    std::vector<std::string> items;
    for (int port = 1; port <= 9; ++port) {
        items.push_back("COM" + std::to_string(port) + (port == marked ? "*" : ""));
    }
    return items;
}

std::string PaneText(CMainFrame& frame) {
    return frame.PortStatus()->text().toStdString();
}

QVariant ReadSetting(const QString& key) {
    guitest::QtSettings profile;
    return profile.value(key);
}

}  // namespace

TEST(PortMenuTest, AMachinesPortIsListedChosenByNameKeptAndOpenedAgainAtTheNextStart) {
    FakePorts ports;
    // Few messages: a connect reads the header of each, with the recorder's pauses.
    emu::Options few;
    few.counts = {0, 2, 0, 0, 0};
    emu::RecorderEmulator adapterRecorder(few);
    ASSERT_TRUE(adapterRecorder.Start());
    ports.tree.PointNodeAt("ttyUSB0", adapterRecorder.DevicePath());
    const std::string portName = "USB-Serial Controller (067b:2303)";
    const std::string device = ports.tree.Dev("ttyUSB0");
    {
        emu::Options one;
        one.counts = {0, 0, 1, 0, 0};
        FrameHarness harness({}, &one);
        CMainFrame& frame = harness.Frame();
        EXPECT_EQ(PaneText(frame), "COM1 " + harness.Emulator().DevicePath());
        harness.Connect();
        EXPECT_EQ(PaneText(frame),
                  "COM1 " + harness.Emulator().DevicePath() + " - mode 2, 1 message");

        std::vector<std::string> expected = ComItems(1);
        expected.push_back("-");
        expected.push_back(portName + "\t" + device);
        EXPECT_EQ(OpenPortMenu(frame), expected);
        QAction* item = frame.SerialPorts()->Items().at(0);
        EXPECT_EQ(item->toolTip().toStdString(), ports.ById());

        item->trigger();
        EXPECT_TRUE(harness.Boxes().Shown().empty());
        EXPECT_TRUE(frame.m_link.IsConnected());
        EXPECT_EQ(PaneText(frame), portName + " " + device);
        expected = ComItems(0);
        expected.push_back("-");
        expected.push_back(portName + "\t" + device + "*");
        EXPECT_EQ(OpenPortMenu(frame), expected);  // listed afresh, the mark kept

        adapterRecorder.ClearLog();
        harness.Connect();
        EXPECT_FALSE(adapterRecorder.ReceivedFrames().empty());
        EXPECT_EQ(PaneText(frame), portName + " " + device + " - mode 2, 2 messages");
    }
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/DEVICE")).toString().toStdString(), ports.ById());
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/PORT")).toInt(), 1);

    // The next start opens it again, by the name it was kept under; a COM port's device may
    // be a bare name too.
    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("COMM/DEVICE3"), QStringLiteral("ttyS2"));
    }
    CManagerApp& app = theApp();
    app.SetStartOptions({});
    ScriptedMessageBoxes boxes;
    ASSERT_TRUE(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(PaneText(frame), portName + " " + device);
    adapterRecorder.ClearLog();
    EXPECT_TRUE(frame.m_link.SetTime(13, 45));
    EXPECT_EQ(adapterRecorder.ReceivedFrames().size(), 1u);
    EXPECT_EQ(OpenPortMenu(frame).back(), portName + "\t" + device + "*");

    // Back to a COM port: the name is let go.
    frame.Action(res::ID_PORT_COM3)->trigger();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, std::string(text::kSerialInitError) + "\n(" +
                                         ports.tree.Dev("ttyS2") + ": no such device)");
    EXPECT_EQ(PaneText(frame), "COM3 " + ports.tree.Dev("ttyS2") + ": no such device");
    std::vector<std::string> expected = ComItems(3);
    expected.push_back("-");
    expected.push_back(portName + "\t" + device);
    EXPECT_EQ(OpenPortMenu(frame), expected);
    frame.close();
    app.ExitInstance(0);
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/DEVICE")).toString().toStdString(), "");
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/PORT")).toInt(), 3);
}

TEST(PortMenuTest, APortPulledOutIsNamedWhenChosenAndAtTheNextStart) {
    FakePorts ports;
    {
        FrameHarness harness;
        CMainFrame& frame = harness.Frame();
        OpenPortMenu(frame);
        ports.tree.RemoveNode("ttyUSB0");
        frame.SerialPorts()->Items().at(0)->trigger();
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
        EXPECT_EQ(harness.Boxes().Shown()[0].text, std::string(text::kSerialInitError) +
                                                       "\n(USB-Serial Controller (067b:2303), " +
                                                       ports.ById() + ": no such device)");
        EXPECT_EQ(PaneText(frame),
                  "USB-Serial Controller (067b:2303) " + ports.ById() + ": no such device");
        EXPECT_FALSE(frame.m_link.IsConnected());
        // A connect has nothing to add to the pane then.
        harness.Boxes().Clear();
        frame.OnCommand(res::ID_CONNECT);
        ASSERT_TRUE(harness.WaitUntilIdle());
        EXPECT_EQ(PaneText(frame),
                  "USB-Serial Controller (067b:2303) " + ports.ById() + ": no such device");
    }
    // Still the user's choice: the next start says it is not there, by the name it was kept
    // under, and goes on.
    CManagerApp& app = theApp();
    app.SetStartOptions({});
    ScriptedMessageBoxes boxes;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              std::string(text::kSerialInitError) + "\n(" + ports.ById() + ": no such device)");
    EXPECT_EQ(PaneText(*app.MainFrame()), ports.ById() + ": no such device");
    app.MainFrame()->close();
    app.ExitInstance(0);
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/DEVICE")).toString().toStdString(), ports.ById());
}

TEST(PortMenuTest, WithoutPortsOfItsOwnTheMenuHoldsTheComPortsAlone) {
    const FakeSerialTree empty;
    theApp().m_portRoots = empty.Roots();
    {
        FrameHarness harness;
        EXPECT_EQ(OpenPortMenu(harness.Frame()), ComItems(1));
    }
    theApp().m_portRoots = {};
}
