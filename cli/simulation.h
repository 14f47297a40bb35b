#pragma once
#include "emulator/recorder_emulator.h"

// The recorder `--simulate` and `sonoret simulate` serve: the emulator's demo content, with
// spoken sentences as its messages.
emu::Options SimulationOptions();
