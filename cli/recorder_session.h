#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "cli/cli_context.h"
#include "cli/cli_owner.h"
#include "core/convert/decoder_library.h"
#include "core/link/recorder_link.h"
#include "core/messages/message_files.h"
#include "core/settings/settings_file.h"

namespace emu {
class RecorderEmulator;
}

// One conversation with the recorder, from opening the port to the mode-off frame. Every
// session begins with the mode-on frame (sent by the directory read) and, once the port was
// opened, ends with the mode-off frame, whatever happened in between. Its message files go
// wherever each call says (a command's staging folder).
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
    // The exit status of a failed exchange (ExitStatusFor), after writing message (and the
    // result's detail, when withDetail and there is one); nothing is written for a cancel or
    // a signal.
    int Failure(const Result& result, const char* message, bool withDetail = false);
    // The same for a failed download: a file that could not be written is named (target).
    int DownloadFailure(const Result& result, const std::string& target);
    // Mode off (once) and the port closed; the destructor does it too.
    void End();

    RecorderLink& Link() { return m_link; }
    // The message-files service on this session's link and decoder. A conversion stops at
    // Ctrl-C.
    MessageFiles& Files() { return m_files; }
    // The voice decoder, for the service's conversions; load it before asking for a WAV.
    DecoderLibrary& Decoder() { return m_decoder; }
    ProgressFactory Progress() const { return m_owner.Progress(); }
    // Messages in folder (0..4) after the directory read.
    int Count(int folder) const { return m_link.Directory().Count(folder); }

private:
    // The port saved by the window program; when warn, a wrong value is named on err with the
    // port used instead.
    int SavedPort(bool warn);

    const CliContext& m_context;
    std::ostream& m_err;
    SettingsFile m_settings;
    std::unique_ptr<emu::RecorderEmulator> m_emulator;
    CliOwner m_owner;
    DecoderLibrary m_decoder;
    RecorderLink m_link;  // after the emulator: it goes first
    MessageFiles m_files{m_link, m_decoder};
    bool m_opened = false;
};
