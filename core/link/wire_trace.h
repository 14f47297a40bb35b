#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// What went over the line, for a trace of every frame sent and every reply received (the
// command line's --trace, the window program's trace variable).
struct WireEvent {
    enum class Direction { Sent, Received };

    Direction direction = Direction::Sent;
    std::chrono::steady_clock::time_point time;
    const std::uint8_t* bytes = nullptr;  // valid only during the call
    int count = 0;                        // bytes that went out or came in
    int requested = 0;                    // bytes the request had, or the reply was to have
};

// Called on the thread of the exchange, right after each Send and each Receive.
using WireTrace = std::function<void(const WireEvent&)>;

// One line per event, its time in seconds since origin:
//   "12.345 > AA BD 00 00"                  a request
//   "12.401 < AA BD 00 00 (4 bytes)"        a reply that came whole
//   "12.401 < AA BD (2 of 4 bytes)"         one that came in part
//   "15.402 < nothing (0 of 4 bytes)"       one that did not come
//   "12.950 < 528 bytes", "13.002 > 256 bytes"   data blocks and the cancel filler
std::string FormatWireEvent(const WireEvent& event, std::chrono::steady_clock::time_point origin);

// A trace that hands each event to write as one FormatWireEvent line (without its line end),
// the times counted from the trace's making. Events of several threads (the window's workers)
// are written one whole line at a time.
WireTrace LineTrace(std::function<void(const std::string& line)> write);

// The trace the window program's SONORET_TRACE asks for: none when it is unset, empty or "0";
// standard error for "1"; else the file it names, appended to. None, with *problem saying why,
// when that file cannot be opened.
WireTrace TraceFromVariable(const char* value, std::string* problem);
