#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Short spoken sentences built into the program, for the recorder emulator's messages, the
// tests and the benchmarks.
namespace vocodec {

int SpeechClipCount();
// Clip index modulo the count (negative indices wrap too); 8000 samples per second, mono.
const std::vector<std::int16_t>& SpeechClip(int index);
std::string SpeechClipName(int index);

// Clip index % count coded at quality 1 (LP), 2 (MP) or 3 (SP; also for any other value) with
// silence detection, padded to whole 528-byte blocks. Coded once per process, then reused;
// safe to call from any thread.
std::vector<std::uint8_t> SpeechMessage(int quality, int index);

}  // namespace vocodec
