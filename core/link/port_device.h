#pragma once
#include <string>

// The device behind port n ("COM<n>") when nothing else names one: the usual Linux mapping,
// COM1 being the first serial port, /dev/ttyS0.
inline std::string DefaultDeviceForPort(int port) {
    return "/dev/ttyS" + std::to_string(port - 1);
}
