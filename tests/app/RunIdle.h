#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace kalvo::test {

// Lets the event loop run and wait, so that the idle hook, timers and the bus's messages are
// handled as they are for a user, until `done` holds or the time is up.
inline void runIdle(const std::function<bool()>& done, int milliseconds = 5000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// Gives the idle hook its chance for a while, long enough for a message box to open and be
// answered or a notification to be sent.
inline void runIdleAWhile(int milliseconds = 200) {
    runIdle([] { return false; }, milliseconds);
}

}  // namespace kalvo::test
