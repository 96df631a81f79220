#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "calendars/CalDavDiscovery.h"

class QNetworkReply;

namespace kalvo {

// Carries the conversations with a CalDAV server that the core decides: it sends each request
// with the account's user name and password, follows redirects itself (sending the method and
// its body again, to the same server only: Qt's own following would turn a PROPFIND into a GET),
// and hands each answer back. It decides nothing about calendars.
class CalDavClient : public QObject {
    Q_OBJECT

public:
    CalDavClient(QString user, QString password, QObject* parent = nullptr);

    // Finds the calendars at `address`; discovered or failed follows.
    void discover(const std::string& address);
    // Fetches every event of the calendar at `url`; eventsFetched (one iCalendar text) or failed
    // follows.
    void fetchEvents(const std::string& url);
    // The requests sent so far, redirects included.
    int requestsSent() const { return requestsSent_; }

signals:
    void discovered(const std::vector<kalvo::DiscoveredCalendar>& calendars);
    void eventsFetched(const QString& calendarText);
    void failed(const QString& reason);

private:
    // Takes the answer to a request; it may send the next one. Fails with what to report.
    using Answer = std::function<void(const DavReply&)>;
    void send(const DavRequest& request, int redirectsLeft, Answer take);
    void answered(QNetworkReply& reply, const DavRequest& request, int redirectsLeft,
                  const Answer& take);
    void takeDiscoveryAnswer(const DavReply& reply);

    QNetworkAccessManager network_;
    QByteArray authorization_;
    std::unique_ptr<CalDavDiscovery> discovery_;
    int requestsSent_ = 0;
};

}  // namespace kalvo
