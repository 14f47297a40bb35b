#include "cli/recorder_session.h"

#include "cli/command.h"
#include "cli/exit_status.h"
#include "cli/interruption.h"
#include "cli/simulation.h"
#include "core/link/message_label.h"
#include "core/link/wire_trace.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "emulator/recorder_emulator.h"

RecorderSession::RecorderSession(const CliContext& context, std::ostream& err)
    : m_context(context), m_err(err), m_owner(context, err, m_settings) {
    m_settings.Load(context.settingsPath.empty() ? SettingsFile::DefaultPath()
                                                 : context.settingsPath);
    m_files.SetInterruptQuery([] { return interruption::Raised(); });
}

RecorderSession::~RecorderSession() {
    End();
}

int RecorderSession::Open() {
    if (interruption::Raised()) return kExitInterrupted;
    if (m_context.simulate) {
        m_emulator = std::make_unique<emu::RecorderEmulator>(SimulationOptions());
        std::string error;
        if (!m_emulator->Start(&error)) {
            m_err << "sonoret: the recorder emulator could not start: " << error << "\n";
            return kExitPort;
        }
        m_owner.SetSimulatorDevice(m_emulator->DevicePath());
    }
    // The settings matter only where they choose the device: what is wrong with them is
    // named, with what is used instead, rather than ending in a communication error on some
    // other port.
    const bool settingsChooseDevice = m_context.device.empty() && !m_context.simulate;
    if (settingsChooseDevice && !m_settings.Problem().empty()) {
        m_err << "sonoret: " << m_settings.Problem() << "; going on with the default settings\n";
    }
    const int port = m_context.port > 0 ? m_context.port : SavedPort(settingsChooseDevice);
    if (m_context.trace) {
        m_link.Channel().SetWireTrace(LineTrace([&err = m_err](const std::string& line) {
            err << line << "\n" << std::flush;
        }));
    }
    const Result opened = m_link.Initialise(m_owner.DeviceForPort(port));
    if (!opened) {
        // The device and the system's reason (no such device, in use, permission denied) tell
        // the user which cable, adapter or setting to look at.
        m_err << text::kSerialInitError;
        if (!opened.Detail().empty())
            m_err << text::Format(text::kSerialInitReason, opened.Detail());
        m_err << "\n";
        return ExitStatusFor(opened);
    }
    m_opened = true;
    interruption::WatchChannel(&m_link.Channel());
    return interruption::Raised() ? kExitInterrupted : kExitOk;
}

int RecorderSession::SavedPort(bool warn) {
    const int port = m_settings.SavedPort();
    if (const std::string problem = m_settings.SavedPortProblem(); warn && !problem.empty()) {
        m_err << "sonoret: " << problem << "; using COM" << port << " ("
              << m_owner.DeviceForPort(port) << ")\n";
    }
    return port;
}

int RecorderSession::ReadDirectory() {
    for (int attempt = 1; attempt <= RecorderLink::kDirectoryAttempts; ++attempt) {
        if (const Result read = m_link.ReadDirectory(); !read)
            return Failure(read, text::kCommError);
        if (m_link.Directory().IsValid()) {
            return interruption::Raised() ? kExitInterrupted : kExitOk;
        }
        if (interruption::Raised()) return kExitInterrupted;
    }
    return Failure({Result::Category::ReplyWrong, {}}, text::kCommError);
}

int RecorderSession::Connect() {
    if (const Result connected = m_link.Connect(Progress()); !connected) {
        return Failure(connected, text::kCommError);
    }
    return interruption::Raised() ? kExitInterrupted : kExitOk;
}

int RecorderSession::RequireMessage(int folder, int message) {
    if (message <= Count(folder)) return kExitOk;
    m_err << "sonoret: " << FolderBaseName(folder) << " holds " << Count(folder)
          << " messages; there is no message " << message << "\n";
    return kExitUsage;
}

int RecorderSession::Failure(const Result& result, const char* message, bool withDetail) {
    const int status = ExitStatusFor(result);
    if (status == kExitOk || status == kExitInterrupted) return status;
    m_err << message << "\n";
    if (withDetail && !result.Detail().empty()) m_err << "(" << result.Detail() << ")\n";
    return status;
}

int RecorderSession::DownloadFailure(const Result& result, const std::string& target) {
    if (result.Is(Result::Category::FileNotWritten) && !interruption::Raised()) {
        m_err << "sonoret: cannot write " << target << " (" << result.Detail() << ")\n";
        return ExitStatusFor(result);
    }
    return Failure(result, text::kCommError, true);
}

void RecorderSession::End() {
    if (m_opened) {
        m_opened = false;
        m_link.StopDownload();
        m_link.SetMode(0);
        interruption::WatchChannel(nullptr);
        m_link.Channel().Close();
    }
    if (m_emulator) m_emulator->Stop();
}
