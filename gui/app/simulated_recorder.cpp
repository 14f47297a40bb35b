#include "gui/app/simulated_recorder.h"

#include "emulator/recorder_emulator.h"
#include "emulator/spoken_voice.h"

struct SimulatedRecorder::Impl {
    emu::RecorderEmulator emulator;
    explicit Impl(const emu::Options& options) : emulator(options) {}
};

SimulatedRecorder::SimulatedRecorder(int modeVariant) {
    emu::Options options;
    options.modeVariant = modeVariant;
    // A recorder on a real line takes its time: the progress windows show as they would.
    options.paced = true;
    // Spoken sentences rather than noise, so Play has something to say.
    options.voiceSource = emu::SpokenVoice();
    m_impl = std::make_unique<Impl>(options);
}

SimulatedRecorder::~SimulatedRecorder() = default;

bool SimulatedRecorder::Start(std::string* error) {
    return m_impl->emulator.Start(error);
}

std::string SimulatedRecorder::DevicePath() const {
    return m_impl->emulator.DevicePath();
}
