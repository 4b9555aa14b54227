#pragma once

// Waiting in a test for what the event loop brings, without spinning: the loop sleeps until an event or
// the next check (every 10 ms), so the CPU the code under test uses while it waits can be measured.

#include <QEventLoop>
#include <QTimer>

namespace vantrel::testing_support {

// Runs the event loop until the condition holds (true) or the time is up (false).
template <class Condition>
bool RunEventsUntil(Condition condition, int milliseconds) {
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool held = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            held = true;
            loop.quit();
        }
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    check.start(10);
    deadline.start(milliseconds);
    loop.exec();
    return held || condition();
}

// Runs the event loop for the time given.
inline void RunEventsFor(int milliseconds) {
    RunEventsUntil([] { return false; }, milliseconds);
}

}  // namespace vantrel::testing_support
