#pragma once

#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <fstream>

#include "support/TemporaryFolder.h"

namespace kalvo::test {

// A CalDAV server started on 127.0.0.1 at a port free when it starts, keeping its calendars in a
// folder of its own; stopped when this goes. Radicale, and Xandikos (which has no accounts of its
// own: its user's calendars are under /user/calendars/). Radicale lets any user in, or only
// "ann" with the password "secret"; it serves TLS with the certificate and key given.
// The programs come from the build: KALVO_RADICALE and KALVO_XANDIKOS.
class CalDavServer {
public:
    enum class Kind { radicale, xandikos };
    struct Options {
        bool checksPassword;
        QStringList certificate;  // its file and its key's file
    };

    explicit CalDavServer(Kind kind, const Options& options = {false, {}}) : kind_(kind) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        const QString storage = QString::fromStdString(storage_.path().string());
        tls_ = !options.certificate.isEmpty();
        if (kind == Kind::xandikos) {
            process_.start(
                QStringLiteral(KALVO_XANDIKOS),
                {"-d", storage, "-l", "127.0.0.1", "-p", QString::number(port_), "--autocreate"});
        } else {
            QStringList arguments = {"--server-hosts", QStringLiteral("127.0.0.1:%1").arg(port_),
                                     "--storage-filesystem-folder", storage};
            if (options.checksPassword) {
                const std::string users = storage_.file("users");
                std::ofstream(users) << "ann:secret\n";
                arguments << "--auth-type"
                          << "htpasswd"
                          << "--auth-htpasswd-filename" << QString::fromStdString(users)
                          << "--auth-htpasswd-encryption"
                          << "plain";
            } else {
                arguments << "--auth-type"
                          << "none";
            }
            if (tls_) {
                arguments << "--server-ssl"
                          << "--server-certificate" << options.certificate[0] << "--server-key"
                          << options.certificate[1];
            }
            process_.start(QStringLiteral(KALVO_RADICALE), arguments);
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(100)) {
                return;
            }
            QTest::qWait(50);
        }
        ADD_FAILURE() << "The CalDAV server did not start: "
                      << process_.readAllStandardError().toStdString();
    }
    CalDavServer(const CalDavServer&) = delete;
    CalDavServer& operator=(const CalDavServer&) = delete;
    ~CalDavServer() { stop(); }

    void stop() {
        process_.kill();
        process_.waitForFinished();
    }

    quint16 port() const { return port_; }
    QString address() const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(tls_ ? "https" : "http").arg(port_);
    }
    // The path of the calendar `name` of the server's user.
    QString calendarPath(const QString& name) const {
        return (kind_ == Kind::radicale ? QStringLiteral("/ann/")
                                        : QStringLiteral("/user/calendars/")) +
               name + QLatin1Char('/');
    }
    QString calendarUrl(const QString& name) const { return address() + calendarPath(name); }

    // A calendar made with an extended MKCOL, as a calendar program makes one; its colour is
    // set apart, which Xandikos needs.
    void makeCalendar(const QString& name, const QString& displayName,
                      const QString& color = QString()) const {
        const QByteArray body =
            "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
            "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set><d:prop><d:resourcetype>"
            "<d:collection/><c:calendar/></d:resourcetype><d:displayname>" +
            displayName.toUtf8() + "</d:displayname></d:prop></d:set></d:mkcol>";
        EXPECT_EQ(send("MKCOL", calendarPath(name), "application/xml", body), 201);
        if (!color.isEmpty()) {
            EXPECT_EQ(send("PROPPATCH", calendarPath(name), "application/xml",
                           "<?xml version=\"1.0\"?><d:propertyupdate xmlns:d=\"DAV:\" "
                           "xmlns:i=\"http://apple.com/ns/ical/\"><d:set><d:prop>"
                           "<i:calendar-color>" +
                               color.toUtf8() +
                               "</i:calendar-color></d:prop></d:set></d:propertyupdate>"),
                      207);
        }
    }

    // Puts an event as a calendar program does: made, or changed when it is there already.
    void putEvent(const QString& calendar, const QString& uid, const QByteArray& ics) const {
        const int status = send("PUT", calendarPath(calendar) + uid + QStringLiteral(".ics"),
                                "text/calendar", ics);
        EXPECT_TRUE(status == 201 || status == 204) << status;
    }
    // Radicale only: a whole calendar in one PUT, each of its events a resource.
    void putCalendar(const QString& name, const QByteArray& ics) const {
        EXPECT_EQ(send("PUT", calendarPath(name), "text/calendar", ics), 201);
    }
    // The event as the server holds it, byte for byte.
    QByteArray getEvent(const QString& calendar, const QString& uid) const {
        QByteArray held;
        EXPECT_EQ(send("GET", calendarPath(calendar) + uid + QStringLiteral(".ics"), {}, {}, &held),
                  200);
        return held;
    }
    void deleteEvent(const QString& calendar, const QString& uid) const {
        const int status =
            send("DELETE", calendarPath(calendar) + uid + QStringLiteral(".ics"), {}, {});
        EXPECT_TRUE(status == 200 || status == 204) << status;
    }

private:
    int send(const QByteArray& method, const QString& path, const QByteArray& type,
             const QByteArray& body, QByteArray* answer = nullptr) const {
        QNetworkAccessManager network;
        // The test's own requests trust the certificate it made.
        QObject::connect(
            &network, &QNetworkAccessManager::sslErrors, &network,
            [](QNetworkReply* reply, const QList<QSslError>&) { reply->ignoreSslErrors(); });
        QNetworkRequest request(QUrl(address() + path));
        request.setRawHeader("Authorization", "Basic " + QByteArray("ann:secret").toBase64());
        if (!type.isEmpty()) {
            request.setHeader(QNetworkRequest::ContentTypeHeader, type);
        }
        QNetworkReply* reply = network.sendCustomRequest(request, method, body);
        QSignalSpy done(reply, &QNetworkReply::finished);
        EXPECT_TRUE(done.wait(120000));
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (answer != nullptr) {
            *answer = reply->readAll();
        }
        delete reply;
        return status;
    }

    Kind kind_;
    TemporaryFolder storage_;
    QProcess process_;
    quint16 port_ = 0;
    bool tls_ = false;
};

// An event of a calendar program, at local times ("20261210T090000") unless they say a zone.
inline QByteArray calendarEvent(const QString& uid, const QString& summary, const QString& start,
                                const QString& end, const QByteArray& more = {}) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:" +
           uid.toUtf8() + "\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:" + summary.toUtf8() +
           "\r\nDTSTART:" + start.toUtf8() + "\r\nDTEND:" + end.toUtf8() + "\r\n" + more +
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

}  // namespace kalvo::test
