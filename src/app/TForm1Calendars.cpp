// The main window's other calendars: iCalendar files the user subscribed to, on the disk or on
// the web, and the calendars of CalDAV accounts (fetched or synced into the cache after the first
// paint, every few minutes and on F5), read again when they change, whose events of the shown day
// stand at the left edge of the Actual column and whose all-day events are named beside the date;
// an event can be added as an appointment.
#include <QFutureWatcher>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <ctime>
#include <filesystem>

#include "app/ApplicationErrors.h"
#include "app/CalendarsDialog.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "base/AtomicFile.h"
#include "calendars/ImportAppointments.h"
#include "day/widgets/OtherCalendarsLane.h"
#include "day/widgets/TimelineArea.h"
#include "export/CalendarExport.h"
#include "export/SpreadsheetExport.h"
#include "gui/CalDavCalendars.h"
#include "gui/CalendarDownloads.h"
#include "gui/StoredColor.h"

namespace kalvo {

namespace {

constexpr int kFirstPublishRetrySeconds = 10;

// Whether the user trusts a certificate that failed the usual checks, for its host alone.
bool trustCertificate(QWidget* parent, const QString& host, const QString& issuer,
                      const QString& fingerprint, const QString& fault) {
    QMessageBox question(
        QMessageBox::Warning, QStringLiteral("Kalvo Planner"),
        QStringLiteral("The certificate of %1 could not be verified: %2\n\nIssued by: %3\n"
                       "SHA-256 fingerprint: %4\n\nTrust this certificate for %1 from now on?")
            .arg(host, fault, issuer.isEmpty() ? QStringLiteral("(unknown)") : issuer, fingerprint),
        QMessageBox::Yes | QMessageBox::No, parent);
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
}

// The password of a CalDAV account, asked for with the reason; nothing when cancelled.
std::optional<QString> askPassword(QWidget* parent, const QString& account, const QString& why) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("passwordDialog"));
    dialog.setWindowTitle(QStringLiteral("Kalvo Planner"));
    dialog.setLabelText(QStringLiteral("%1\n\n&Password of %2:").arg(why, account));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

}  // namespace

void TForm1::showCalendarFailure(const QString& source, const QString& reason) {
    QString name = source;
    for (const Subscription& subscription : subscriptions_) {
        if (subscription.source == source.toStdString()) {
            name = QString::fromStdString(subscription.name);
        }
    }
    statusBar()->showMessage(
        QStringLiteral("The calendar \"%1\" cannot be fetched: %2").arg(name, reason));
}

void TForm1::startCalendarDownloads() {
    const QString cacheFolder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                                QStringLiteral("/calendars");
    trusted_ = new TrustedCertificates(
        [this](const QString& host, const QString& issuer, const QString& fingerprint,
               const QString& fault) {
            return trustCertificate(this, host, issuer, fingerprint, fault);
        },
        this);
    trusted_->setPinned(loadPinnedCertificates(settingsStore_));
    connect(trusted_, &TrustedCertificates::pinnedChanged, this,
            [this] { savePinnedCertificates(settingsStore_, trusted_->pinned()); });
    calDav_ = new CalDavCalendars(
        cacheFolder + QStringLiteral("/caldav.sqlite"),
        [this](const QString& account, const QString& why) {
            return askPassword(this, account, why);
        },
        *trusted_, this);
    connect(calDav_, &CalDavCalendars::updated, this, &TForm1::showOtherCalendars);
    connect(calDav_, &CalDavCalendars::failed, this, &TForm1::showCalendarFailure);
    connect(calDav_, &CalDavCalendars::published, this, [this](int, int, int conflicts) {
        QString message = QStringLiteral("Published %1")
                              .arg(QTime::currentTime().toString(QStringLiteral("HH:mm")));
        message += QLatin1Char('.');
        if (conflicts > 0) {
            message += conflicts == 1 ? QStringLiteral(
                                            " 1 appointment was changed on the server: choose its "
                                            "version in Other Calendars.")
                                      : QStringLiteral(
                                            " %1 appointments were changed on the server: choose "
                                            "their versions in Other Calendars.")
                                            .arg(conflicts);
        }
        statusBar()->showMessage(message);
        publishRetry_->stop();
        publishRetry_->setInterval(0);
    });
    // A publish that failed is tried again after a pause that doubles each time, up to half an
    // hour; one that went through ends the pauses.
    publishRetry_ = new QTimer(this);
    publishRetry_->setSingleShot(true);
    connect(publishRetry_, &QTimer::timeout, this, &TForm1::publishPlan);
    connect(calDav_, &CalDavCalendars::publishFailed, this, [this](const QString& reason) {
        const int seconds = std::min(publishRetry_->interval() > 1 ? publishRetry_->interval() / 500
                                                                   : kFirstPublishRetrySeconds,
                                     30 * 60);
        publishRetry_->start(seconds * 1000);
        statusBar()->showMessage(
            QStringLiteral("Not published: %1 Trying again in %2.")
                .arg(reason, seconds < 60 ? QStringLiteral("%1 seconds").arg(seconds)
                                          : QStringLiteral("%1 minutes").arg(seconds / 60)));
    });
    connect(
        calDav_, &CalDavCalendars::unpublished, this,
        [this](int deletes, int kept, const QString& failure) {
            QString message =
                deletes == 1 ? QStringLiteral("Removed 1 published appointment.")
                             : QStringLiteral("Removed %1 published appointments.").arg(deletes);
            if (kept > 0) {
                message +=
                    QStringLiteral(" %1 changed on the server since were left there.").arg(kept);
            }
            if (!failure.isEmpty()) {
                message += QStringLiteral(" The rest are not removed: %1").arg(failure);
            }
            statusBar()->showMessage(message);
        });
    publishTarget_ = loadPublishTarget(settingsStore_);
    connect(&calDav_->passwords(), &AccountPasswords::notKept, this,
            [this](const QString& account, const QString& reason) {
                statusBar()->showMessage(
                    QStringLiteral("The password of %1 is kept only while Kalvo Planner runs: %2")
                        .arg(account, reason));
            });
    downloads_ = new CalendarDownloads(cacheFolder, *trusted_, this);
    connect(downloads_, &CalendarDownloads::fetched, this, &TForm1::showOtherCalendars);
    connect(downloads_, &CalendarDownloads::failed, this, &TForm1::showCalendarFailure);
    connect(actionRefresh, &QAction::triggered, this, &TForm1::fetchCalendars);
    calendarRefresh_ = new QTimer(this);
    calendarRefresh_->setInterval(loadRefreshMinutes(settingsStore_) * 60 * 1000);
    connect(calendarRefresh_, &QTimer::timeout, this, &TForm1::fetchCalendars);
    calendarRefresh_->start();
}

bool TForm1::shownBesideTheDay(const Subscription& other) const {
    // The calendar published to holds the planner's own appointments, which the day shows
    // already.
    return other.shown && !(publishTarget_.on && other.source == publishTarget_.url);
}

void TForm1::publishPlan() {
    if (!publishTarget_.on) {
        return;
    }
    const DateTime today = calendarDateOf(currentDate_());
    const DateTime from = today - publishTarget_.daysBack;
    const DateTime to = today + publishTarget_.daysAhead;
    // The days of a year are built on a worker thread from a copy, so that a save never waits
    // for them; only the publish asked for last is sent.
    struct Made {
        std::map<std::string, std::string> resources;
        QString failure;
    };
    const int asked = ++publishesAsked_;
    auto* made = new QFutureWatcher<Made>(this);
    connect(
        made, &QFutureWatcherBase::finished, this, [this, made, asked, target = publishTarget_] {
            made->deleteLater();
            Made result = made->result();
            if (asked != publishesAsked_) {
                return;
            }
            if (!result.failure.isEmpty()) {
                statusBar()->showMessage(QStringLiteral("Not published: %1").arg(result.failure));
                return;
            }
            calDav_->publish(target, std::move(result.resources));
        });
    statusBar()->showMessage(QStringLiteral("Publishing..."));
    made->setFuture(QtConcurrent::run(
        [copy = std::make_shared<Model>(copyOf(model_)), from, to, zone = localTimeZoneId()] {
            try {
                return Made{publishedAppointments(exportedOccurrences(*copy, from, to), from, to,
                                                  zone, std::time(nullptr)),
                            {}};
            } catch (const std::exception& error) {
                return Made{{}, errorMessage(error)};
            }
        }));
}

void TForm1::fetchCalendars() {
    for (const Subscription& subscription : subscriptions_) {
        if (!shownBesideTheDay(subscription)) {
            continue;
        }
        if (subscription.calDav) {
            calDav_->sync(subscription);
        } else if (CalendarDownloads::isAddress(subscription.source)) {
            downloads_->fetch(subscription.source);
        }
    }
}

const CalendarFile* TForm1::calendarFileOf(const Subscription& subscription,
                                           QStringList& failures) {
    const auto failed = [&](const QString& why) {
        failures << QStringLiteral("The calendar \"%1\" cannot be read: %2")
                        .arg(QString::fromStdString(subscription.name), why);
    };
    if (subscription.calDav) {
        QString failure;
        const CalendarFile* file = calDav_->fileOf(subscription, failure);
        if (!failure.isEmpty()) {
            failed(failure);
        }
        return file;
    }
    LoadedCalendar& loaded = loadedCalendars_[subscription.source];
    // A calendar on the web is read from its last good copy in the cache: none before the
    // first fetch.
    const bool onTheWeb = CalendarDownloads::isAddress(subscription.source);
    const std::string path =
        onTheWeb ? downloads_->cachePathOf(subscription.source) : subscription.source;
    if (onTheWeb && !fileExists(path)) {
        return nullptr;
    }
    std::error_code error;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) {
        failed(QString::fromLocal8Bit(error.message().c_str()));
    } else if (!loaded.file || modified != loaded.modified) {
        try {
            const FileContent text(path);
            // Read whole before the last good copy goes.
            CalendarFile read(text.bytes(), localTimeZoneId());
            loaded.file = std::move(read);
            loaded.modified = modified;
        } catch (const std::exception& reading) {
            failed(errorMessage(reading));
        }
    }
    return loaded.file ? &*loaded.file : nullptr;
}

void TForm1::showOtherCalendars() {
    const auto day = static_cast<std::int64_t>(model_.selectedDate);
    std::vector<LaneEvent> timed;
    QStringList allDay;
    QStringList failures;
    for (const Subscription& subscription : subscriptions_) {
        if (!shownBesideTheDay(subscription)) {
            continue;
        }
        const CalendarFile* file = calendarFileOf(subscription, failures);
        if (file == nullptr) {
            continue;
        }
        for (const CalendarOccurrence& occurrence : file->occurrencesOn(day)) {
            const CalendarEvent& event = file->events()[occurrence.event];
            const QString summary = event.summary.empty() ? QStringLiteral("(no title)")
                                                          : QString::fromStdString(event.summary);
            if (event.allDay) {
                allDay << summary;
                continue;
            }
            timed.push_back({summary, QString::fromStdString(event.location),
                             QString::fromStdString(event.description),
                             QString::fromStdString(subscription.name),
                             colorFromStored(subscription.color), day,
                             occurrence.start.day < day ? 0 : occurrence.start.minute,
                             occurrence.end.day > day ? 24 * 60 : occurrence.end.minute});
        }
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const LaneEvent& a, const LaneEvent& b) { return a.start < b.start; });
    otherCalendars_->showEvents(std::move(timed), timelineArea_->scale());
    labelAllDay->setText(allDay.isEmpty()
                             ? QString()
                             : QStringLiteral("All day: ") + allDay.join(QStringLiteral("; ")));
    labelAllDay->setAccessibleName(labelAllDay->text());
    labelAllDay->setVisible(!allDay.isEmpty());
    if (!failures.isEmpty()) {
        statusBar()->showMessage(failures.join(QLatin1Char(' ')));
    }
}

void TForm1::manageCalendars() {
    const PublishTarget publishedTo = publishTarget_;
    CalendarsDialog dialog(subscriptions_, calendarRefresh_->interval() / (60 * 1000), publishedTo,
                           publishedTo.url.empty() ? std::map<std::string, PublishConflict>{}
                                                   : calDav_->conflictsOf(publishedTo.url),
                           exportFolder_, *trusted_, this);
    dialog.exec();
    exportFolder_ = dialog.folder();
    for (const auto& [account, password] : dialog.newPasswords()) {
        calDav_->keepPassword(account, password);
    }
    for (const QString& account : dialog.removedAccounts()) {
        calDav_->forgetAccount(account);
    }
    for (const Subscription& removed : subscriptions_) {
        if (removed.calDav &&
            std::none_of(dialog.subscriptions().begin(), dialog.subscriptions().end(),
                         [&](const Subscription& kept) { return kept.source == removed.source; })) {
            calDav_->forgetCalendar(removed.source);
        }
    }
    subscriptions_ = dialog.subscriptions();
    const PublishTarget publishing = dialog.publishTarget();
    calDav_->resolve(publishedTo.url, dialog.conflictChoices());
    if (dialog.removePublished()) {
        calDav_->unpublish(publishedTo);
    }
    const bool publishNow =
        publishing.on && (publishing != publishTarget_ || !dialog.conflictChoices().empty());
    publishTarget_ = publishing;
    calendarRefresh_->setInterval(dialog.refreshMinutes() * 60 * 1000);
    if (!saveSubscriptions(settingsStore_, subscriptions_) ||
        !saveRefreshMinutes(settingsStore_, dialog.refreshMinutes()) ||
        !savePublishTarget(settingsStore_, publishTarget_)) {
        statusBar()->showMessage(
            QStringLiteral("The calendars could not be kept in the settings."));
    }
    std::erase_if(loadedCalendars_, [this](const auto& loaded) {
        return std::none_of(
            subscriptions_.begin(), subscriptions_.end(),
            [&](const Subscription& subscription) { return subscription.source == loaded.first; });
    });
    showOtherCalendars();
    fetchCalendars();
    if (publishNow) {
        publishPlan();
    }
}

void TForm1::addAsAppointment(const LaneEvent& event) {
    QStringList paths;
    std::vector<std::vector<std::string>> typePaths;
    for (const auto& type : model_.types) {
        typePaths.push_back(typePath(*type));
        QStringList names;
        for (const std::string& name : typePaths.back()) {
            names << QString::fromStdString(name);
        }
        paths << names.join(QLatin1Char('/'));
    }
    if (paths.isEmpty()) {
        return;
    }
    bool chosen = false;
    const QString path = QInputDialog::getItem(
        this, QStringLiteral("Add as Appointment"),
        QStringLiteral("\"%1\" becomes an appointment of the &type:").arg(event.summary), paths, 0,
        false, &chosen);
    if (!chosen) {
        return;
    }
    ImportedAppointment appointment;
    appointment.typePath = typePaths.at(static_cast<std::size_t>(paths.indexOf(path)));
    appointment.firstDay = event.day;
    appointment.lastDay = event.day;
    appointment.start = appointment.plannedStart = event.start;
    appointment.end = appointment.plannedEnd = event.end;
    // The summary names the appointment on its panel.
    appointment.comment = event.summary.toStdString();
    ImportPlan plan;
    plan.appointments.push_back(std::move(appointment));
    history_.record("Add " + plan.appointments.front().typePath.back(), {},
                    {model_.selectedDate, -1}, [this, &plan] { applyImport(model_, plan); });
    buildDay();
    markDaysWithAppointments();
}

}  // namespace kalvo
