#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace kalvo {

// The passwords of the CalDAV accounts: kept in the desktop's secret store through QtKeychain,
// never in the settings. Where no secret store answers, a password is asked once a run and kept
// only while the program runs. A password the server refuses is asked for again once a run,
// never in a loop.
class AccountPasswords : public QObject {
    Q_OBJECT

public:
    // Asks the user for the password of `account`, saying why; nothing when they cancel.
    using Ask = std::function<std::optional<QString>(const QString& account, const QString& why)>;

    explicit AccountPasswords(Ask ask, QObject* parent = nullptr);

    // Calls `use` with the password of `account`: known this run, read from the secret store, or
    // asked; `none` when the user gives none, now or earlier in this run.
    void withPassword(const QString& account, std::function<void(const QString&)> use,
                      std::function<void()> none);
    // The server refused the password of `account`: a new one, asked once a run; else nothing.
    std::optional<QString> askAgain(const QString& account);
    // Keeps a password given in the secret store; notKept says why when it cannot.
    void keep(const QString& account, const QString& password);
    // Removes an account's password from the secret store.
    void forget(const QString& account);

signals:
    void notKept(const QString& account, const QString& reason);

private:
    void read(const QString& account);
    void hand(const QString& account, const std::optional<QString>& password);

    Ask ask_;
    std::map<QString, QString> known_;
    struct Waiting {
        std::function<void(const QString&)> use;
        std::function<void()> none;
    };
    std::map<QString, std::vector<Waiting>> waiting_;
    std::set<QString> declined_;
    std::set<QString> askedAgain_;
};

}  // namespace kalvo
