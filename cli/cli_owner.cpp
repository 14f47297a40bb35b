#include "cli/cli_owner.h"

#include "cli/terminal_progress.h"

CliOwner::CliOwner(const CliContext& context, std::ostream& err, const SettingsFile& settings)
    : m_context(context), m_err(err), m_settings(settings) {}

std::unique_ptr<ProgressDisplay> CliOwner::CreateProgress(const std::string& caption) {
    return std::make_unique<TerminalProgress>(caption, m_context.progressBars ? &m_err : nullptr);
}

void CliOwner::RunOnOwnerThread(std::function<void()> task) {
    m_tasks.Post(std::move(task));
}

void CliOwner::OnDownloadComplete(int complete) {
    m_completion = complete;
}

void CliOwner::ShowMessage(const std::string& text) {
    m_err << text << "\n";
}

std::string CliOwner::DeviceForPort(int port) const {
    if (!m_context.device.empty()) return m_context.device;
    if (!m_simulatorDevice.empty()) return m_simulatorDevice;
    const std::string configured = m_settings.DeviceForPort(port);
    if (!configured.empty()) return configured;
    return LinkOwner::DeviceForPort(port);
}

int CliOwner::WaitForDownload() {
    m_completion = -1;
    m_tasks.RunUntil([this] { return m_completion >= 0; });
    return m_completion;
}
