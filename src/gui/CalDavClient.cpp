#include "gui/CalDavClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "calendars/CalDavEvents.h"

namespace kalvo {
namespace {

constexpr int kMostRedirects = 5;

bool sameServer(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

}  // namespace

CalDavClient::CalDavClient(QString user, QString password, QObject* parent)
    : QObject(parent),
      authorization_("Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64()) {
    network_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_.setTransferTimeout(30000);
}

void CalDavClient::discover(const std::string& address) {
    try {
        discovery_ = std::make_unique<CalDavDiscovery>(address);
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
        return;
    }
    send(discovery_->request(), kMostRedirects,
         [this](const DavReply& reply) { takeDiscoveryAnswer(reply); });
}

void CalDavClient::takeDiscoveryAnswer(const DavReply& reply) {
    if (discovery_->take(reply)) {
        send(discovery_->request(), kMostRedirects,
             [this](const DavReply& next) { takeDiscoveryAnswer(next); });
        return;
    }
    emit discovered(discovery_->calendars());
}

void CalDavClient::fetchEvents(const std::string& url) {
    send(eventsRequest(url), kMostRedirects, [this](const DavReply& reply) {
        emit eventsFetched(QString::fromStdString(calendarTextOf(reply)));
    });
}

void CalDavClient::send(const DavRequest& request, int redirectsLeft, Answer take) {
    QNetworkRequest sent{QUrl(QString::fromStdString(request.url))};
    sent.setRawHeader("Authorization", authorization_);
    sent.setRawHeader("Depth", QByteArray::number(request.depth));
    sent.setHeader(QNetworkRequest::ContentTypeHeader,
                   QByteArrayLiteral("application/xml; charset=utf-8"));
    ++requestsSent_;
    QNetworkReply* reply = network_.sendCustomRequest(
        sent, QByteArray::fromStdString(request.method), QByteArray::fromStdString(request.body));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, request, redirectsLeft, take = std::move(take)] {
                answered(*reply, request, redirectsLeft, take);
            });
}

void CalDavClient::answered(QNetworkReply& reply, const DavRequest& request, int redirectsLeft,
                            const Answer& take) {
    reply.deleteLater();
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0) {
        emit failed(reply.errorString());
        return;
    }
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl from = reply.url();
        const QUrl to = from.resolved(QUrl(QString::fromUtf8(reply.rawHeader("Location"))));
        if (redirectsLeft == 0 || !to.isValid() || !sameServer(from, to)) {
            emit failed(QStringLiteral("%1 sends to %2, which is not followed.")
                            .arg(from.toString(), to.toString()));
            return;
        }
        DavRequest again = request;
        again.url = to.toString().toStdString();
        send(again, redirectsLeft - 1, take);
        return;
    }
    try {
        take({status, reply.readAll().toStdString(), reply.url().toString().toStdString()});
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
    }
}

}  // namespace kalvo
