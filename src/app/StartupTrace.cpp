#include "app/StartupTrace.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>

namespace kalvo::startup {
namespace {

// The moment the process was started, in nanoseconds; none when not tracing.
const std::optional<long long>& startedAt() {
    static const std::optional<long long> started = []() -> std::optional<long long> {
        const char* value = std::getenv("KALVO_STARTUP_TRACE");
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::atoll(value);
    }();
    return started;
}

class FirstPaintWatcher : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the paint itself comes first.
            QMetaObject::invokeMethod(
                this,
                [] {
                    phaseDone("first paint");
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

void phaseDone(const char* phase) {
    const std::optional<long long>& started = startedAt();
    if (!started) {
        return;
    }
    static std::set<std::string> done;
    if (!done.insert(phase).second) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long nanoseconds = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
    std::fprintf(stderr, "startup %s %.1f\n", phase,
                 static_cast<double>(nanoseconds - *started) / 1e6);
}

void quitAfterFirstPaint(QWidget& timeline) {
    if (startedAt()) {
        timeline.installEventFilter(new FirstPaintWatcher(&timeline));
    }
}

}  // namespace kalvo::startup
