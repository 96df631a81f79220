#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>

namespace kalvo {

// The desktop's notification service (org.freedesktop.Notifications on the session bus): shows
// an alarm with the actions "Snooze 5 Minutes" and "Dismiss" and reports what became of it. It
// only moves messages; the window decides what an answer means. Alarms are named by the
// caller's ids, the service's own ids stay inside.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    using AlarmId = std::uint64_t;

    // On the session bus of `bus`; the default is the user's.
    explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);

    // Whether a notification service runs on the bus or would be started by it. Asks the bus
    // each time: a service that went away is not counted on.
    bool available() const;
    // Sends the notification; the service's answer comes later, as one of the signals below.
    void show(AlarmId alarm, const QString& summary, const QString& body);
    // Takes the alarm's notification off the screen, if the service still shows it.
    void close(AlarmId alarm);

signals:
    void snoozeChosen(kalvo::DesktopNotifications::AlarmId alarm);
    void dismissChosen(kalvo::DesktopNotifications::AlarmId alarm);
    // Closed by the user or the service, or timed out.
    void closed(kalvo::DesktopNotifications::AlarmId alarm);
    // The service did not take the notification: its reason, for the status bar.
    void failed(kalvo::DesktopNotifications::AlarmId alarm, const QString& reason);

private slots:
    void actionInvoked(uint notification, const QString& action);
    void notificationClosed(uint notification, uint reason);

private:
    QDBusConnection bus_;
    std::map<uint, AlarmId> alarms_;  // the service's notification ids of the alarms shown
};

}  // namespace kalvo
