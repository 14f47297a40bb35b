#include "cli/recorder_session.h"

#include "cli/command.h"
#include "cli/interruption.h"
#include "cli/simulation.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"
#include "emulator/recorder_emulator.h"

RecorderSession::RecorderSession(const CliContext& context, std::ostream& err)
    : m_context(context), m_err(err), m_owner(context, err, m_settings) {
    m_settings.Load(context.settingsPath.empty() ? SettingsFile::DefaultPath()
                                                 : context.settingsPath);
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
    // The owner has shown the message, with the device and the system's reason.
    if (!m_link.Initialise(port, &m_owner)) return kExitPort;
    m_opened = true;
    interruption::WatchChannel(&m_link.m_serial);
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
        if (!m_link.ReadDirectory()) return Failure(text::kCommError);
        if (m_link.m_directory.marker == kDirectoryValidMarker) {
            return interruption::Raised() ? kExitInterrupted : kExitOk;
        }
        if (interruption::Raised()) return kExitInterrupted;
    }
    return Failure(text::kCommError);
}

int RecorderSession::Connect() {
    if (m_link.Connect()) return interruption::Raised() ? kExitInterrupted : kExitOk;
    if (m_link.m_bCancelled) return kExitInterrupted;
    return Failure(text::kCommError);
}

int RecorderSession::RequireMessage(int folder, int message) {
    if (message <= Count(folder)) return kExitOk;
    m_err << "sonoret: " << FolderBaseName(folder) << " holds " << Count(folder)
          << " messages; there is no message " << message << "\n";
    return kExitUsage;
}

int RecorderSession::Download(int folder, int message, const std::string& target) {
    m_link.StartDownload(folder, message);
    if (m_owner.WaitForDownload()) return kExitOk;
    switch (m_link.LastDownloadEnd()) {
        case RecorderLink::DownloadEnd::Cancelled:
            return kExitInterrupted;
        case RecorderLink::DownloadEnd::FileError:
            m_err << "sonoret: cannot write " << target << " (" << m_link.LastDownloadError()
                  << ")\n";
            return kExitOutput;
        default:
            return Failure(text::kCommError, m_link.LastDownloadError());
    }
}

int RecorderSession::Failure(const char* message, const std::string& detail) {
    if (interruption::Raised()) return kExitInterrupted;
    m_err << message << "\n";
    if (!detail.empty()) m_err << "(" << detail << ")\n";
    return kExitComm;
}

void RecorderSession::End() {
    if (m_opened) {
        m_opened = false;
        m_link.StopDownload();
        m_link.SetMode(0);
        interruption::WatchChannel(nullptr);
        m_link.m_serial.Close();
    }
    if (m_emulator) m_emulator->Stop();
}
