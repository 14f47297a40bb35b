#pragma once
#include <string>

// What the window program was asked for on its command line.
struct StartOptions {
    bool simulate = false;   // the built-in recorder emulator behind the configured port
    std::string devicePath;  // this device behind the configured port
    int emulatorMode = 2;    // the emulator's recorder variant
};

// Reads argv. Returns true to go on; false when the program is to end at once with *exitCode
// (help or version printed: 0; a wrong argument: 2, with the reason on stderr). Works before
// any display is opened, so --help runs anywhere.
bool ParseCommandLine(int argc, char** argv, StartOptions& options, int* exitCode);
