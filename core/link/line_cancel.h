#pragma once
#include <atomic>
#include <mutex>

#include "core/link/serial_channel.h"

// A request to stop an operation on the line, which may come from any thread (a Cancel button,
// the close of the window): it is noted, and a wait on the line under way is woken so the
// operation sees it at once. It may be shared with whatever can still ask after the operation
// ended (a progress window's cancel hook); once released it no longer touches the channel,
// which by then serves other exchanges.
class LineCancel {
public:
    explicit LineCancel(SerialChannel& channel) : m_channel(&channel) {}

    void Request() {
        m_requested.store(true);
        std::lock_guard lock(m_mutex);
        if (m_channel) m_channel->Interrupt();
    }
    bool Requested() const { return m_requested.load(); }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_channel = nullptr;
    }

private:
    std::atomic<bool> m_requested{false};
    std::mutex m_mutex;
    SerialChannel* m_channel;  // guarded by m_mutex; null once released
};
