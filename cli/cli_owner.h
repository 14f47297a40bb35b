#pragma once
#include <functional>
#include <ostream>
#include <string>

#include "cli/cli_context.h"
#include "core/base/posted_tasks.h"
#include "core/link/link_owner.h"
#include "core/settings/settings_file.h"

// The recorder link's owner in the command line. The main thread is the "owner's thread": it
// runs the tasks the download thread posts while it waits for the download in WaitForDownload,
// just as the window program's event loop would.
class CliOwner : public LinkOwner {
public:
    CliOwner(const CliContext& context, std::ostream& err, const SettingsFile& settings);

    std::unique_ptr<ProgressDisplay> CreateProgress(const std::string& caption) override;
    void RunOnOwnerThread(std::function<void()> task) override;
    void OnDownloadComplete(int complete) override;
    void ShowMessage(const std::string& text) override;
    std::string WorkingFolder() const override { return m_workingFolder; }
    // --device, then the emulator of --simulate, then the settings' COMM/DEVICE<n>, then the
    // usual /dev/ttyS<n-1>.
    std::string DeviceForPort(int port) const override;

    // Where downloads go; ends with the path separator.
    void SetWorkingFolder(std::string folder) { m_workingFolder = std::move(folder); }
    void SetSimulatorDevice(std::string device) { m_simulatorDevice = std::move(device); }

    // Runs posted tasks until the download's completion has run; its value (1 = complete).
    int WaitForDownload();

private:
    const CliContext& m_context;
    std::ostream& m_err;
    const SettingsFile& m_settings;
    std::string m_workingFolder;
    std::string m_simulatorDevice;

    PostedTasks m_tasks;
    int m_completion = -1;  // the owner's thread only
};
