#include "app/simulated_recorder.h"

#ifdef SONORET_HAVE_EMULATOR
#include "emulator/recorder_emulator.h"

struct SimulatedRecorder::Impl {
    emu::RecorderEmulator emulator;
    explicit Impl(const emu::Options& options) : emulator(options) {}
};

SimulatedRecorder::SimulatedRecorder(int modeVariant) {
    emu::Options options;
    options.modeVariant = modeVariant;
    // A recorder on a real line takes its time: the progress windows show as they would.
    options.paced = true;
    m_impl = std::make_unique<Impl>(options);
}

bool SimulatedRecorder::Start(std::string* error) {
    return m_impl->emulator.Start(error);
}

std::string SimulatedRecorder::DevicePath() const {
    return m_impl->emulator.DevicePath();
}

#else

struct SimulatedRecorder::Impl {};

SimulatedRecorder::SimulatedRecorder(int) {}

bool SimulatedRecorder::Start(std::string* error) {
    if (error) *error = "this build has no recorder emulator";
    return false;
}

std::string SimulatedRecorder::DevicePath() const {
    return {};
}

#endif

SimulatedRecorder::~SimulatedRecorder() = default;
