#include "kalvo-db/NetworkCalDav.h"

#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QStandardPaths>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "gui/CalDavCache.h"
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

// A client of the account, in the application the program's adapter needs, named as the
// program is so that the cache folder is the program's.
std::unique_ptr<CalDavClient> clientFor(const std::string& url, const std::string& user) {
    static int argc = 1;
    static char name[] = "kalvo-db";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Kalvo Planner"));
    }
    const char* given = std::getenv("KALVO_CALDAV_PASSWORD");
    const std::string password = given != nullptr ? given : askPassword(user, url);
    return std::make_unique<CalDavClient>(QString::fromStdString(user),
                                          QString::fromStdString(password));
}

std::string fetch(const std::string& url, const std::string& user) {
    const std::unique_ptr<CalDavClient> client = clientFor(url, user);
    QEventLoop loop;
    std::string text;
    QString failure;
    QObject::connect(client.get(), &CalDavClient::synced,
                     [&](const std::string&, const CalDavSync& sync) {
                         text = calendarTextOf(sync.result());
                         loop.quit();
                     });
    QObject::connect(client.get(), &CalDavClient::syncFailed,
                     [&](const std::string&, const QString& reason) {
                         failure = reason;
                         loop.quit();
                     });
    QObject::connect(client.get(), &CalDavClient::passwordRefused, [&](const std::string&) {
        failure = QStringLiteral("The server refused the user name or the password.");
        loop.quit();
    });
    client->sync(url, {});
    loop.exec();
    if (!failure.isEmpty()) {
        throw std::runtime_error(url + ": " + failure.toStdString());
    }
    return text;
}

PublishOutcome publish(const std::string& url, const std::string& user,
                       const std::map<std::string, std::string>& resources) {
    const std::unique_ptr<CalDavClient> client = clientFor(url, user);
    CalDavCache cache(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                      QStringLiteral("/calendars/caldav.sqlite"));
    QEventLoop loop;
    PublishOutcome outcome;
    QString failure;
    bool done = false;
    QObject::connect(client.get(), &CalDavClient::publishStepped,
                     [&](const std::string&, const CalDavPublish& publishing) {
                         cache.storePublished(url, publishing.state(), publishing.lastTaken());
                     });
    QObject::connect(
        client.get(), &CalDavClient::published,
        [&](const std::string&, const CalDavPublish& published, const QString& stoppedBecause) {
            // What was done is kept, also when the publish stopped short.
            if (!cache.storePublished(url, published.state())) {
                failure = QStringLiteral(
                    "What was published cannot be kept in the "
                    "cache.");
            }
            if (!stoppedBecause.isEmpty()) {
                failure = stoppedBecause;
            }
            outcome = {published.puts(), published.deletes(),
                       static_cast<int>(published.state().conflicts.size())};
            done = true;
            loop.quit();
        });
    client->publish(url, cache.loadPublished(url), resources);
    if (!done) {  // nothing changed: no request, and the answer came at once
        loop.exec();
    }
    if (!failure.isEmpty()) {
        throw std::runtime_error(url + ": " + failure.toStdString());
    }
    return outcome;
}

}  // namespace

CalDavAccess networkCalDav() {
    return {fetch, publish};
}

}  // namespace kalvo
