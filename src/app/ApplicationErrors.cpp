#include "app/ApplicationErrors.h"

#include <QMessageBox>
#include <exception>

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

KalvoApplication::KalvoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Kalvo Planner"));
    setApplicationDisplayName(QStringLiteral("Kalvo Planner"));
}

bool KalvoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showApplicationError(QString::fromStdString(error.what()));
    }
    return false;
}

}  // namespace kalvo
