#include "gui/CalDavClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "gui/TrustedCertificates.h"

namespace kalvo {
namespace {

constexpr int kMostRedirects = 5;

bool sameServer(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

}  // namespace

CalDavClient::CalDavClient(QString user, QString password, TrustedCertificates* trusted,
                           QObject* parent)
    : QObject(parent), trusted_(trusted), user_(std::move(user)) {
    setPassword(password);
    network_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_.setTransferTimeout(30000);
}

void CalDavClient::setPassword(const QString& password) {
    authorization_ = "Basic " + (user_ + QLatin1Char(':') + password).toUtf8().toBase64();
}

CalDavClient::Failure CalDavClient::discoveryFailure() {
    return {[this](const QString& reason) { emit failed(reason); },
            [this] {
                emit failed(QStringLiteral("The server refused the user name or the password."));
            }};
}

void CalDavClient::discover(const std::string& address) {
    try {
        discovery_ = std::make_unique<CalDavDiscovery>(address);
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
        return;
    }
    send(
        discovery_->request(), kMostRedirects,
        [this](const DavReply& reply) { takeDiscoveryAnswer(reply); }, discoveryFailure());
}

void CalDavClient::takeDiscoveryAnswer(const DavReply& reply) {
    if (discovery_->take(reply)) {
        send(
            discovery_->request(), kMostRedirects,
            [this](const DavReply& next) { takeDiscoveryAnswer(next); }, discoveryFailure());
        return;
    }
    emit discovered(discovery_->calendars());
}

void CalDavClient::makeCalendar(const std::string& address) {
    std::shared_ptr<CalDavCalendarMaker> making;
    try {
        making = std::make_shared<CalDavCalendarMaker>(address);
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
        return;
    }
    sendMaking(making);
}

void CalDavClient::sendMaking(const std::shared_ptr<CalDavCalendarMaker>& making) {
    send(
        making->request(), kMostRedirects,
        [this, making](const DavReply& reply) {
            if (making->take(reply)) {
                sendMaking(making);
            } else {
                emit calendarMade(making->made());
            }
        },
        discoveryFailure());
}

CalDavClient::Failure CalDavClient::syncFailure(const std::string& url) {
    return {[this, url](const QString& reason) { emit syncFailed(url, reason); },
            [this, url] { emit passwordRefused(url); }};
}

void CalDavClient::sync(const std::string& url, const CalendarCache& cache) {
    const auto syncing = std::make_shared<CalDavSync>(url, cache);
    send(
        syncing->request(), kMostRedirects,
        [this, syncing, url](const DavReply& reply) { takeSyncAnswer(syncing, url, reply); },
        syncFailure(url));
}

void CalDavClient::takeSyncAnswer(const std::shared_ptr<CalDavSync>& syncing,
                                  const std::string& url, const DavReply& reply) {
    if (syncing->take(reply)) {
        send(
            syncing->request(), kMostRedirects,
            [this, syncing, url](const DavReply& next) { takeSyncAnswer(syncing, url, next); },
            syncFailure(url));
        return;
    }
    emit synced(url, *syncing);
}

void CalDavClient::publish(const std::string& url, const PublishState& state,
                           const std::map<std::string, std::string>& resources) {
    const auto publishing = std::make_shared<CalDavPublish>(url, state, resources);
    if (!publishing->pending()) {
        emit published(url, *publishing, QString());
        return;
    }
    sendPublish(publishing, url);
}

void CalDavClient::sendPublish(const std::shared_ptr<CalDavPublish>& publishing,
                               const std::string& url) {
    const auto stopped = [this, publishing, url](const QString& reason) {
        emit published(url, *publishing, reason);
    };
    send(publishing->request(), kMostRedirects,
         [this, publishing, url](const DavReply& reply) {
             const bool more = publishing->take(reply);
             emit publishStepped(url, *publishing);
             if (more) {
                 sendPublish(publishing, url);
             } else {
                 emit published(url, *publishing, QString());
             }
         },
         {stopped, [stopped] {
              stopped(QStringLiteral("The server refused the user name or the password."));
          }});
}

void CalDavClient::send(const DavRequest& request, int redirectsLeft, Answer take,
                        Failure failure) {
    QNetworkRequest sent{QUrl(QString::fromStdString(request.url))};
    sent.setRawHeader("Authorization", authorization_);
    if (request.depth >= 0) {
        sent.setRawHeader("Depth", QByteArray::number(request.depth));
    }
    sent.setHeader(QNetworkRequest::ContentTypeHeader,
                   QByteArray::fromStdString(request.contentType));
    for (const auto& [name, value] : request.headers) {
        sent.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    ++requestsSent_;
    QNetworkReply* reply = network_.sendCustomRequest(
        sent, QByteArray::fromStdString(request.method), QByteArray::fromStdString(request.body));
    if (trusted_ != nullptr) {
        trusted_->guard(reply);
    }
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, request, redirectsLeft, take = std::move(take),
             failure = std::move(failure)] {
                answered(*reply, request, redirectsLeft, take, failure);
            });
}

void CalDavClient::answered(QNetworkReply& reply, const DavRequest& request, int redirectsLeft,
                            const Answer& take, const Failure& failure) {
    reply.deleteLater();
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0) {
        failure.failed(reply.errorString());
        return;
    }
    if (status == 401) {
        failure.refused();
        return;
    }
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl from = reply.url();
        const QUrl to = from.resolved(QUrl(QString::fromUtf8(reply.rawHeader("Location"))));
        if (redirectsLeft == 0 || !to.isValid() || !sameServer(from, to)) {
            failure.failed(QStringLiteral("%1 sends to %2, which is not followed.")
                               .arg(from.toString(), to.toString()));
            return;
        }
        DavRequest again = request;
        again.url = to.toString().toStdString();
        send(again, redirectsLeft - 1, take, failure);
        return;
    }
    if (reply.error() != QNetworkReply::NoError && status < 400) {
        // Cut short, or timed out, after the status came.
        failure.failed(reply.errorString());
        return;
    }
    try {
        take({status, reply.readAll().toStdString(), reply.url().toString().toStdString(),
              reply.rawHeader("ETag").toStdString()});
    } catch (const std::exception& error) {
        failure.failed(QString::fromUtf8(error.what()));
    }
}

}  // namespace kalvo
