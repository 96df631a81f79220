#include "gui/CalendarDownloads.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "base/AtomicFile.h"
#include "calendars/CalendarFile.h"

namespace kalvo {
namespace {

QUrl urlOf(const std::string& source) {
    QUrl url(QString::fromStdString(source));
    if (url.scheme().compare(QStringLiteral("webcal"), Qt::CaseInsensitive) == 0) {
        url.setScheme(QStringLiteral("https"));
    }
    return url;
}

}  // namespace

CalendarDownloads::CalendarDownloads(QString cacheFolder, TrustedCertificates& trusted,
                                     QObject* parent)
    : QObject(parent), cacheFolder_(std::move(cacheFolder)), trusted_(trusted) {
    network_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    network_.setTransferTimeout(30000);
}

bool CalendarDownloads::isAddress(const std::string& source) {
    const QString scheme = QUrl(QString::fromStdString(source)).scheme().toLower();
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https") ||
           scheme == QStringLiteral("webcal");
}

std::string CalendarDownloads::cachePathOf(const std::string& source) const {
    const QByteArray name =
        QCryptographicHash::hash(QByteArray::fromStdString(source), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return QFile::encodeName(
               QDir(cacheFolder_).filePath(QString::fromLatin1(name) + QStringLiteral(".ics")))
        .toStdString();
}

void CalendarDownloads::fetch(const std::string& source) {
    if (!running_.insert(source).second) {
        return;
    }
    QNetworkRequest request(urlOf(source));
    request.setRawHeader("Accept", "text/calendar, */*;q=0.5");
    QNetworkReply* reply = network_.get(request);
    trusted_.guard(reply);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, source] { finish(*reply, source); });
}

void CalendarDownloads::finish(QNetworkReply& reply, const std::string& source) {
    reply.deleteLater();
    running_.erase(source);
    const QString name = QString::fromStdString(source);
    if (reply.error() != QNetworkReply::NoError) {
        emit failed(name, reply.errorString());
        return;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        emit failed(name, QStringLiteral("The server answered %1.").arg(status));
        return;
    }
    const QByteArray bytes = reply.readAll();
    try {
        // Checked whole before it replaces the last good copy.
        const CalendarFile check(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), "");
        createFolder(QFile::encodeName(cacheFolder_).toStdString());
        writeFileAtomically(
            cachePathOf(source),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception& error) {
        emit failed(name, QString::fromUtf8(error.what()));
        return;
    }
    emit fetched(name);
}

}  // namespace kalvo
