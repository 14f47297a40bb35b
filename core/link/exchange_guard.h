#pragma once
#include "core/link/recorder_link.h"

// Holds the link's one-exchange-at-a-time flag for its lifetime, when it could take it.
// Taking it never waits: a second exchange is refused at once.
class RecorderLink::ExchangeGuard {
public:
    explicit ExchangeGuard(std::atomic<bool>& busy) : m_busy(busy) {
        bool expected = false;
        m_owned = m_busy.compare_exchange_strong(expected, true, std::memory_order_acquire);
    }
    ~ExchangeGuard() {
        if (m_owned) m_busy.store(false, std::memory_order_release);
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    explicit operator bool() const { return m_owned; }
    // Keeps the flag set after the guard is gone (a download hands it to its thread).
    void Keep() { m_owned = false; }

    // What an operation that could not take the flag ends with.
    static Result Refused() {
        return {Result::Category::Busy, "another exchange with the recorder is under way"};
    }

private:
    std::atomic<bool>& m_busy;
    bool m_owned = false;
};
