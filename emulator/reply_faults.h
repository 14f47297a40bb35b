#pragma once
#include "emulator/recorder_emulator.h"
#include "emulator/request_frames.h"
#include "emulator/seeded_random.h"

namespace emu {

// Spoils an honest reply the way the switches ask: wrong echo, bad directory marker, claimed
// counts, a transfer that stops or breaks off, a short reply, line noise. Counts down
// `faults.badMarkerReads` as directory blocks go out.
void ApplyFaults(Reply& reply, Command command, FaultSwitches& faults, SeededRandom& noise);

}  // namespace emu
