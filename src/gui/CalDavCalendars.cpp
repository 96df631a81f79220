#include "gui/CalDavCalendars.h"

#include <utility>

#include "calendars/CalDavSync.h"
#include "export/CalendarExport.h"
#include "gui/CalDavClient.h"

namespace kalvo {

CalDavCalendars::CalDavCalendars(const QString& cacheFile, AccountPasswords::Ask ask,
                                 TrustedCertificates& trusted, QObject* parent)
    : QObject(parent),
      passwords_(std::move(ask)),
      trusted_(trusted),
      cache_(cacheFile),
      localZone_(localTimeZoneId()) {}

CalDavCalendars::~CalDavCalendars() = default;

const CalendarFile* CalDavCalendars::fileOf(const Subscription& calendar, QString& failure) {
    Loaded& loaded = loaded_[calendar.source];
    if (!loaded.read) {
        loaded.read = true;
        const CalendarCache cached = cache_.load(calendar.source);
        if (!cached.resources.empty()) {
            try {
                loaded.file.emplace(calendarTextOf(cached), localZone_);
            } catch (const std::exception& error) {
                failure = QString::fromUtf8(error.what());
            }
        }
    }
    return loaded.file ? &*loaded.file : nullptr;
}

CalDavClient& CalDavCalendars::clientOf(const Subscription& calendar, const QString& password) {
    std::unique_ptr<CalDavClient>& client = clients_[accountOf(calendar)];
    if (!client) {
        client = std::make_unique<CalDavClient>(QString::fromStdString(calendar.user), password,
                                                &trusted_);
        connect(client.get(), &CalDavClient::synced, this, &CalDavCalendars::take);
        connect(client.get(), &CalDavClient::published, this, &CalDavCalendars::takePublished);
        // What each request did is kept at once, so that a publish cut short by a crash does
        // not ask the server again for what it did.
        connect(client.get(), &CalDavClient::publishStepped, this,
                [this](const std::string& url, const CalDavPublish& publish) {
                    cache_.storePublished(url, publish.state(), publish.lastTaken());
                });
        connect(client.get(), &CalDavClient::syncFailed, this,
                [this](const std::string& url, const QString& reason) {
                    syncing_.erase(url);
                    emit failed(QString::fromStdString(url), reason);
                });
        connect(client.get(), &CalDavClient::passwordRefused, this, [this](const std::string& url) {
            const auto syncing = syncing_.find(url);
            if (syncing != syncing_.end()) {
                const Subscription refusedCalendar = syncing->second;
                syncing_.erase(syncing);
                refused(refusedCalendar);
            }
        });
    } else {
        client->setPassword(password);
    }
    return *client;
}

void CalDavCalendars::sync(const Subscription& calendar) {
    if (!syncing_.emplace(calendar.source, calendar).second) {
        return;
    }
    const QString account = QString::fromStdString(accountOf(calendar));
    passwords_.withPassword(
        account,
        [this, calendar](const QString& password) {
            clientOf(calendar, password).sync(calendar.source, cache_.load(calendar.source));
        },
        [this, calendar, account] {
            syncing_.erase(calendar.source);
            emit failed(QString::fromStdString(calendar.source),
                        QStringLiteral("No password of %1 was given.").arg(account));
        });
}

void CalDavCalendars::refused(const Subscription& calendar) {
    const QString account = QString::fromStdString(accountOf(calendar));
    const std::optional<QString> password = passwords_.askAgain(account);
    if (!password) {
        emit failed(QString::fromStdString(calendar.source),
                    QStringLiteral("The server refused the password of %1.").arg(account));
        return;
    }
    sync(calendar);
}

void CalDavCalendars::take(const std::string& url, const CalDavSync& sync) {
    syncing_.erase(url);
    const QString source = QString::fromStdString(url);
    if (!sync.changed() && !sync.tokenChanged()) {
        return;
    }
    if (sync.changed()) {
        try {
            // Read whole before the last good copy goes; a calendar emptied has no file.
            Loaded& loaded = loaded_[url];
            if (sync.result().resources.empty()) {
                loaded.file.reset();
            } else {
                CalendarFile read(calendarTextOf(sync.result()), localZone_);
                loaded.file = std::move(read);
            }
            loaded.read = true;
        } catch (const std::exception& error) {
            emit failed(source, QString::fromUtf8(error.what()));
            return;
        }
    }
    if (!cache_.store(url, sync)) {
        emit failed(source, QStringLiteral("The events cannot be kept in the cache."));
    }
    if (sync.changed()) {
        emit updated(source);
    }
}

void CalDavCalendars::publish(const PublishTarget& target,
                              std::map<std::string, std::string> resources) {
    ask(Publishing{target, std::move(resources), false});
}

void CalDavCalendars::unpublish(const PublishTarget& target) {
    ask(Publishing{target, {}, true});
}

void CalDavCalendars::ask(Publishing publishing) {
    nextPublish_ = std::move(publishing);
    if (!publishing_) {
        startPublish();
    }
}

void CalDavCalendars::startPublish() {
    publishing_ = std::exchange(nextPublish_, std::nullopt);
    if (!publishing_) {
        return;
    }
    const Subscription calendar{"",   publishing_->target.url, 0, false,
                                true, publishing_->target.user};
    const QString account = QString::fromStdString(accountOf(calendar));
    passwords_.withPassword(
        account,
        [this, calendar](const QString& password) {
            clientOf(calendar, password)
                .publish(calendar.source, cache_.loadPublished(calendar.source),
                         publishing_->resources);
        },
        [this, account] {
            const bool removing = publishing_->removing;
            publishing_.reset();
            const QString reason = QStringLiteral("No password of %1 was given.").arg(account);
            if (removing) {
                emit unpublished(0, 0, reason);
            } else {
                emit publishFailed(reason);
            }
        });
}

void CalDavCalendars::takePublished(const std::string& url, const CalDavPublish& publish,
                                    const QString& failure) {
    if (!publishing_ || publishing_->target.url != url) {
        return;
    }
    const bool removing = publishing_->removing;
    publishing_.reset();
    // What was done is kept, also when the publish stopped short.
    QString stoppedBecause = failure;
    if (!cache_.storePublished(url, publish.state()) && stoppedBecause.isEmpty()) {
        stoppedBecause = QStringLiteral("What was published cannot be kept in the cache.");
    }
    if (removing) {
        emit unpublished(publish.deletes(), static_cast<int>(publish.state().conflicts.size()),
                         stoppedBecause);
    } else if (!stoppedBecause.isEmpty()) {
        emit publishFailed(stoppedBecause);
    } else {
        emit published(publish.puts(), publish.deletes(),
                       static_cast<int>(publish.state().conflicts.size()));
    }
    keepChoices();
    startPublish();
}

std::map<std::string, PublishConflict> CalDavCalendars::conflictsOf(const std::string& url) const {
    return cache_.loadPublished(url).conflicts;
}

void CalDavCalendars::resolve(const std::string& url,
                              const std::map<std::string, ConflictChoice>& choices) {
    for (const auto& [uid, choice] : choices) {
        choices_[url][uid] = choice;
    }
    if (!publishing_) {
        keepChoices();
    }
}

void CalDavCalendars::keepChoices() {
    for (const auto& [url, chosen] : std::exchange(choices_, {})) {
        PublishState state = cache_.loadPublished(url);
        for (const auto& [uid, choice] : chosen) {
            resolveConflict(state, uid, choice);
        }
        if (!cache_.storePublished(url, state)) {
            emit publishFailed(QStringLiteral("What was chosen cannot be kept in the cache."));
        }
    }
}

void CalDavCalendars::keepPassword(const QString& account, const QString& password) {
    passwords_.keep(account, password);
}

void CalDavCalendars::forgetAccount(const QString& account) {
    passwords_.forget(account);
    clients_.erase(account.toStdString());
}

void CalDavCalendars::forgetCalendar(const std::string& url) {
    loaded_.erase(url);
    cache_.forget(url);
}

}  // namespace kalvo
