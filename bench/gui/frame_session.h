#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "emulator/recorder_emulator.h"

class CMainFrame;
class ScriptedMessageBoxes;

using RecorderFolders = std::array<std::vector<emu::StoredMessage>, 5>;

// The window as the program starts it, on a recorder emulator of its own behind the configured
// port. Every message box is answered at once (OK, or No to a question), and Play hands its
// file to a recorder of paths instead of the desktop's player.
class FrameSession {
public:
    FrameSession(const emu::Options& options, const RecorderFolders& folders);
    ~FrameSession();  // closes the window as the user does
    FrameSession(const FrameSession&) = delete;
    FrameSession& operator=(const FrameSession&) = delete;

    // Empty when the window is up on the emulator, else what went wrong.
    const std::string& Problem() const { return m_problem; }
    CMainFrame& Frame();
    emu::RecorderEmulator& Emulator() { return *m_emulator; }
    // The texts of the message boxes shown so far.
    std::vector<std::string> BoxTexts() const;
    // The files Play opened.
    const std::vector<std::string>& Opened() const { return m_opened; }
    // The messages the recorder tree shows.
    int MessagesShown() const;
    // Makes message `position` (from 1) of folder 0..4 the tree's current item, as the arrow
    // keys do; false when the tree has no such message.
    bool SelectMessage(int folder, int position);
    // Closes the window as the user does, waits until it has, and ends the program's run.
    void Close();

private:
    std::unique_ptr<emu::RecorderEmulator> m_emulator;
    std::unique_ptr<ScriptedMessageBoxes> m_boxes;
    std::vector<std::string> m_opened;
    std::string m_problem;
    bool m_closed = false;
};
