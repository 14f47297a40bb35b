#include "bench/gui/event_loop_driver.h"

#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int kPollMs = 5;
}

bool DriveUntil(const std::function<void()>& action, const std::function<bool()>& outcome,
                std::chrono::milliseconds timeout) {
    QEventLoop loop;
    bool returned = false;
    QTimer::singleShot(0, &loop, [&] {
        action();
        returned = true;
    });
    // The outcome is looked at from the loop, nested ones included: an action that pumps
    // events while it waits runs this too.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (returned && outcome()) loop.quit();
    });
    poll.start(kPollMs);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    // Returns only once the action has: it runs on this loop's stack.
    loop.exec();
    return returned && outcome();
}

void RunEventLoopFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}
