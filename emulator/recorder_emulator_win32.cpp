// The emulator where the system has no pseudo-terminal (Windows): it keeps its recorder model,
// so its content can be looked at and changed, but it cannot serve a line. `sonoret simulate`
// on Linux serves the Windows programs instead, through a serial port linked to its terminal.
#include <condition_variable>
#include <mutex>

#include "emulator/recorder_emulator.h"

namespace emu {

struct RecorderEmulator::Impl {
    explicit Impl(Options opts) : options(std::move(opts)), model(NewRecorder(options)) {}

    const Options options;
    mutable std::mutex mutex;
    RecorderModel model;
    FaultSwitches faults;
};

RecorderEmulator::RecorderEmulator(Options options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {}

RecorderEmulator::~RecorderEmulator() = default;

bool RecorderEmulator::Start(std::string* error) {
    if (error) {
        *error =
            "the recorder emulator needs a pseudo-terminal, which this system does not have; "
            "run `sonoret simulate` on Linux and link a serial port to it";
    }
    return false;
}

void RecorderEmulator::Stop() {}

std::string RecorderEmulator::DevicePath() const {
    return {};
}

void RecorderEmulator::WithModel(const std::function<void(RecorderModel&)>& change) {
    std::lock_guard lock(m_impl->mutex);
    change(m_impl->model);
}

void RecorderEmulator::SetFaults(const FaultSwitches& faults) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults = faults;
}

FaultSwitches RecorderEmulator::Faults() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->faults;
}

bool RecorderEmulator::DeviceGone() const {
    return false;
}

std::vector<std::uint8_t> RecorderEmulator::ReceivedBytes() const {
    return {};
}

std::vector<std::array<std::uint8_t, 4>> RecorderEmulator::ReceivedFrames() const {
    return {};
}

void RecorderEmulator::ClearLog() {}

bool RecorderEmulator::WaitForFrames(std::size_t, std::chrono::milliseconds) const {
    return false;
}

bool RecorderEmulator::WaitForBytes(std::size_t, std::chrono::milliseconds) const {
    return false;
}

}  // namespace emu
