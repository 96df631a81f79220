#pragma once

#include <functional>
#include <string>
#include <utility>

namespace kalvo {

// The one media player of the program, reduced to what the alarms and the Appointment Type
// page need. One sound at a time is open on it; a sound that ends by itself stays open until
// it is stopped and closed or another one is opened. The interface lets the Qt player be
// replaced in tests.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Opens the sound file `fileName` (UTF-8), closing a sound still open first. False when the
    // player refuses the file; then nothing is open.
    virtual bool open(const std::string& fileName) = 0;

    // Starts playing the open sound from its beginning and returns at once, without waiting for
    // its end. False when nothing is open or the sound cannot be started.
    virtual bool play() = 0;

    // Stops the open sound, which stays open. False when no sound is open.
    virtual bool stop() = 0;

    // Closes the open sound; harmless when none is open.
    virtual void close() noexcept = 0;

    // Whether a sound is open. Nested alarms share the player: an alarm whose sound was
    // replaced and already closed by a nested one asks this before stopping, so that it
    // neither stops the nested sound nor reports a player with nothing open.
    virtual bool isOpen() const = 0;

    // Called when a sound that started fails after all: a backend may learn only after play()
    // returned that it cannot decode the file or reach a sound device.
    void setLateFailureHandler(std::function<void()> handler) {
        lateFailureHandler_ = std::move(handler);
    }

protected:
    SoundPlayer() = default;
    SoundPlayer(const SoundPlayer&) = default;
    SoundPlayer& operator=(const SoundPlayer&) = default;

    void reportLateFailure() const {
        if (lateFailureHandler_) {
            lateFailureHandler_();
        }
    }

private:
    std::function<void()> lateFailureHandler_;
};

}  // namespace kalvo
