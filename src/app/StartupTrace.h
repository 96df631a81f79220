#pragma once

class QWidget;

namespace kalvo::startup {

// Where the time of a start goes, for the start-up benchmark. When the environment variable
// KALVO_STARTUP_TRACE holds the moment the process was started (CLOCK_MONOTONIC, in
// nanoseconds), the end of each phase is printed on standard error ("startup settings 41.2",
// milliseconds since that moment), each phase once, and the program quits without saving
// once `timeline` has been painted for the first time. Without it nothing happens.
void phaseDone(const char* phase);
void quitAfterFirstPaint(QWidget& timeline);

}  // namespace kalvo::startup
