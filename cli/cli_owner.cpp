#include "cli/cli_owner.h"

#include "cli/terminal_progress.h"

CliOwner::CliOwner(const CliContext& context, std::ostream& err, const SettingsFile& settings)
    : m_context(context), m_err(err), m_settings(settings) {}

std::unique_ptr<ProgressDisplay> CliOwner::CreateProgress(const std::string& caption) {
    return std::make_unique<TerminalProgress>(caption, m_context.progressBars ? &m_err : nullptr);
}

void CliOwner::RunOnOwnerThread(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_all();
}

void CliOwner::OnDownloadComplete(int complete) {
    std::lock_guard lock(m_mutex);
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
    {
        std::lock_guard lock(m_mutex);
        m_completion = -1;
    }
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            // Every wait of the download is bounded, so its completion always comes.
            m_posted.wait(lock, [&] { return !m_tasks.empty(); });
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        std::lock_guard lock(m_mutex);
        if (m_completion >= 0) return m_completion;
    }
}
