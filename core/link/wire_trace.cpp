#include "core/link/wire_trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/base/system_error_text.h"

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

WireTrace LineTrace(std::function<void(const std::string& line)> write) {
    struct Shared {
        std::mutex mutex;
        std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
        std::function<void(const std::string&)> write;
    };
    auto shared = std::make_shared<Shared>();
    shared->write = std::move(write);
    return [shared](const WireEvent& event) {
        std::lock_guard lock(shared->mutex);
        shared->write(FormatWireEvent(event, shared->origin));
    };
}

WireTrace TraceFromVariable(const char* value, std::string* problem) {
    if (!value || !*value || std::strcmp(value, "0") == 0) return {};
    // Each line is flushed as it comes: a trace is read most when the program did not end well.
    const auto lineTo = [](std::FILE* file) {
        return [file](const std::string& line) {
            std::fputs((line + "\n").c_str(), file);
            std::fflush(file);
        };
    };
    if (std::strcmp(value, "1") == 0) return LineTrace(lineTo(stderr));
    std::FILE* opened = std::fopen(value, "ae");
    if (!opened) {
        const int error = errno;
        if (problem)
            *problem = WithSystemReason(std::string("cannot write the trace to ") + value, error);
        return {};
    }
    const std::shared_ptr<std::FILE> file(opened, [](std::FILE* f) { std::fclose(f); });
    return LineTrace([file, write = lineTo(file.get())](const std::string& line) { write(line); });
}
