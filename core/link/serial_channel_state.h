#pragma once
// What a serial channel keeps alike on every platform: the interrupt flags, the settings and
// the trace. Private to serial_channel.cpp and the platform files beside it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "core/base/result.h"
#include "core/link/serial_channel.h"
#include "core/link/wire_trace.h"

struct SerialChannel::State {
    // What the interrupts ask for; the platform's wake-up only makes a wait look at them.
    std::atomic<bool> interrupted{false};
    std::atomic<bool> interruptedUntilClosed{false};
    std::atomic<bool> lastReceiveGotNothing{false};
    std::string device;
    int replyTimeoutMs = SerialChannel::kDefaultReplyTimeoutMs;
    WireTrace trace;

    bool Interrupted() const { return interrupted.load() || interruptedUntilClosed.load(); }

    void Trace(WireEvent::Direction direction, const std::uint8_t* bytes, int count,
               int requested) const {
        if (!trace) return;
        WireEvent event;
        event.direction = direction;
        event.time = Clock::now();
        event.bytes = bytes;
        event.count = count;
        event.requested = requested;
        trace(event);
    }

    // Why a Receive that still lacks bytes ends now: Cancelled under an interrupt; at the
    // deadline ReplyWrong when part came, LineSilent when nothing did. Ok while it may wait on.
    Result ReceiveEnds(Clock::time_point deadline, int got) const {
        if (Interrupted()) return {Result::Category::Cancelled, {}};
        if (MsLeft(deadline) > 0) return Result::Ok();
        return {got > 0 ? Result::Category::ReplyWrong : Result::Category::LineSilent, {}};
    }

    // Milliseconds left until deadline, never negative; rounded up, so a wait never ends short
    // of its deadline.
    static int MsLeft(Clock::time_point deadline) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }
};
