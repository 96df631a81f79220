#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <set>
#include <string>

#include "gui/TrustedCertificates.h"

class QNetworkReply;

namespace kalvo {

// Fetches subscribed iCalendar files from the web (http, https, and webcal as https) into the
// cache folder, where the day reads them, so that they show without the network too. A fetch
// never blocks input; a file that is not iCalendar replaces nothing.
//
// A certificate that fails the usual checks is let through only when trusted for its server.
class CalendarDownloads : public QObject {
    Q_OBJECT

public:
    CalendarDownloads(QString cacheFolder, TrustedCertificates& trusted, QObject* parent = nullptr);

    // Whether a subscription's source is a web address rather than a file.
    static bool isAddress(const std::string& source);
    // The file in the cache folder that holds the last good copy of the address `source`.
    std::string cachePathOf(const std::string& source) const;

    // Fetches the address `source`; one already being fetched is not asked for again.
    void fetch(const std::string& source);

signals:
    void fetched(const QString& source);
    void failed(const QString& source, const QString& reason);

private:
    void finish(QNetworkReply& reply, const std::string& source);

    QNetworkAccessManager network_;
    QString cacheFolder_;
    TrustedCertificates& trusted_;
    std::set<std::string> running_;
};

}  // namespace kalvo
