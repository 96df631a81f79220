#include "gui/TrustedCertificates.h"

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslError>
#include <QUrl>

namespace kalvo {
namespace {

QString hostOf(const QUrl& url) {
    return QStringLiteral("%1:%2")
        .arg(url.host())
        .arg(url.port(url.scheme() == QStringLiteral("http") ? 80 : 443));
}

QString issuerOf(const QSslCertificate& certificate) {
    return certificate.issuerDisplayName().isEmpty()
               ? certificate.issuerInfo(QSslCertificate::CommonName).join(QStringLiteral(", "))
               : certificate.issuerDisplayName();
}

}  // namespace

TrustedCertificates::TrustedCertificates(Question ask, QObject* parent)
    : QObject(parent), ask_(std::move(ask)) {}

void TrustedCertificates::guard(QNetworkReply* reply) {
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        const QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
        const QString host = hostOf(reply->url());
        const QString fingerprint = QString::fromLatin1(
            certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
        const std::string hostKey = host.toStdString();
        const std::string fingerprintText = fingerprint.toStdString();
        const auto pinned = pinned_.find(hostKey);
        const bool trusted = (pinned != pinned_.end() && pinned->second == fingerprintText) ||
                             (ask_ && !certificate.isNull() &&
                              ask_(host, issuerOf(certificate), fingerprint,
                                   errors.isEmpty() ? QString() : errors.first().errorString()));
        if (!trusted) {
            return;  // the reply fails with the TLS fault
        }
        if (pinned == pinned_.end() || pinned->second != fingerprintText) {
            pinned_[hostKey] = fingerprintText;
            emit pinnedChanged();
        }
        reply->ignoreSslErrors(errors);
    });
}

}  // namespace kalvo
