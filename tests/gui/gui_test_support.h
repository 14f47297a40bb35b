#pragma once
#include <QSettings>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

class QAction;
class QTreeWidgetItem;
class CMainFrame;
class CManagerApp;
class CRightView;
class ProgressWindow;
class ScriptedMessageBoxes;
namespace emu {
class RecorderEmulator;
struct Options;
struct StoredMessage;
}  // namespace emu

namespace guitest {

// The user's settings file through QSettings, which read and wrote it for the window program
// in years past: tests put settings in through it and read back through it what the program
// wrote, so that the file stays one that both read alike.
class QtSettings : public QSettings {
public:
    QtSettings();
};

// This process's own folder (settings, cache and program folder live below it).
using testsupport::ScratchFolder;

// Pumps events until pred holds or the time is up.
bool WaitFor(const std::function<bool()>& pred,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A message of `blocks` 528-byte blocks of coded silence (it converts to a valid WAV).
emu::StoredMessage SilentMessage(int blocks, int timeValue = 25350, int dateValue = 0);

// Folders of silent messages of `blocks` blocks, recorded on 25 December 2001 at 14:05, 14:06,
// ...: the emulator's content for FrameHarness.
std::function<void(emu::RecorderEmulator&)> Content(std::array<int, 5> counts, int blocks = 2);

std::vector<std::string> Texts(const std::vector<QTreeWidgetItem*>& items);
std::vector<QTreeWidgetItem*> Children(QTreeWidgetItem* item);

// Clicks (press and release) an item of the tree with the given button.
void ClickItem(CRightView& tree, QTreeWidgetItem* item, bool right = false);

// The frame as the program starts it, on an emulator of its own (unpaced) behind port 1, with
// the desktop's file opener and Save As dialog replaced by recorders.
class FrameHarness {
public:
    // prepare, when set, runs on the started emulator before the frame opens the port.
    explicit FrameHarness(const std::function<void(emu::RecorderEmulator&)>& prepare = {},
                          const emu::Options* options = nullptr);
    ~FrameHarness();  // closes the frame as the user does (settings written)

    CManagerApp& App();
    CMainFrame& Frame();
    CRightView& Tree();
    emu::RecorderEmulator& Emulator() { return *m_emulator; }
    ScriptedMessageBoxes& Boxes() { return *m_boxes; }

    // Connects, waits until it is over and checks it showed nothing.
    void Connect();
    // Runs a command as a click does and waits until the recorder commands are free again.
    void Command(int commandId);
    // Waits until no recorder command runs any more; false when one still runs after a while.
    bool WaitUntilIdle();
    // The message item m (1-based position among its folder's children) of folder f.
    QTreeWidgetItem* MessageItem(int folder, int position);
    // Makes a message current by a left click.
    void SelectMessage(int folder, int position);
    // Closes the frame as the user does, waits until it has (a command under way ends first)
    // and ends the program's run (settings written).
    void Close();
    // The request frames the emulator has seen since the frame started.
    std::vector<std::array<std::uint8_t, 4>> Frames();
    // The working folder of this run.
    std::string WorkingFolder();

    std::vector<std::string> opened;     // paths given to the desktop's opener
    bool openerWorks = true;             // false: the desktop has no player for them
    QString saveAsAnswer;                // what the Save As dialog answers
    std::vector<QString> proposedNames;  // what it was asked with
    std::vector<QString> saveAsFolders;
    std::vector<QStringList> saveAsFilters;
    std::vector<QString> captions;  // every caption of every progress window

private:
    std::unique_ptr<emu::RecorderEmulator> m_emulator;
    std::unique_ptr<ScriptedMessageBoxes> m_boxes;
    bool m_closed = false;
};

}  // namespace guitest
