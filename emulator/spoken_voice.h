#pragma once
#include "emulator/recorder_emulator.h"

namespace emu {

// Spoken sentences coded at each message's quality: the voice of the demo recorder that
// `sonoret --simulate` and the window program's --simulate serve, so a played or exported
// message says something.
VoiceSource SpokenVoice();

}  // namespace emu
