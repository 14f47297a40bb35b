#include "cli/simulation.h"

emu::Options SimulationOptions() {
    return emu::Options{};
}
