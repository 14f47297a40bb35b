#pragma once
#include <ostream>
#include <string>

#include "cli/cli_context.h"
#include "core/base/progress_display.h"
#include "core/settings/settings_file.h"

// What the command line hands the recorder link with its requests: the device behind a port
// and where progress shows (a bar on the terminal, or nothing).
class CliOwner {
public:
    CliOwner(const CliContext& context, std::ostream& err, const SettingsFile& settings)
        : m_context(context), m_err(err), m_settings(settings) {}

    // Bars on standard error when it is a terminal; Ctrl-C is their Cancel.
    ProgressFactory Progress() const;
    // --device, then the emulator of --simulate, then (without --port) the settings' chosen
    // COMM/DEVICE, then the settings' COMM/DEVICE<n>, then the usual /dev/ttyS<n-1>. A bare name
    // given in --device or the settings is a device of /dev or of /dev/serial/by-id
    // (ResolveSerialDevice).
    std::string DeviceForPort(int port) const;

    void SetSimulatorDevice(std::string device) { m_simulatorDevice = std::move(device); }

private:
    const CliContext& m_context;
    std::ostream& m_err;
    const SettingsFile& m_settings;
    std::string m_simulatorDevice;
};
