#include "gui/AccountPasswords.h"

#include <qt6keychain/keychain.h>

namespace kalvo {
namespace {

const QString kService = QStringLiteral("Kalvo Planner");

}  // namespace

AccountPasswords::AccountPasswords(Ask ask, QObject* parent)
    : QObject(parent), ask_(std::move(ask)) {}

void AccountPasswords::withPassword(const QString& account, std::function<void(const QString&)> use,
                                    std::function<void()> none) {
    if (const auto known = known_.find(account); known != known_.end()) {
        use(known->second);
        return;
    }
    if (declined_.contains(account)) {
        none();
        return;
    }
    auto& waiting = waiting_[account];
    waiting.push_back({std::move(use), std::move(none)});
    if (waiting.size() == 1) {
        read(account);
    }
}

void AccountPasswords::read(const QString& account) {
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setKey(account);
    job->setInsecureFallback(false);
    connect(job, &QKeychain::Job::finished, this, [this, account, job] {
        if (job->error() == QKeychain::NoError) {
            hand(account, job->textData());
            return;
        }
        const QString why = job->error() == QKeychain::EntryNotFound
                                ? QStringLiteral("No password of %1 is kept yet.").arg(account)
                                : QStringLiteral(
                                      "No secret store answers, so the password is kept only while "
                                      "Kalvo Planner runs.");
        const std::optional<QString> given = ask_(account, why);
        if (given && job->error() == QKeychain::EntryNotFound) {
            keep(account, *given);
        }
        hand(account, given);
    });
    job->start();
}

void AccountPasswords::hand(const QString& account, const std::optional<QString>& password) {
    if (password) {
        known_[account] = *password;
    } else {
        declined_.insert(account);
    }
    auto waiting = waiting_.extract(account);
    if (waiting.empty()) {
        return;
    }
    for (const Waiting& one : waiting.mapped()) {
        if (password) {
            one.use(*password);
        } else {
            one.none();
        }
    }
}

std::optional<QString> AccountPasswords::askAgain(const QString& account) {
    if (!askedAgain_.insert(account).second) {
        return std::nullopt;
    }
    std::optional<QString> given =
        ask_(account, QStringLiteral("The server refused the password of %1.").arg(account));
    if (given) {
        keep(account, *given);
    }
    return given;
}

void AccountPasswords::keep(const QString& account, const QString& password) {
    known_[account] = password;
    declined_.erase(account);
    auto* job = new QKeychain::WritePasswordJob(kService, this);
    job->setKey(account);
    job->setInsecureFallback(false);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, account, job] {
        if (job->error() != QKeychain::NoError) {
            // Without a secret store, QtKeychain says no more than "Unknown error".
            emit notKept(account, job->error() == QKeychain::NoBackendAvailable ||
                                          job->error() == QKeychain::OtherError
                                      ? QStringLiteral("no secret store answers.")
                                      : job->errorString());
        }
    });
    job->start();
}

void AccountPasswords::forget(const QString& account) {
    known_.erase(account);
    auto* job = new QKeychain::DeletePasswordJob(kService, this);
    job->setKey(account);
    job->start();
}

}  // namespace kalvo
