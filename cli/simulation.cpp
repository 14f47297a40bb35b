#include "cli/simulation.h"

#include "emulator/spoken_voice.h"

emu::Options SimulationOptions() {
    emu::Options options;
    options.voiceSource = emu::SpokenVoice();
    return options;
}
