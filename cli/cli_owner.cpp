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
    return ResolveSerialDevice(m_settings.DeviceForPort(port), m_context.portRoots);
}
