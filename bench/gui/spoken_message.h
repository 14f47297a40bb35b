#pragma once
#include "emulator/recorder_emulator.h"

// A recorder message of real speech lasting at least `seconds`: the built-in sentences coded
// once at SP quality, the coded stream repeated whole (each repeat is a complete stream, so
// the decoder meets only whole frames), padded to whole 528-byte blocks.
emu::StoredMessage SpokenMessage(double seconds);
