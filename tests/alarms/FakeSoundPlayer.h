#pragma once

#include <string>
#include <vector>

#include "alarms/SoundPlayer.h"

namespace kalvo::test {

// A player that records what it was asked to do and can be made to refuse a file or a start.
class FakeSoundPlayer final : public SoundPlayer {
public:
    bool opens = true;
    bool plays = true;
    std::vector<std::string> calls;  // "open <name>", "play", "stop", "close", in order

    bool open(const std::string& fileName) override {
        calls.push_back("open " + fileName);
        open_ = opens;
        return opens;
    }
    bool play() override {
        calls.push_back("play");
        return open_ && plays;
    }
    bool stop() override {
        calls.push_back("stop");
        return open_;
    }
    void close() noexcept override {
        calls.push_back("close");
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    // What a backend does when it finds out after the start that it cannot play the sound.
    void failLate() const { reportLateFailure(); }

private:
    bool open_ = false;
};

}  // namespace kalvo::test
