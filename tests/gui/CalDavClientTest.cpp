#include "gui/CalDavClient.h"

#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "calendars/CalendarFile.h"
#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

// Radicale on 127.0.0.1, at a port free when it starts, keeping its calendars in a folder of
// the test; stopped when this goes. Any user name and password are let in.
class Radicale {
public:
    Radicale() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        process_.start(QStringLiteral(KALVO_RADICALE),
                       {QStringLiteral("--server-hosts"), QStringLiteral("127.0.0.1:%1").arg(port_),
                        QStringLiteral("--storage-filesystem-folder"),
                        QString::fromStdString(storage_.path().string()),
                        QStringLiteral("--auth-type"), QStringLiteral("none")});
        for (int attempt = 0; attempt < 100; ++attempt) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(100)) {
                return;
            }
            QTest::qWait(50);
        }
        ADD_FAILURE() << "Radicale did not start: "
                      << process_.readAllStandardError().toStdString();
    }
    ~Radicale() {
        process_.kill();
        process_.waitForFinished();
    }

    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

    // A calendar of Ann's made with MKCOL, as a calendar program makes one.
    void makeCalendar(const QString& path, const QString& name, const QString& color) const {
        const QByteArray body =
            "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
            "xmlns:c=\"urn:ietf:params:xml:ns:caldav\" xmlns:i=\"http://apple.com/ns/ical/\">"
            "<d:set><d:prop><d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
            "<d:displayname>" +
            name.toUtf8() + "</d:displayname><i:calendar-color>" + color.toUtf8() +
            "</i:calendar-color></d:prop></d:set></d:mkcol>";
        EXPECT_EQ(send("MKCOL", path, "application/xml", body), 201);
    }

    // An event put into a calendar, as a calendar program puts one.
    void putEvent(const QString& path, const QByteArray& calendar) const {
        EXPECT_EQ(send("PUT", path, "text/calendar", calendar), 201);
    }

private:
    int send(const QByteArray& method, const QString& path, const QByteArray& type,
             const QByteArray& body) const {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(address() + path));
        request.setRawHeader("Authorization", "Basic " + QByteArray("ann:secret").toBase64());
        request.setHeader(QNetworkRequest::ContentTypeHeader, type);
        QNetworkReply* reply = network.sendCustomRequest(request, method, body);
        QSignalSpy done(reply, &QNetworkReply::finished);
        EXPECT_TRUE(done.wait(10000));
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        delete reply;
        return status;
    }

    test::TemporaryFolder storage_;
    QProcess process_;
    quint16 port_ = 0;
};

TEST(CalDavClient, FindsAnAccountsCalendarsThroughTheWellKnownRedirectInFewRequests) {
    const Radicale server;
    server.makeCalendar(QStringLiteral("/ann/work/"), QStringLiteral("Work"),
                        QStringLiteral("#3A7AC0FF"));
    server.makeCalendar(QStringLiteral("/ann/family/"), QStringLiteral("Family"),
                        QStringLiteral("#E07F30FF"));
    struct Case {
        QString address;
        int mostRequests;
        std::vector<std::string> calendars;  // name and colour, by name
    };
    const Case cases[] = {
        // The well-known address redirects to the root, which is asked again.
        {server.address(), 5, {"Family #E07F30FF", "Work #3A7AC0FF"}},
        {server.address() + QStringLiteral("/ann/work/"), 1, {"Work #3A7AC0FF"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
        QSignalSpy discovered(&client, &CalDavClient::discovered);
        QSignalSpy failed(&client, &CalDavClient::failed);
        client.discover(c.address.toStdString());
        ASSERT_TRUE(discovered.wait(10000)) << failed.value(0).value(0).toString().toStdString();
        std::vector<std::string> found;
        for (const DiscoveredCalendar& calendar :
             discovered.at(0).at(0).value<std::vector<DiscoveredCalendar>>()) {
            found.push_back(calendar.name + " " + calendar.color);
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.calendars);
        EXPECT_LE(client.requestsSent(), c.mostRequests);
    }
}

TEST(CalDavClient, FetchesEveryEventOfACalendarWhole) {
    const Radicale server;
    server.makeCalendar(QStringLiteral("/ann/work/"), QStringLiteral("Work"), QString());
    for (const char* uid : {"review", "standup"}) {
        server.putEvent(QStringLiteral("/ann/work/%1.ics").arg(QString::fromLatin1(uid)),
                        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
                        "UID:" +
                            QByteArray(uid) +
                            "\r\nDTSTAMP:20261201T000000Z\r\n"
                            "SUMMARY:" +
                            QByteArray(uid) +
                            "\r\nDTSTART:20261210T090000\r\n"
                            "DTEND:20261210T100000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    }
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    QSignalSpy fetched(&client, &CalDavClient::eventsFetched);
    QSignalSpy failed(&client, &CalDavClient::failed);
    client.fetchEvents((server.address() + QStringLiteral("/ann/work/")).toStdString());
    ASSERT_TRUE(fetched.wait(10000)) << failed.value(0).value(0).toString().toStdString();
    const CalendarFile file(fetched.at(0).at(0).toString().toStdString(), "");
    std::vector<std::string> summaries;
    for (const CalendarEvent& event : file.events()) {
        summaries.push_back(event.summary);
    }
    std::sort(summaries.begin(), summaries.end());
    EXPECT_EQ(summaries, (std::vector<std::string>{"review", "standup"}));
    EXPECT_EQ(client.requestsSent(), 1);
}

TEST(CalDavClient, SaysWhyWhereThereIsNoServer) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    QSignalSpy failed(&client, &CalDavClient::failed);
    client.discover("http://127.0.0.1:" + std::to_string(port) + "/");
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
}

}  // namespace
}  // namespace kalvo
