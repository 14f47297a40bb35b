#include "core/link/wire_trace.h"

#include <cstdio>

namespace {

// Longer runs are data, not frames: their bytes would only flood the trace.
constexpr int kLongestShown = 32;

std::string Hex(const std::uint8_t* bytes, int count) {
    std::string text;
    char byte[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        text += byte;
    }
    return text;
}

std::string Count(int count, int requested) {
    if (count == requested) return std::to_string(count) + " bytes";
    return std::to_string(count) + " of " + std::to_string(requested) + " bytes";
}

}  // namespace

std::string FormatWireEvent(const WireEvent& event, std::chrono::steady_clock::time_point origin) {
    const double seconds = std::chrono::duration<double>(event.time - origin).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f", seconds);
    const bool sent = event.direction == WireEvent::Direction::Sent;
    std::string line = std::string(stamp) + (sent ? " > " : " < ");

    const bool whole = event.count == event.requested;
    if (event.requested > kLongestShown) return line + Count(event.count, event.requested);
    if (event.count == 0) return line + "nothing (" + Count(0, event.requested) + ")";
    line += Hex(event.bytes, event.count);
    if (!sent || !whole) line += " (" + Count(event.count, event.requested) + ")";
    return line;
}
