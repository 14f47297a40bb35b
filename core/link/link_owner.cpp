#include "core/link/link_owner.h"

std::string LinkOwner::DeviceForPort(int port) const {
    // COM1 is the first serial port, /dev/ttyS0.
    return "/dev/ttyS" + std::to_string(port - 1);
}
