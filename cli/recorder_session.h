#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "cli/cli_context.h"
#include "cli/cli_owner.h"
#include "core/link/recorder_link.h"
#include "core/settings/settings_file.h"

namespace emu {
class RecorderEmulator;
}

// One conversation with the recorder, from opening the port to the mode-off frame. Every
// session begins with the mode-on frame (sent by the directory read) and, once the port was
// opened, ends with the mode-off frame, whatever happened in between.
class RecorderSession {
public:
    RecorderSession(const CliContext& context, std::ostream& err);
    ~RecorderSession();
    RecorderSession(const RecorderSession&) = delete;
    RecorderSession& operator=(const RecorderSession&) = delete;

    // Opens the port (starting the emulator for --simulate). kExitOk, or kExitPort with the
    // message written, or kExitInterrupted.
    int Open();
    // Mode on and the directory, with a connect's three tries against the marker.
    int ReadDirectory();
    // The whole connect: directory and every header under the "Connect" progress.
    int Connect();
    // After the directory read: kExitOk when the folder holds the message, else kExitUsage with
    // the reason written.
    int RequireMessage(int folder, int message);
    // Downloads the message into the owner's working folder and waits for it: kExitOk, or the
    // exit status with the reason written (target names the file for a write failure).
    int Download(int folder, int message, const std::string& target);
    // The exit status of a failed exchange: kExitInterrupted when Ctrl-C cut it short, else
    // kExitComm after writing message (and detail, when there is one).
    int Failure(const char* message, const std::string& detail = {});
    // Mode off (once) and the port closed; the destructor does it too.
    void End();

    RecorderLink& Link() { return m_link; }
    CliOwner& Owner() { return m_owner; }
    // Messages in folder (0..4) after the directory read.
    int Count(int folder) const { return m_link.m_directory.count[folder]; }

private:
    // The port saved by the window program; when warn, a wrong value is named on err with the
    // port used instead.
    int SavedPort(bool warn);

    const CliContext& m_context;
    std::ostream& m_err;
    SettingsFile m_settings;
    std::unique_ptr<emu::RecorderEmulator> m_emulator;
    CliOwner m_owner;
    RecorderLink m_link;  // after the owner and the emulator: it goes first
    bool m_opened = false;
};
