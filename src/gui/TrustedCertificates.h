#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <string>

class QNetworkReply;

namespace kalvo {

// The certificates the user chose to trust for calendars on the web and CalDAV servers. TLS is
// verified as usual; a certificate that fails is put to the user (the host, the issuer, the
// SHA-256 fingerprint and the fault) and, only when accepted, trusted from then on for that host
// and port alone, and only that certificate. Nothing else is ever let through.
class TrustedCertificates : public QObject {
    Q_OBJECT

public:
    using Question = std::function<bool(const QString& host, const QString& issuer,
                                        const QString& fingerprint, const QString& fault)>;

    explicit TrustedCertificates(Question ask, QObject* parent = nullptr);

    // Lets `reply` through a certificate that fails only when it is trusted for its server.
    void guard(QNetworkReply* reply);

    // "host:port" to fingerprint, to keep between runs.
    const std::map<std::string, std::string>& pinned() const { return pinned_; }
    void setPinned(std::map<std::string, std::string> pinned) { pinned_ = std::move(pinned); }

signals:
    void pinnedChanged();

private:
    Question ask_;
    std::map<std::string, std::string> pinned_;
};

}  // namespace kalvo
