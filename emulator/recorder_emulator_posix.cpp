#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <thread>

#include "core/base/system_error_text.h"
#include "emulator/pseudo_terminal.h"
#include "emulator/recorder_emulator.h"
#include "emulator/reply_faults.h"
#include "emulator/request_frames.h"
#include "emulator/seeded_random.h"

namespace emu {

namespace {

using Clock = std::chrono::steady_clock;

// How long a vanishing device lets the program read its last reply, and how long the kernel is
// given to hand freshly written bytes to the reading side.
constexpr auto kDeliveryGrace = std::chrono::seconds(3);
constexpr auto kDeliverySettle = std::chrono::milliseconds(20);

// Lets Stop and SetFaults interrupt the serving thread's poll.
class WakePipe {
public:
    bool Open(std::string* error) {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
            if (error) *error = WithSystemReason("cannot create a pipe", errno);
            return false;
        }
        m_read.Reset(fds[0]);
        m_write.Reset(fds[1]);
        return true;
    }
    int ReadEnd() const { return m_read.Get(); }
    void Wake() {
        const char byte = 1;
        // A full pipe already holds a wake-up.
        [[maybe_unused]] ssize_t n = ::write(m_write.Get(), &byte, 1);
    }
    void Drain() {
        char bytes[64];
        while (::read(m_read.Get(), bytes, sizeof bytes) > 0) {
        }
    }

private:
    UniqueFd m_read;
    UniqueFd m_write;
};

// The reply going out now.
struct Outgoing {
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    bool transfer = false;
    bool active = false;
    Clock::time_point start;
    std::string what;
};

}  // namespace

struct RecorderEmulator::Impl {
    explicit Impl(Options opts)
        : options(std::move(opts)), model(NewRecorder(options)), noise(options.seed ^ 0x5EED5EEDu) {
        // Made once, so callers on other threads may wake the server at any time.
        wakeReady = wake.Open(&wakeError);
    }

    const Options options;

    // Shared between the serving thread and the callers; guarded by `mutex`.
    mutable std::mutex mutex;
    mutable std::condition_variable frameSeen;
    mutable std::condition_variable heard;
    RecorderModel model;
    FaultSwitches faults;
    int framesSinceFaults = 0;
    std::vector<std::uint8_t> receivedBytes;
    std::vector<Frame> receivedFrames;
    std::string devicePath;
    bool gone = false;
    SeededRandom noise;

    // Set up by Start before the thread runs and torn down by Stop after it ended.
    PseudoTerminal pty;
    WakePipe wake;
    bool wakeReady = false;
    std::string wakeError;
    std::atomic<bool> stopping{false};
    std::thread thread;

    // The serving thread's own.
    FrameParser parser;
    Outgoing out;
    bool lineDown = false;
    Clock::time_point lastReplyOut{};
    bool vanishWaiting = false;  // due to vanish, waiting for the program to read its reply

    void Serve();
    bool DisappearDue() const {
        return faults.disappearAfterFrames >= 0 && framesSinceFaults >= faults.disappearAfterFrames;
    }
    bool LastReplyDelivered(Clock::time_point now) const;
    void TakeRequests(std::vector<std::string>& log);
    bool WriteDue(std::vector<std::string>& log);
    void ReadInput(std::vector<std::string>& log);
    std::size_t DueCount(Clock::time_point now) const;
    int PollTimeout(Clock::time_point now) const;
    void Report(std::vector<std::string>& log) {
        if (options.activityLog) {
            for (const auto& line : log) options.activityLog(line);
        }
        log.clear();
    }
};

// Handles requests in arrival order, one at a time: the next one is looked at only once the
// reply to the previous one went out, as the recorder does.
void RecorderEmulator::Impl::TakeRequests(std::vector<std::string>& log) {
    while (!out.active && !DisappearDue()) {
        const auto frame = parser.Next();
        if (!frame) return;
        receivedFrames.push_back(*frame);
        ++framesSinceFaults;
        frameSeen.notify_all();
        if (faults.silent) {
            log.push_back(DescribeFrame(*frame) + ": not answered");
            continue;
        }
        log.push_back(DescribeFrame(*frame));
        Reply reply = model.Answer(*frame);
        ApplyFaults(reply, *Recognise(*frame), faults, noise);
        if (reply.bytes.empty()) continue;
        out.bytes = std::move(reply.bytes);
        out.sent = 0;
        out.transfer = reply.transfer;
        out.active = true;
        out.start = Clock::now();
        out.what = DescribeFrame(*frame);
    }
}

std::size_t RecorderEmulator::Impl::DueCount(Clock::time_point now) const {
    if (!options.paced) return out.bytes.size();
    // A byte counts as sent once its last bit is on the line.
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - out.start);
    const auto due = static_cast<std::size_t>(elapsed.count() * kLineBytesPerSecond / 1000000);
    return std::min(due, out.bytes.size());
}

int RecorderEmulator::Impl::PollTimeout(Clock::time_point now) const {
    if (lineDown) return 20;
    if (vanishWaiting) return 5;  // look again whether the device may go now
    if (!out.active || !options.paced || DueCount(now) > out.sent) return -1;
    const auto nextDue =
        out.start + std::chrono::microseconds((out.sent + 1) * 1000000 / kLineBytesPerSecond);
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(nextDue - now);
    return std::max(0, static_cast<int>((wait.count() + 999) / 1000));
}

// Writes what the line has carried by now; true when the reply is out whole.
bool RecorderEmulator::Impl::WriteDue(std::vector<std::string>& log) {
    const std::size_t limit = DueCount(Clock::now());
    while (out.sent < limit) {
        const ssize_t n = ::write(pty.Master(), out.bytes.data() + out.sent, limit - out.sent);
        if (n > 0) {
            out.sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (const int err = n < 0 ? errno : 0; err != 0 && err != EAGAIN) {
                // Nobody can receive it; the program will ask again.
                log.push_back(out.what + ": reply lost (" + SystemErrorText(err) + ")");
                out = {};
            }
            return false;
        }
    }
    if (out.sent < out.bytes.size()) return false;
    if (out.transfer) {
        log.push_back(out.what + ": " + std::to_string(out.bytes.size()) + " bytes sent");
    }
    out = {};
    lastReplyOut = Clock::now();
    return true;
}

// A recorder unplugged after answering had its answer on the wire already. Closing the master
// at once would make the kernel throw away whatever the program has not read yet, so the
// device waits until the last reply was read (or for a few seconds, for a program that never
// reads) before it goes.
bool RecorderEmulator::Impl::LastReplyDelivered(Clock::time_point now) const {
    if (now - lastReplyOut >= kDeliveryGrace) return true;
    // The kernel moves written bytes to the reading side a moment later: give it that moment.
    if (now - lastReplyOut < kDeliverySettle) return false;
    return pty.UnreadByProgram() == 0;
}

void RecorderEmulator::Impl::ReadInput(std::vector<std::string>& log) {
    std::uint8_t bytes[4096];
    for (;;) {
        const ssize_t n = ::read(pty.Master(), bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        if (n <= 0) {
            // No slave side open; should not happen while we hold one, but never spin on it.
            lineDown = true;
            return;
        }
        {
            std::lock_guard lock(mutex);
            receivedBytes.insert(receivedBytes.end(), bytes, bytes + n);
        }
        heard.notify_all();
        if (out.active && out.transfer) {
            // The program stops a transfer by sending anything (its filler of zeros): stop at
            // once. The filler itself holds no frame start and is dropped by the parser.
            log.push_back(out.what + ": stopped by the PC after " + std::to_string(out.sent) +
                          " of " + std::to_string(out.bytes.size()) + " bytes");
            out = {};
        }
        parser.Feed(bytes, static_cast<std::size_t>(n));
    }
}

void RecorderEmulator::Impl::Serve() {
    std::vector<std::string> log;
    bool isGone = false;
    while (!stopping.load()) {
        {
            std::lock_guard lock(mutex);
            if (!gone) {
                TakeRequests(log);
                vanishWaiting = !out.active && DisappearDue();
                if (vanishWaiting && LastReplyDelivered(Clock::now())) {
                    vanishWaiting = false;
                    gone = true;
                    pty.Vanish();
                    parser.Clear();
                    log.push_back("the recorder is gone");
                }
            }
            isGone = gone;
        }
        if (out.active && !isGone && !lineDown && WriteDue(log)) {
            Report(log);
            continue;  // the next request may already be waiting
        }
        Report(log);

        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {wake.ReadEnd(), POLLIN, 0};
        int masterAt = -1;
        int watchAt = -1;
        const auto now = Clock::now();
        if (!isGone && !lineDown) {
            short events = POLLIN;
            if (out.active && DueCount(now) > out.sent) events |= POLLOUT;
            masterAt = static_cast<int>(count);
            fds[count++] = {pty.Master(), events, 0};
        }
        if (!isGone && pty.Watch() >= 0) {
            watchAt = static_cast<int>(count);
            fds[count++] = {pty.Watch(), POLLIN, 0};
        }
        const int timeout = PollTimeout(now);
        lineDown = false;
        if (::poll(fds, count, timeout) < 0) continue;  // EINTR: look again
        if (fds[0].revents) wake.Drain();
        if (masterAt >= 0 && (fds[masterAt].revents & (POLLIN | POLLHUP | POLLERR))) {
            ReadInput(log);
        }
        if (watchAt >= 0 && fds[watchAt].revents) pty.OnWatchReadable();
    }
    Report(log);
}

RecorderEmulator::RecorderEmulator(Options options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {}

RecorderEmulator::~RecorderEmulator() {
    Stop();
}

bool RecorderEmulator::Start(std::string* error) {
    Impl& impl = *m_impl;
    if (impl.thread.joinable()) {
        if (error) *error = "the emulator is already serving";
        return false;
    }
    if (!impl.wakeReady) {
        if (error) *error = impl.wakeError;
        return false;
    }
    if (!impl.pty.Open(error)) return false;
    {
        std::lock_guard lock(impl.mutex);
        impl.devicePath = impl.pty.SlavePath();
        impl.gone = false;
    }
    impl.parser.Clear();
    impl.out = {};
    impl.lineDown = false;
    impl.stopping = false;
    impl.thread = std::thread([&impl] { impl.Serve(); });
    return true;
}

void RecorderEmulator::Stop() {
    Impl& impl = *m_impl;
    if (!impl.thread.joinable()) return;
    impl.stopping = true;
    impl.wake.Wake();
    impl.thread.join();
    impl.pty.Close();
    impl.out = {};
}

std::string RecorderEmulator::DevicePath() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->devicePath;
}

void RecorderEmulator::WithModel(const std::function<void(RecorderModel&)>& change) {
    std::lock_guard lock(m_impl->mutex);
    change(m_impl->model);
}

void RecorderEmulator::SetFaults(const FaultSwitches& faults) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->faults = faults;
        m_impl->framesSinceFaults = 0;
    }
    // A device told to vanish after no more requests goes at once.
    if (m_impl->wakeReady) m_impl->wake.Wake();
}

FaultSwitches RecorderEmulator::Faults() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->faults;
}

bool RecorderEmulator::DeviceGone() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->gone;
}

std::vector<std::uint8_t> RecorderEmulator::ReceivedBytes() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->receivedBytes;
}

std::vector<std::array<std::uint8_t, 4>> RecorderEmulator::ReceivedFrames() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->receivedFrames;
}

void RecorderEmulator::ClearLog() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->receivedBytes.clear();
    m_impl->receivedFrames.clear();
}

bool RecorderEmulator::WaitForFrames(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->frameSeen.wait_for(lock, timeout,
                                      [&] { return m_impl->receivedFrames.size() >= n; });
}

bool RecorderEmulator::WaitForBytes(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->heard.wait_for(lock, timeout, [&] { return m_impl->receivedBytes.size() >= n; });
}

}  // namespace emu
