#pragma once

#include <QApplication>
#include <QString>
#include <exception>

namespace kalvo {

// The application's general error handler: a message box captioned "Kalvo Planner" with the
// stop icon and the error's message, completed by a full stop when its last character sorts
// after "."; the program runs on.
void showApplicationError(const QString& message);

// The message of an error for the user: its own text, or the platform's words for running out
// of memory rather than the library's "std::bad_alloc".
QString errorMessage(const std::exception& error);

// The program's application object: an error that escapes an event handler reaches the
// general error handler instead of ending the process.
class KalvoApplication : public QApplication {
public:
    KalvoApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kalvo
