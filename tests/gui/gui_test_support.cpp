#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTreeWidgetItem>

#include "core/res/resource_ids.h"
#include "core/settings/settings_file.h"
#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/progress_window.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"

namespace guitest {

QtSettings::QtSettings()
    : QSettings(QString::fromStdString(SettingsFile::DefaultPath()), QSettings::IniFormat) {}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeout.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

emu::StoredMessage SilentMessage(int blocks, int timeValue, int dateValue) {
    emu::StoredMessage message;
    message.quality = emu::Quality::SP;
    message.timeValue = static_cast<std::uint16_t>(timeValue);
    message.dateValue = static_cast<std::uint16_t>(dateValue);
    // Per block four silence runs of 15 frames (0xE0 0x0F: (h * 16 + c) mod 256 = 15), then
    // 0xFF 0xFF filler pairs to the block's end, which decode to nothing.
    message.data.assign(static_cast<std::size_t>(blocks) * emu::kBlockSize, 0xFF);
    for (int b = 0; b < blocks; ++b) {
        for (int i = 0; i < 4; ++i) {
            message.data[b * emu::kBlockSize + 2 * i] = 0xE0;
            message.data[b * emu::kBlockSize + 2 * i + 1] = 0x0F;
        }
    }
    return message;
}

std::function<void(emu::RecorderEmulator&)> Content(std::array<int, 5> counts, int blocks) {
    return [counts, blocks](emu::RecorderEmulator& emulator) {
        emulator.WithModel([&](emu::RecorderModel& model) {
            for (int f = 0; f < 5; ++f) {
                model.folders[f].clear();
                for (int i = 0; i < counts[f]; ++i) {
                    model.folders[f].push_back(SilentMessage(blocks, 25350 + 30 * i, 358));
                }
            }
        });
    };
}

std::vector<std::string> Texts(const std::vector<QTreeWidgetItem*>& items) {
    std::vector<std::string> texts;
    for (auto* item : items) texts.push_back(item->text(0).toStdString());
    return texts;
}

std::vector<QTreeWidgetItem*> Children(QTreeWidgetItem* item) {
    std::vector<QTreeWidgetItem*> children;
    for (int i = 0; i < item->childCount(); ++i) children.push_back(item->child(i));
    return children;
}

void ClickItem(CRightView& tree, QTreeWidgetItem* item, bool right) {
    tree.scrollToItem(item);
    const QPoint at = tree.visualItemRect(item).center();
    QTest::mouseClick(tree.viewport(), right ? Qt::RightButton : Qt::LeftButton, {}, at);
}

FrameHarness::FrameHarness(const std::function<void(emu::RecorderEmulator&)>& prepare,
                           const emu::Options* options)
    : m_boxes(std::make_unique<ScriptedMessageBoxes>()) {
    m_emulator = std::make_unique<emu::RecorderEmulator>(options ? *options : emu::Options{});
    std::string error;
    EXPECT_TRUE(m_emulator->Start(&error)) << error;
    if (prepare) prepare(*m_emulator);

    CManagerApp& app = App();
    StartOptions start;
    start.devicePath = m_emulator->DevicePath();
    app.SetStartOptions(start);
    EXPECT_TRUE(app.InitInstance());
    CMainFrame& frame = Frame();
    frame.SetFileOpener([this](const std::string& path) {
        opened.push_back(path);
        return openerWorks;
    });
    frame.SetSaveAsDialog([this](QWidget*, const QString& folder, const QString& proposed,
                                 const QStringList& filters, const QString&) {
        proposedNames.push_back(proposed);
        saveAsFolders.push_back(folder);
        saveAsFilters.push_back(filters);
        return saveAsAnswer;
    });
    frame.SetProgressObserver([this](ProgressWindow* window) {
        captions.push_back(window->windowTitle());
        QObject::connect(window, &QWidget::windowTitleChanged,
                         [this](const QString& title) { captions.push_back(title); });
    });
    m_emulator->ClearLog();
}

FrameHarness::~FrameHarness() {
    Close();
}

CManagerApp& FrameHarness::App() {
    return theApp();
}
CMainFrame& FrameHarness::Frame() {
    return *App().MainFrame();
}
CRightView& FrameHarness::Tree() {
    return *Frame().GetRightView();
}

void FrameHarness::Connect() {
    const int before = static_cast<int>(m_boxes->Shown().size());
    Command(res::ID_CONNECT);
    EXPECT_EQ(static_cast<int>(m_boxes->Shown().size()), before) << "connect showed a message";
}

void FrameHarness::Command(int commandId) {
    Frame().OnCommand(commandId);
    EXPECT_TRUE(WaitUntilIdle()) << "command " << commandId << " did not end";
}

bool FrameHarness::WaitUntilIdle() {
    return WaitFor([this] { return !Frame().IsRecorderBusy(); });
}

QTreeWidgetItem* FrameHarness::MessageItem(int folder, int position) {
    QTreeWidgetItem* folderItem = Tree().topLevelItem(folder);
    if (!folderItem || position < 1 || position > folderItem->childCount()) return nullptr;
    return folderItem->child(position - 1);
}

void FrameHarness::SelectMessage(int folder, int position) {
    QTreeWidgetItem* item = MessageItem(folder, position);
    ASSERT_NE(item, nullptr);
    Tree().topLevelItem(folder)->setExpanded(true);
    ClickItem(Tree(), item);
}

std::vector<std::array<std::uint8_t, 4>> FrameHarness::Frames() {
    return m_emulator->ReceivedFrames();
}

std::string FrameHarness::WorkingFolder() {
    return App().m_strSourcePath;
}

void FrameHarness::Close() {
    if (m_closed) return;
    m_closed = true;
    if (App().MainFrame()) {
        Frame().close();
        EXPECT_TRUE(WaitFor([this] { return Frame().IsClosing() != 0; })) << "did not close";
        App().ExitInstance(0);
    }
}

}  // namespace guitest
