#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <string>

class QNetworkReply;

namespace kalvo {

// Fetches subscribed iCalendar files from the web (http, https, and webcal as https) into the
// cache folder, where the day reads them, so that they show without the network too. A fetch
// never blocks input; a file that is not iCalendar replaces nothing.
//
// TLS is verified as usual. A certificate that fails is put to the user (the host, the issuer,
// the SHA-256 fingerprint and the fault) and, only when accepted, trusted from then on for that
// host and port alone, and only that certificate; nothing else is ever let through.
class CalendarDownloads : public QObject {
    Q_OBJECT

public:
    using CertificateQuestion =
        std::function<bool(const QString& host, const QString& issuer, const QString& fingerprint,
                           const QString& fault)>;

    CalendarDownloads(QString cacheFolder, CertificateQuestion ask, QObject* parent = nullptr);

    // Whether a subscription's source is a web address rather than a file.
    static bool isAddress(const std::string& source);
    // The file in the cache folder that holds the last good copy of the address `source`.
    std::string cachePathOf(const std::string& source) const;

    // Fetches the address `source`; one already being fetched is not asked for again.
    void fetch(const std::string& source);

    // The certificates trusted, "host:port" to fingerprint, to keep between runs.
    const std::map<std::string, std::string>& pinned() const { return pinned_; }
    void setPinned(std::map<std::string, std::string> pinned) { pinned_ = std::move(pinned); }

signals:
    void fetched(const QString& source);
    void failed(const QString& source, const QString& reason);
    void pinnedChanged();

private:
    void finish(QNetworkReply& reply, const std::string& source);

    QNetworkAccessManager network_;
    QString cacheFolder_;
    CertificateQuestion ask_;
    std::set<std::string> running_;
    std::map<std::string, std::string> pinned_;
};

}  // namespace kalvo
