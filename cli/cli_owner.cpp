#include "cli/cli_owner.h"

#include "cli/terminal_progress.h"
#include "core/link/serial_ports.h"

ProgressFactory CliOwner::Progress() const {
    std::ostream* terminal = m_context.progressBars ? &m_err : nullptr;
    return [terminal](const std::string& caption) {
        return std::make_unique<TerminalProgress>(caption, terminal);
    };
}

std::string CliOwner::DeviceForPort(int port) const {
    if (!m_context.device.empty())
        return ResolveSerialDevice(m_context.device, m_context.portRoots);
    if (!m_simulatorDevice.empty()) return m_simulatorDevice;
    // Without --port, the port the window program was told to use, also one chosen by name.
    const std::string setting =
        m_context.port > 0 ? m_settings.DeviceForPort(port) : m_settings.SavedDevice();
    return ResolveSerialDevice(setting, m_context.portRoots);
}
