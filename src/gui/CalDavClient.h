#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "calendars/CalDavPublish.h"
#include "calendars/CalDavSync.h"

class QNetworkReply;

namespace kalvo {

class TrustedCertificates;

// Carries the conversations with a CalDAV server that the core decides: it sends each request
// with the account's user name and password, follows redirects itself (sending the method and
// its body again, to the same server only: Qt's own following would turn a PROPFIND into a GET),
// and hands each answer back. It decides nothing about calendars.
class CalDavClient : public QObject {
    Q_OBJECT

public:
    // A server's certificate that fails the usual checks is let through only when `trusted`
    // (if given) trusts it.
    CalDavClient(QString user, QString password, TrustedCertificates* trusted = nullptr,
                 QObject* parent = nullptr);

    // Finds the calendars at `address`; discovered or failed follows.
    void discover(const std::string& address);
    // Makes the calendar "Kalvo Planner" in the account at `address`; calendarMade or failed
    // follows.
    void makeCalendar(const std::string& address);
    // Brings `cache`, the calendar at `url` as last synced, up to date: synced with the new
    // cache, or syncFailed follows; passwordRefused instead when the server refuses the password.
    void sync(const std::string& url, const CalendarCache& cache);
    void setPassword(const QString& password);
    // Publishes `resources` (UID to iCalendar text) to the calendar at `url`, sending only what
    // changed since `state`; published follows, with the reason when it stopped short.
    void publish(const std::string& url, const PublishState& state,
                 const std::map<std::string, std::string>& resources);
    // The requests sent so far, redirects included.
    int requestsSent() const { return requestsSent_; }

signals:
    void discovered(const std::vector<kalvo::DiscoveredCalendar>& calendars);
    void calendarMade(const kalvo::DiscoveredCalendar& calendar);
    void failed(const QString& reason);
    // The sync is whole: `sync` holds the calendar's new cache and what changed.
    void synced(const std::string& url, const kalvo::CalDavSync& sync);
    void syncFailed(const std::string& url, const QString& reason);
    void passwordRefused(const std::string& url);
    // A request of a publish was answered: what `publish` holds of its lastTaken() may have
    // changed.
    void publishStepped(const std::string& url, const kalvo::CalDavPublish& publish);
    // The publish is over: `publish` holds the state it reached and the conflicts; `failure`
    // says why it stopped short, empty when it did not.
    void published(const std::string& url, const kalvo::CalDavPublish& publish,
                   const QString& failure);

private:
    // Takes the answer to a request; it may send the next one. Fails with what to report.
    using Answer = std::function<void(const DavReply&)>;
    // What a failed conversation reports: its reason, or that the password was refused.
    struct Failure {
        std::function<void(const QString&)> failed;
        std::function<void()> refused;
    };
    void send(const DavRequest& request, int redirectsLeft, Answer take, Failure failure);
    void answered(QNetworkReply& reply, const DavRequest& request, int redirectsLeft,
                  const Answer& take, const Failure& failure);
    void takeDiscoveryAnswer(const DavReply& reply);
    Failure discoveryFailure();
    void sendMaking(const std::shared_ptr<CalDavCalendarMaker>& making);
    void takeSyncAnswer(const std::shared_ptr<CalDavSync>& syncing, const std::string& url,
                        const DavReply& reply);
    Failure syncFailure(const std::string& url);
    void sendPublish(const std::shared_ptr<CalDavPublish>& publishing, const std::string& url);

    QNetworkAccessManager network_;
    TrustedCertificates* trusted_;
    QString user_;
    QByteArray authorization_;
    std::unique_ptr<CalDavDiscovery> discovery_;
    int requestsSent_ = 0;
};

}  // namespace kalvo
