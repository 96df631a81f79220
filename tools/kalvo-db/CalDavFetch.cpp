#include "kalvo-db/CalDavFetch.h"

#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <iostream>
#include <stdexcept>

#include "gui/CalDavClient.h"

namespace kalvo {
namespace {

std::string askPassword(const std::string& user, const std::string& url) {
    std::cerr << "Password of " << (user.empty() ? std::string("the account") : user) << " at "
              << url << ": " << std::flush;
    termios shown{};
    const bool terminal = ::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &shown) == 0;
    if (terminal) {
        termios hidden = shown;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &shown);
        std::cerr << '\n';
    }
    return password;
}

}  // namespace

std::string fetchCalDavCalendar(const std::string& url, const std::string& user) {
    const char* given = std::getenv("KALVO_CALDAV_PASSWORD");
    const std::string password = given != nullptr ? given : askPassword(user, url);
    int argc = 1;
    char name[] = "kalvo-db";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    CalDavClient client(QString::fromStdString(user), QString::fromStdString(password));
    QEventLoop loop;
    std::string text;
    QString failure;
    QObject::connect(&client, &CalDavClient::synced,
                     [&](const std::string&, const CalDavSync& sync) {
                         text = calendarTextOf(sync.result());
                         loop.quit();
                     });
    QObject::connect(&client, &CalDavClient::syncFailed,
                     [&](const std::string&, const QString& reason) {
                         failure = reason;
                         loop.quit();
                     });
    QObject::connect(&client, &CalDavClient::passwordRefused, [&](const std::string&) {
        failure = QStringLiteral("The server refused the user name or the password.");
        loop.quit();
    });
    client.sync(url, {});
    loop.exec();
    if (!failure.isEmpty()) {
        throw std::runtime_error(url + ": " + failure.toStdString());
    }
    return text;
}

}  // namespace kalvo
