#include "gui/DesktopNotifications.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QImage>

namespace kalvo {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kSnoozeAction = QStringLiteral("snooze");
const QString kDismissAction = QStringLiteral("dismiss");

// The program's icon as pixels, for services that cannot find it among the installed icons
// (a program run from its build folder): the "image-data" hint, (iiibiiay).
struct NotificationImage {
    QImage image;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& icon) {
    const QImage image = icon.image.convertToFormat(QImage::Format_RGBA8888);
    argument.beginStructure();
    argument << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true
             << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           static_cast<qsizetype>(image.sizeInBytes()));
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage&) {
    return argument;  // never read back: the program only sends its icon
}

}  // namespace
}  // namespace kalvo

Q_DECLARE_METATYPE(kalvo::NotificationImage)

namespace kalvo {

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<NotificationImage>();
    // From whichever connection serves the notifications: a service that the bus starts on the
    // first notification, or starts again, has a new name then.
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
}

bool DesktopNotifications::available() const {
    const QDBusConnectionInterface* bus = bus_.interface();
    if (!bus_.isConnected() || bus == nullptr) {
        return false;
    }
    if (bus->isServiceRegistered(kService).value()) {
        return true;
    }
    return bus->activatableServiceNames().value().contains(kService);
}

void DesktopNotifications::show(AlarmId alarm, const QString& summary, const QString& body) {
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), QApplication::desktopFileName()},
                      {QStringLiteral("category"), QStringLiteral("x-kalvo.alarm")},
                      {QStringLiteral("urgency"), QVariant::fromValue(uchar{1})}};
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        hints.insert(QStringLiteral("image-data"),
                     QVariant::fromValue(NotificationImage{icon.pixmap(64, 64).toImage()}));
    }
    notify << QApplication::applicationDisplayName() << uint{0} << QApplication::desktopFileName()
           << summary << body
           << QStringList{kSnoozeAction, QStringLiteral("Snooze 5 Minutes"), kDismissAction,
                          QStringLiteral("Dismiss")}
           << hints << -1;
    // Asynchronous: a service that hangs never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, alarm](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isError()) {
                    emit failed(alarm, reply.error().message());
                    return;
                }
                alarms_[reply.value()] = alarm;
            });
}

void DesktopNotifications::close(AlarmId alarm) {
    for (const auto& [notification, shown] : alarms_) {
        if (shown == alarm) {
            bus_.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                          QStringLiteral("CloseNotification"))
                           << notification);
            return;
        }
    }
}

void DesktopNotifications::actionInvoked(uint notification, const QString& action) {
    const auto found = alarms_.find(notification);
    if (found == alarms_.end()) {
        return;  // another program's notification
    }
    if (action == kSnoozeAction) {
        emit snoozeChosen(found->second);
    } else if (action == kDismissAction) {
        emit dismissChosen(found->second);
    }
}

void DesktopNotifications::notificationClosed(uint notification, uint) {
    const auto found = alarms_.find(notification);
    if (found == alarms_.end()) {
        return;
    }
    const AlarmId alarm = found->second;
    alarms_.erase(found);
    emit closed(alarm);
}

}  // namespace kalvo
