#include "app/ApplicationErrors.h"

#include <QMessageBox>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

namespace kalvo {

void showApplicationError(const QString& message) {
    QString text = message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) {
        text += QLatin1Char('.');
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kalvo Planner"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

QString errorMessage(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return QString::fromLocal8Bit(std::strerror(ENOMEM));
    }
    return QString::fromStdString(error.what());
}

KalvoApplication::KalvoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Kalvo Planner"));
    setApplicationDisplayName(QStringLiteral("Kalvo Planner"));
}

bool KalvoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showApplicationError(errorMessage(error));
    }
    return false;
}

}  // namespace kalvo
