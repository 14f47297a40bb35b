#include "bench/gui/frame_session.h"

#include <chrono>

#include "bench/gui/event_loop_driver.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"

namespace {
constexpr std::chrono::seconds kCloseTimeout{30};
}

FrameSession::FrameSession(const emu::Options& options, const RecorderFolders& folders)
    : m_emulator(std::make_unique<emu::RecorderEmulator>(options)),
      m_boxes(std::make_unique<ScriptedMessageBoxes>()) {
    if (!m_emulator->Start(&m_problem)) {
        m_problem = "the recorder emulator did not start: " + m_problem;
        m_closed = true;
        return;
    }
    m_emulator->WithModel([&folders](emu::RecorderModel& model) { model.folders = folders; });

    CManagerApp& app = theApp();
    StartOptions start;
    start.devicePath = m_emulator->DevicePath();
    app.SetStartOptions(start);
    if (!app.InitInstance() || !app.MainFrame()) {
        m_problem = "the window did not open";
        return;
    }
    Frame().SetFileOpener([this](const std::string& path) {
        m_opened.push_back(path);
        return true;
    });
    // Start-up has nothing to say on a fresh profile and a working port.
    if (!m_boxes->Shown().empty()) m_problem = "at start-up: " + m_boxes->Shown().front().text;
}

FrameSession::~FrameSession() {
    Close();
}

CMainFrame& FrameSession::Frame() {
    return *theApp().MainFrame();
}

std::vector<std::string> FrameSession::BoxTexts() const {
    std::vector<std::string> texts;
    for (const MessageBox::Shown& shown : m_boxes->Shown()) texts.push_back(shown.text);
    return texts;
}

int FrameSession::MessagesShown() const {
    const CRightView* tree = theApp().MainFrame()->GetRightView();
    int messages = 0;
    for (int f = 0; f < tree->topLevelItemCount(); ++f) {
        const QTreeWidgetItem* folder = tree->topLevelItem(f);
        for (int i = 0; i < folder->childCount(); ++i) {
            // An open folder without messages may hold an empty placeholder.
            if (!folder->child(i)->text(0).isEmpty()) ++messages;
        }
    }
    return messages;
}

bool FrameSession::SelectMessage(int folder, int position) {
    CRightView* tree = Frame().GetRightView();
    QTreeWidgetItem* folderItem = tree->topLevelItem(folder);
    if (!folderItem || position < 1 || position > folderItem->childCount()) return false;
    folderItem->setExpanded(true);
    tree->setCurrentItem(folderItem->child(position - 1));
    return tree->m_bMessageSelected != 0;
}

void FrameSession::Close() {
    if (m_closed) return;
    m_closed = true;
    CManagerApp& app = theApp();
    if (!app.MainFrame()) return;
    // A command still under way is stopped first; the window closes once it has returned.
    app.MainFrame()->close();
    DriveUntil([] {}, [&app] { return app.MainFrame()->IsClosing() != 0; }, kCloseTimeout);
    app.ExitInstance(0);
}
