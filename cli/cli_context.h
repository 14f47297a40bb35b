#pragma once
#include <iostream>
#include <string>

#include "core/link/serial_ports.h"

// What every command of one `sonoret` run shares: the global options and the terminal.
struct CliContext {
    // --device PATH: this device, whatever the port.
    std::string device;
    // --port N: "COM<N>" through the settings' mapping; 0 = the saved port setting.
    int port = 0;
    // --simulate: the built-in recorder emulator on a pseudo-terminal.
    bool simulate = false;
    // --trace: every frame on the line, with its time, on the error stream.
    bool trace = false;

    // Where questions are answered (the delete confirmation).
    std::istream* in = &std::cin;
    // Standard input is a terminal, so a question may be asked.
    bool interactive = false;
    // Standard error is a terminal, so progress bars are drawn on it.
    bool progressBars = false;
    // The window program's settings file; empty for the standard place.
    std::string settingsPath;
    // Where this machine's serial ports are looked up (`ports`, a device given by its bare
    // name); tests hand a tree of their own.
    SerialPortRoots portRoots;
};
