#include "gui/CalDavClient.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "calendars/CalendarFile.h"
#include "gui/TrustedCertificates.h"
#include "support/CalDavServer.h"
#include "support/KalvoDbProcess.h"
#include "support/SelfSignedCertificate.h"

namespace kalvo {
namespace {

using test::CalDavServer;
using test::calendarEvent;
using test::kalvoDb;

// The outcome of one sync: the new cache, or why it failed.
struct Synced {
    std::optional<CalendarCache> cache;
    std::set<std::string> fetched;
    std::set<std::string> removed;
    QString failure;
    int requests = 0;
    int passwordRefusals = 0;
};

Synced sync(const QString& url, const CalendarCache& cache, const QString& password = "secret",
            const std::function<void(CalDavClient&)>& meanwhile = {},
            TrustedCertificates* trusted = nullptr) {
    CalDavClient client(QStringLiteral("ann"), password, trusted);
    Synced outcome;
    bool done = false;
    QObject::connect(&client, &CalDavClient::synced,
                     [&](const std::string&, const CalDavSync& sync) {
                         outcome.cache = sync.result();
                         outcome.fetched = sync.fetched();
                         outcome.removed = sync.removed();
                         done = true;
                     });
    QObject::connect(&client, &CalDavClient::syncFailed,
                     [&](const std::string&, const QString& reason) {
                         outcome.failure = reason;
                         done = true;
                     });
    QObject::connect(&client, &CalDavClient::passwordRefused, [&](const std::string&) {
        ++outcome.passwordRefusals;
        done = true;
    });
    client.sync(url.toStdString(), cache);
    if (meanwhile) {
        meanwhile(client);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 60000));
    outcome.requests = client.requestsSent();
    return outcome;
}

// The uids of a cache's events.
std::vector<std::string> uidsOf(const CalendarCache& cache) {
    std::vector<std::string> uids;
    const CalendarFile file(calendarTextOf(cache), "");
    for (const CalendarEvent& event : file.events()) {
        uids.push_back(event.uid + " " + event.summary);
    }
    std::sort(uids.begin(), uids.end());
    return uids;
}

class CalDavServers : public ::testing::TestWithParam<CalDavServer::Kind> {};

INSTANTIATE_TEST_SUITE_P(, CalDavServers,
                         ::testing::Values(CalDavServer::Kind::radicale,
                                           CalDavServer::Kind::xandikos),
                         [](const auto& tested) {
                             return tested.param == CalDavServer::Kind::radicale ? "Radicale"
                                                                                 : "Xandikos";
                         });

TEST_P(CalDavServers, FindTheCalendarsOfAnAccountInFewRequests) {
    const CalDavServer server(GetParam());
    server.makeCalendar("work", "Work", "#3A7AC0FF");
    server.makeCalendar("family", "Family", "#E07F30FF");
    struct Case {
        QString address;
        int mostRequests;
        std::vector<std::string> calendars;  // name and colour, by name
    };
    const Case cases[] = {
        // The well-known address redirects to the root, which is asked again.
        {server.address(), 5, {"Family #E07F30FF", "Work #3A7AC0FF"}},
        {server.calendarUrl("work"), 1, {"Work #3A7AC0FF"}},
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

// The calendar to publish to is made in the account's home, and taken as it is when it was
// made before; an address of one calendar has no home to make it in.
TEST_P(CalDavServers, MakeTheCalendarToPublishToOnce) {
    const CalDavServer server(GetParam());
    server.makeCalendar("work", "Work");
    const auto make = [&](const QString& address) {
        CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
        std::string outcome;
        QObject::connect(&client, &CalDavClient::calendarMade,
                         [&](const DiscoveredCalendar& made) { outcome = made.url; });
        QObject::connect(&client, &CalDavClient::failed,
                         [&](const QString& reason) { outcome = reason.toStdString(); });
        client.makeCalendar(address.toStdString());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !outcome.empty(); }, 10000));
        return outcome;
    };
    const std::string made = server.calendarUrl("kalvo-planner").toStdString();
    EXPECT_EQ(make(server.address()), made);
    EXPECT_EQ(make(server.address()), made);
    EXPECT_EQ(make(server.calendarUrl("work")),
              "A calendar is made in an account, not in another calendar: give the address of the "
              "server or of the account.");
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    QSignalSpy discovered(&client, &CalDavClient::discovered);
    client.discover(made);
    ASSERT_TRUE(discovered.wait(10000));
    const auto calendars = discovered.at(0).at(0).value<std::vector<DiscoveredCalendar>>();
    ASSERT_EQ(calendars.size(), 1U);
    EXPECT_EQ(calendars[0].name, "Kalvo Planner");
}

TEST_P(CalDavServers, SyncOnlyWhatChangedOnTheServer) {
    const CalDavServer server(GetParam());
    server.makeCalendar("work", "Work");
    for (const char* uid : {"review", "standup", "lunch"}) {
        server.putEvent("work", uid, calendarEvent(uid, uid, "20261210T090000", "20261210T100000"));
    }
    const QString url = server.calendarUrl("work");
    Synced first = sync(url, {});
    ASSERT_TRUE(first.cache) << first.failure.toStdString();
    EXPECT_EQ(uidsOf(*first.cache),
              (std::vector<std::string>{"lunch lunch", "review review", "standup standup"}));
    EXPECT_FALSE(first.cache->syncToken.empty());

    const Synced idle = sync(url, *first.cache);
    ASSERT_TRUE(idle.cache) << idle.failure.toStdString();
    EXPECT_EQ(idle.requests, 1);
    EXPECT_EQ(*idle.cache, *first.cache);

    server.putEvent("work", "retro",
                    calendarEvent("retro", "retro", "20261211T090000", "20261211T100000"));
    server.putEvent("work", "review",
                    calendarEvent("review", "review moved", "20261210T140000", "20261210T150000"));
    server.deleteEvent("work", "lunch");
    const Synced changed = sync(url, *first.cache);
    ASSERT_TRUE(changed.cache) << changed.failure.toStdString();
    EXPECT_EQ(uidsOf(*changed.cache),
              (std::vector<std::string>{"retro retro", "review review moved", "standup standup"}));
    EXPECT_EQ(changed.fetched.size(), 2U);
    EXPECT_EQ(changed.removed.size(), 1U);
    // One sync-collection report and one multiget.
    EXPECT_EQ(changed.requests, 2);

    // A token the server does not know: every ETag is compared, nothing is lost or doubled.
    CalendarCache unknownToken = *first.cache;
    unknownToken.syncToken = server.address().toStdString() + "/sync/unknown";
    const Synced resynced = sync(url, unknownToken);
    ASSERT_TRUE(resynced.cache) << resynced.failure.toStdString();
    EXPECT_EQ(resynced.cache->resources, changed.cache->resources);
    EXPECT_LE(resynced.requests, 3);
}

// A weekly meeting in Berlin across the end of summer time, with one week taken out and one
// moved; a floating event; an event in New York; an all-day event.
TEST_P(CalDavServers, EventsComeWithTheirRecurrencesAndZones) {
    const CalDavServer server(GetParam());
    server.makeCalendar("work", "Work");
    server.putEvent(
        "work", "weekly",
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:weekly\r\n"
        "DTSTAMP:20261001T000000Z\r\nSUMMARY:Team\r\nDTSTART;TZID=Europe/Berlin:20261014T090000\r\n"
        "DTEND;TZID=Europe/Berlin:20261014T093000\r\nRRULE:FREQ=WEEKLY;COUNT=5\r\n"
        "EXDATE;TZID=Europe/Berlin:20261021T090000\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:weekly\r\n"
        "DTSTAMP:20261001T000000Z\r\nRECURRENCE-ID;TZID=Europe/Berlin:20261104T090000\r\n"
        "SUMMARY:Team\\, later\r\nDTSTART;TZID=Europe/Berlin:20261104T140000\r\n"
        "DTEND;TZID=Europe/Berlin:20261104T150000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    server.putEvent("work", "floating",
                    calendarEvent("floating", "Run", "20261028T070000", "20261028T080000"));
    server.putEvent("work", "newyork",
                    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
                    "UID:newyork\r\nDTSTAMP:20261001T000000Z\r\nSUMMARY:Call\r\n"
                    "DTSTART;TZID=America/New_York:20261028T090000\r\nDURATION:PT1H\r\n"
                    "END:VEVENT\r\nEND:VCALENDAR\r\n");
    server.putEvent("work", "allday",
                    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
                    "UID:allday\r\nDTSTAMP:20261001T000000Z\r\nSUMMARY:Fair\r\n"
                    "DTSTART;VALUE=DATE:20261030\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    const Synced synced = sync(server.calendarUrl("work"), {});
    ASSERT_TRUE(synced.cache) << synced.failure.toStdString();
    const CalendarFile file(calendarTextOf(*synced.cache), "Europe/Berlin");
    struct Case {
        CivilDate date;
        std::vector<std::string> shown;  // summary and start minute
    };
    const Case cases[] = {
        {{2026, 10, 14}, {"Team 540"}},
        {{2026, 10, 21}, {}},                                   // taken out
        {{2026, 10, 28}, {"Run 420", "Team 540", "Call 840"}},  // after the change of clocks
        {{2026, 10, 30}, {"Fair 0"}},
        {{2026, 11, 4}, {"Team, later 840"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> shown;
        for (const CalendarOccurrence& occurrence : file.occurrencesOn(daysFromCivil(c.date))) {
            shown.push_back(file.events()[occurrence.event].summary + " " +
                            std::to_string(occurrence.start.minute));
        }
        EXPECT_EQ(shown, c.shown) << c.date.day << "." << c.date.month;
    }
}

// kalvo-db lists a date of the calendar on the server as the lane shows it.
TEST_P(CalDavServers, KalvoDbListsADateOfACalendar) {
    const CalDavServer server(GetParam());
    server.makeCalendar("work", "Work");
    server.putEvent("work", "late",
                    calendarEvent("late", "Release night", "20261209T220000", "20261210T013000"));
    server.putEvent("work", "review",
                    calendarEvent("review", "Review", "20261210T090000", "20261210T100000"));
    const test::TemporaryFolder cache;
    EXPECT_EQ(
        kalvoDb({"calendar-day", server.calendarUrl("work"), "2026-12-10", "--user", "ann"}, cache),
        "00:00-01:30\tRelease night\tlate\n09:00-10:00\tReview\treview\n");
}

// The server stopped in the middle of a sync: no new cache, and the reason.
TEST(CalDavClient, ASyncCutShortLeavesTheOldCopy) {
    auto server = std::make_unique<CalDavServer>(CalDavServer::Kind::radicale);
    QByteArray all = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n";
    for (int n = 0; n < 5000; ++n) {
        const QByteArray uid = "event" + QByteArray::number(n);
        all += "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:" + uid +
               "\r\nDTSTART:20261210T090000\r\nDTEND:20261210T100000\r\nEND:VEVENT\r\n";
    }
    server->putCalendar("work", all + "END:VCALENDAR\r\n");
    const QString url = server->calendarUrl("work");
    const Synced whole = sync(url, {});
    ASSERT_TRUE(whole.cache) << whole.failure.toStdString();
    EXPECT_EQ(whole.cache->resources.size(), 5000U);
    EXPECT_EQ(whole.requests, 1 + (5000 + CalDavSync::kBatchSize - 1) / CalDavSync::kBatchSize);

    CalendarCache old;
    const Synced cut = sync(url, old, "secret", [&](CalDavClient& client) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.requestsSent() >= 3; }, 60000));
        server.reset();
    });
    EXPECT_FALSE(cut.cache);
    EXPECT_FALSE(cut.failure.isEmpty());
}

TEST(CalDavClient, AWrongPasswordIsReportedOnceAndNothingElse) {
    const CalDavServer server(CalDavServer::Kind::radicale, {true, {}});
    const Synced refused = sync(server.address() + "/ann/", {}, "wrong");
    EXPECT_EQ(refused.passwordRefusals, 1);
    EXPECT_EQ(refused.requests, 1);
    EXPECT_FALSE(refused.cache);
    EXPECT_TRUE(refused.failure.isEmpty());
}

TEST(CalDavClient, ASelfSignedCertificateIsTrustedOnlyWhenAcceptedAndOnlyForItsServer) {
    const test::TemporaryFolder folder;
    const CalDavServer server(CalDavServer::Kind::radicale,
                              {false, test::selfSignedCertificate(folder.path(), "server")});
    server.makeCalendar("work", "Work");
    bool accept = false;
    int asked = 0;
    TrustedCertificates trusted(
        [&](const QString&, const QString&, const QString& fingerprint, const QString&) {
            ++asked;
            EXPECT_EQ(fingerprint.count(QLatin1Char(':')), 31);
            return accept;
        });
    const QString url = server.calendarUrl("work");
    const Synced refused = sync(url, {}, "secret", {}, &trusted);
    EXPECT_FALSE(refused.cache);
    EXPECT_FALSE(refused.failure.isEmpty());
    EXPECT_TRUE(trusted.pinned().empty());

    accept = true;
    const Synced accepted = sync(url, {}, "secret", {}, &trusted);
    EXPECT_TRUE(accepted.cache) << accepted.failure.toStdString();
    ASSERT_EQ(trusted.pinned().size(), 1U);
    EXPECT_EQ(trusted.pinned().begin()->first, url.section('/', 2, 2).toStdString());

    // Trusted from then on without a question; another server's certificate is asked about.
    const int askedBefore = asked;
    EXPECT_TRUE(sync(url, {}, "secret", {}, &trusted).cache);
    EXPECT_EQ(asked, askedBefore);
    const CalDavServer other(CalDavServer::Kind::radicale,
                             {false, test::selfSignedCertificate(folder.path(), "other")});
    accept = false;
    EXPECT_FALSE(sync(other.calendarUrl("work"), {}, "secret", {}, &trusted).cache);
    EXPECT_EQ(asked, askedBefore + 1);
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
