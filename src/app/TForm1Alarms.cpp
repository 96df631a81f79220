#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCalendarWidget>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "alarms/AlarmCheck.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "app/WindowAlarms.h"
#include "day/DateFunctions.h"
#include "day/widgets/DayView.h"
#include "gui/DesktopNotifications.h"
#include "types/widgets/WarningBox.h"

namespace kalvo {
namespace {

constexpr int kMillisecondsPerMinute = 60'000;

QString timesText(int startMinute, int endMinute) {
    return QString::fromStdString(clockText(startMinute) + "–" + clockText(endMinute));
}

// The notification's body: the appointment's times and its comment, whose lines end as the
// comment box keeps them ("\r\n"); escaped, for the services that read it as markup.
QString notificationBody(const AlarmNotice& alarm) {
    QString body = timesText(alarm.startMinute, alarm.endMinute);
    const QString comment =
        QString::fromStdString(alarm.comment).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!comment.trimmed().isEmpty()) {
        body += QLatin1Char('\n') + comment.trimmed();
    }
    return body.toHtmlEscaped();
}

}  // namespace

AlarmShown TForm1::Alarms::showAlarm(const AlarmNotice& alarm) {
    if (window_.programmSettings_.getAlarmNotifications() && window_.notifications_->available()) {
        const Reminders::AlarmId shown = window_.reminders_.shown(alarm, alarmSoundStarted_);
        window_.notifications_->show(shown, QString::fromStdString(alarm.text),
                                     notificationBody(alarm));
        return AlarmShown::stillShown;
    }
    showWarningBox(&window_, QString::fromStdString(alarm.text));
    return AlarmShown::dismissed;
}

void TForm1::startAlarms(WindowPlatform& platform) {
    today_ = currentDate_();
    alarms_ = std::make_unique<Alarms>(
        *this, platform.currentTime ? std::move(platform.currentTime) : &QTime::currentTime,
        platform.beep ? std::move(platform.beep) : &QApplication::beep);
    wavPlayer_->setLateFailureHandler([this] { alarms_->soundFailedLate(); });

    notifications_ = std::make_unique<DesktopNotifications>();
    connect(notifications_.get(), &DesktopNotifications::snoozeChosen, this, &TForm1::alarmSnoozed);
    connect(notifications_.get(), &DesktopNotifications::dismissChosen, this,
            [this](Reminders::AlarmId alarm) {
                alarmEnded(alarm);
                notifications_->close(alarm);
            });
    connect(notifications_.get(), &DesktopNotifications::closed, this, &TForm1::alarmEnded);
    connect(notifications_.get(), &DesktopNotifications::failed, this, &TForm1::alarmNotShown);

    systemTrayAvailable_ = platform.systemTrayAvailable ? std::move(platform.systemTrayAvailable)
                                                        : &QSystemTrayIcon::isSystemTrayAvailable;
    quitApplication_ =
        platform.quitApplication ? std::move(platform.quitApplication) : &QCoreApplication::quit;
    createTrayIcon();

    // A window left alone gets no events, and so no idle check: each check sets a wake-up a
    // second into the next minute, or for the next snoozed alarm, which checks again.
    alarmWakeUp_ = new QTimer(this);
    alarmWakeUp_->setSingleShot(true);
    connect(alarmWakeUp_, &QTimer::timeout, this, &TForm1::checkAlarms);
    // The idle hook: the check runs whenever the event queue has become empty, in the
    // message boxes' own loops too.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TForm1::checkAlarms);
}

DateTime TForm1::now() const {
    return calendarDateOf(currentDate_()) +
           alarms_->currentTime().msecsSinceStartOfDay() / static_cast<double>(kMillisecondsPerDay);
}

void TForm1::armAlarmWakeUp() {
    const QTime time = alarms_->currentTime();
    const int intoTheMinute = time.second() * 1000 + time.msec();
    int wait = kMillisecondsPerMinute - intoTheMinute + 1000;
    if (const std::optional<DateTime> snoozed = reminders_.nextDue()) {
        const double untilDue = std::ceil((*snoozed - now()) * kMillisecondsPerDay);
        wait = std::clamp(static_cast<int>(std::max(untilDue, 0.0)), 0, wait);
    }
    alarmWakeUp_->start(wait);
}

void TForm1::followTheNewDay() {
    const QDate today = currentDate_();
    if (today == today_) {
        return;
    }
    const QDate ended = std::exchange(today_, today);
    if (calendar->selectedDate() == ended && !dayView_->dragging()) {
        calendar->setSelectedDate(today);  // built as a click on the new day builds it
    }
    showDateHeading();  // a day chosen from the calendar is no longer, or now, today
}

void TForm1::checkAlarms() {
    followTheNewDay();
    kalvo::checkAlarms(model_, *alarms_, alarmCheckState_);
    if (const std::optional<DateTime> snoozed = reminders_.nextDue();
        snoozed && *snoozed <= now()) {
        for (const DueAlarm& due : reminders_.takeDue(now(), model_)) {
            giveAlarm(*alarms_, due.soundFile, due.notice);
        }
    }
    if (trayIcon_ != nullptr && alarms_->currentMinuteOfDay() != trayToolTipMinute_) {
        updateTrayToolTip();
    }
    armAlarmWakeUp();
}

void TForm1::alarmSnoozed(Reminders::AlarmId alarm) {
    if (reminders_.snooze(alarm, now())) {
        stopAlarmSound();
    }
    notifications_->close(alarm);
    armAlarmWakeUp();
}

void TForm1::alarmEnded(Reminders::AlarmId alarm) {
    if (reminders_.end(alarm)) {
        stopAlarmSound();
    }
}

// The service went away between the check for it and the notification: the warning box
// shows the alarm instead, and its sound stops once the box is dismissed.
void TForm1::alarmNotShown(Reminders::AlarmId alarm) {
    const AlarmNotice* notice = reminders_.notice(alarm);
    if (notice == nullptr) {
        return;
    }
    showWarningBox(this, QString::fromStdString(notice->text));
    alarmEnded(alarm);
}

void TForm1::stopAlarmSound() {
    if (wavPlayer_->isOpen()) {
        alarms_->stopSound();
    }
}

void TForm1::createTrayIcon() {
    if (!systemTrayAvailable_()) {
        return;
    }
    trayIcon_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("popupMenuTray"));
    menu->addAction(QStringLiteral("&Show Kalvo Planner"), this, &TForm1::showFromTray);
    menu->addAction(QStringLiteral("&Today"), this, [this] {
        showFromTray();
        actionTodayExecute();
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Quit"), this, &TForm1::quitFromTray);
    trayIcon_->setContextMenu(menu);
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    showFromTray();
                }
            });
    updateTrayToolTip();
    trayIcon_->show();
}

void TForm1::updateTrayToolTip() {
    const int minute = alarms_->currentMinuteOfDay();
    trayToolTipMinute_ = minute;
    const std::optional<UpcomingAppointment> next =
        nextAppointment(model_, calendarDateOf(currentDate_()), minute);
    QString tip = QApplication::applicationDisplayName();
    if (!next) {
        tip += QStringLiteral("\nNo more appointments today");
    } else {
        tip += QStringLiteral("\nNext: %1 %2")
                   .arg(timesText(next->startMinute, next->endMinute),
                        QString::fromStdString(occurrenceCaption(next->typeName, next->comment)));
    }
    trayIcon_->setToolTip(tip);
}

void TForm1::showFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void TForm1::quitFromTray() {
    quitting_ = true;
    if (!close()) {
        quitting_ = false;  // not confirmed, or the save failed: the program goes on
        return;
    }
    quitApplication_();
}

}  // namespace kalvo
