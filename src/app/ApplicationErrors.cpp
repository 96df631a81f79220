#include "app/ApplicationErrors.h"

#include <QIcon>
#include <QMessageBox>
#include <QSize>
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
    // No display name of its own: the desktop would append it to every window's title, and
    // the main window's title is the program's name already ("Kalvo Planner*" while unsaved).
    setApplicationName(QStringLiteral("Kalvo Planner"));
    // The desktop matches the windows with the menu entry of this name.
    setDesktopFileName(QStringLiteral("com.example.KalvoPlanner"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kalvo-planner-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
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
