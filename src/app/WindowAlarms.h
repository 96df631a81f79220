#pragma once

#include <QTime>
#include <functional>
#include <string>
#include <utility>

#include "alarms/AlarmCheck.h"
#include "app/TForm1.h"

namespace kalvo {

// What the alarm check takes from the window: its clock, its one player with the type page's
// play and stop buttons, the beep, and the notification or the warning box.
class TForm1::Alarms final : public AlarmServices {
public:
    Alarms(TForm1& window, std::function<QTime()> currentTime, std::function<void()> beep)
        : window_(window), currentTime_(std::move(currentTime)), beep_(std::move(beep)) {}

    QTime currentTime() const { return currentTime_(); }
    int currentMinuteOfDay() override {
        const QTime now = currentTime_();
        return now.hour() * 60 + now.minute();
    }
    bool playSound(const std::string& fileName) override {
        alarmSoundStarted_ = window_.playSound(QString::fromStdString(fileName));
        if (alarmSoundStarted_) {
            window_.reminders_.soundTaken();
        }
        return alarmSoundStarted_;
    }
    bool soundOpen() const override { return window_.wavPlayer_->isOpen(); }
    void stopSound() override {
        alarmSoundStarted_ = false;
        window_.stopSound();
    }
    void beep() override { beep_(); }
    // An alarm's sound that fails after it started is replaced by the beep, as one that
    // cannot start at all.
    void soundFailedLate() {
        if (std::exchange(alarmSoundStarted_, false)) {
            beep();
        }
    }
    // A desktop notification where the user wants one and the desktop has the service, else
    // the modal warning box.
    AlarmShown showAlarm(const AlarmNotice& alarm) override;

private:
    TForm1& window_;
    std::function<QTime()> currentTime_;
    std::function<void()> beep_;
    bool alarmSoundStarted_ = false;
};

}  // namespace kalvo
