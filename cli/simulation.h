#pragma once
#include "emulator/recorder_emulator.h"

// The recorder `--simulate` and `sonoret simulate` serve: the emulator's demo content, with
// real voice once a voice source is installed here.
emu::Options SimulationOptions();
