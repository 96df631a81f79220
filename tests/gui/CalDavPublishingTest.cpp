// Publishing to Radicale and Xandikos, started on 127.0.0.1: what the planner's kalvo-db
// publish sends, counted between it and the server, and what another calendar program
// (python3-caldav, python3-icalendar and python3-recurring-ical-events) reads back.

#include <gtest/gtest.h>

#include <QDate>
#include <QProcess>
#include <QTest>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/CalDavServer.h"
#include "support/CountingProxy.h"
#include "support/EditSession.h"
#include "support/KalvoDbProcess.h"
#include "support/WeekDatabase.h"

namespace kalvo {
namespace {

using test::CalDavServer;
using test::kalvoDb;

using Fields = std::vector<std::string>;

std::vector<Fields> linesOf(const std::string& listing) {
    std::vector<Fields> lines;
    std::istringstream text(listing);
    for (std::string line; std::getline(text, line);) {
        Fields& fields = lines.emplace_back();
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(9);  // a read-back line ends in empty fields
    }
    return lines;
}

// caldav_readback.py's lines for the calendar at `url` on the dates `from` to `to`: date,
// start, end, planned start, planned end, type, comment, UID, RELATED-TO.
std::vector<Fields> readBack(const QString& url, const QDate& from, const QDate& to) {
    QProcess process;
    process.start(QStringLiteral(KALVO_TEST_PYTHON),
                  {QStringLiteral(KALVO_TEST_SUPPORT "/caldav_readback.py"), url,
                   from.toString(Qt::ISODate), to.toString(Qt::ISODate)});
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return linesOf(process.readAllStandardOutput().toStdString());
}

// Each date's occurrences as "type start-end planned start-end", as kalvo-db day shows the
// database in `folder`...
std::string plannerDays(const std::string& folder, const QDate& from, const QDate& to,
                        const test::TemporaryFolder& cache) {
    std::string days;
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        std::multiset<std::string> shown;
        for (const Fields& fields : linesOf(kalvoDb(
                 {"day", QString::fromStdString(folder), date.toString(Qt::ISODate)}, cache))) {
            if (fields[8] != "deleted") {
                shown.insert(fields[3] + " " + fields[4] + "-" + fields[5] + " planned " +
                             fields[6] + "-" + fields[7]);
            }
        }
        days += date.toString(Qt::ISODate).toStdString() + ":";
        for (const std::string& one : shown) {
            days += " " + one;
        }
        days += "\n";
    }
    return days;
}

// ... and as another program reads the calendar at `url`.
std::string calendarDays(const QString& url, const QDate& from, const QDate& to) {
    std::map<std::string, std::multiset<std::string>> byDate;
    for (const Fields& fields : readBack(url, from, to)) {
        byDate[fields[0]].insert(fields[5] + " " + fields[1] + "-" + fields[2] + " planned " +
                                 fields[3] + "-" + fields[4]);
    }
    std::string days;
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        const std::string day = date.toString(Qt::ISODate).toStdString();
        days += day + ":";
        for (const std::string& one : byDate[day]) {
            days += " " + one;
        }
        days += "\n";
    }
    return days;
}

QStringList publishCommand(const std::string& folder, const QString& url, const QDate& from,
                           const QDate& to) {
    return {"publish",
            QString::fromStdString(folder),
            url,
            "--user",
            "ann",
            "--from",
            from.toString(Qt::ISODate),
            "--to",
            to.toString(Qt::ISODate)};
}

class PublishingServers : public ::testing::TestWithParam<CalDavServer::Kind> {};

INSTANTIATE_TEST_SUITE_P(, PublishingServers,
                         ::testing::Values(CalDavServer::Kind::radicale,
                                           CalDavServer::Kind::xandikos),
                         [](const auto& tested) {
                             return tested.param == CalDavServer::Kind::radicale ? "Radicale"
                                                                                 : "Xandikos";
                         });

// Each edit sends only the resources it changed, counted between kalvo-db and the server, and
// after each, on every date, another program reads back what the timeline shows.
TEST_P(PublishingServers, EachEditSendsOnlyWhatItChangedAndReadsBackAsTheTimelineShows) {
    const CalDavServer server(GetParam());
    server.makeCalendar("plan", "Plan");
    test::CountingProxy proxy(server.port());
    test::EditSession session;
    const test::TemporaryFolder cache;
    const std::string folder = session.folder.path().string();
    const QDate from(2026, 3, 2);
    const QDate to = from.addDays(test::kDays - 1);
    const auto rowOn = [&](int day, const std::string& type) -> EventDataRow& {
        session.show(static_cast<DateTime>(test::kFirstDay + day));
        EventDataRow* row = test::rowOfType(session, type);
        EXPECT_NE(row, nullptr) << type << " on day " << day;
        return *row;
    };
    const auto edit = [&](const std::function<void()>& change) {
        EXPECT_TRUE(session.dayEdit("Edit", change));
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        std::map<std::string, int> requests;
    };
    const Step steps[] = {
        {"the first publish: one resource per appointment", [] {}, {{"PUT", 4}}},
        {"nothing changed", [] {}, {}},
        {"one day's lunch moved",
         [&] {
             EventDataRow& lunch = rowOn(2, "Lunch");
             edit([&] { session.drag(lunch, 5, {24}, false); });
         },
         {{"PUT", 1}}},
        {"a comment on one day's work",
         [&] {
             EventDataRow& work = rowOn(3, "Work");
             edit([&] {
                 static_cast<void>(
                     changeComment(session.model, session.placement, work, "With Ann\nand Bob"));
             });
         },
         {{"PUT", 1}}},
        // The series is cut in two pieces of one appointment: one resource, its rule and the
        // times of its later days.
        {"lunch moved from one day on, for the future: the series split",
         [&] {
             EventDataRow& lunch = rowOn(8, "Lunch");
             edit([&] { session.drag(lunch, 5, {24}, true); });
         },
         {{"PUT", 1}}},
        {"one day of lunch deleted",
         [&] {
             EventDataRow& lunch = rowOn(10, "Lunch");
             edit([&] {
                 static_cast<void>(
                     deleteOccurrence(session.model, session.placement, lunch, false));
             });
         },
         {{"PUT", 1}}},
        {"nothing changed again", [] {}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        session.database.saveDatabaseTo(session.model, folder + "/");
        static_cast<void>(kalvoDb(
            publishCommand(folder, proxy.through(server.calendarUrl("plan")), from, to), cache));
        EXPECT_EQ(proxy.takeRequests(), step.requests);
        EXPECT_EQ(calendarDays(server.calendarUrl("plan"), from, to),
                  plannerDays(folder, from, to, cache));
    }
    // What the days show beside their times: the comment, and each meeting inside its work.
    std::set<std::string> comments;
    std::map<std::string, std::set<std::string>> uidsOf;  // by type
    std::set<std::string> meetingParents;
    for (const Fields& line : readBack(server.calendarUrl("plan"), from, to)) {
        if (!line[6].empty()) {
            comments.insert(line[0] + " " + line[6]);
        }
        uidsOf[line[5]].insert(line[7]);
        if (line[5] == "Meeting") {
            meetingParents.insert(line[8]);
        }
    }
    EXPECT_EQ(comments, std::set<std::string>{"2026-03-05 With Ann\\nand Bob"});
    EXPECT_EQ(meetingParents, uidsOf["Work"]);
}
// kalvo-db publish sends nothing twice, also when what it published was forgotten, and never
// overwrites an event changed on the server since: the server's copy stays as it was.
TEST_P(PublishingServers, APublishNeverOverwritesAnEventChangedOnTheServer) {
    const CalDavServer server(GetParam());
    server.makeCalendar("plan", "Plan");
    const test::TemporaryFolder database;
    const test::TemporaryFolder cache;
    const std::string folder = database.path().string();
    const QDate from(2026, 12, 5);
    const QDate to(2026, 12, 20);
    test::writeWeekDatabase(database.path(), "23:00");
    const QStringList publish = publishCommand(folder, server.calendarUrl("plan"), from, to);
    EXPECT_EQ(kalvoDb(publish, cache), "3 PUTs, 0 DELETEs, 0 conflicts.\n");
    EXPECT_EQ(calendarDays(server.calendarUrl("plan"), from, to),
              plannerDays(folder, from, to, cache));
    // What was published forgotten, as after a crash before it was kept: the resources on the
    // server are known again as the planner's, and none is sent twice.
    const test::TemporaryFolder lostCache;
    EXPECT_EQ(kalvoDb(publish, lostCache), "0 PUTs, 0 DELETEs, 0 conflicts.\n");

    // Changed on a phone, then here: the phone's copy stays as it is, until the user chooses.
    const QString sleep = QStringLiteral("appointment-2@kalvo-planner");
    server.putEvent("plan", sleep,
                    test::calendarEvent(sleep, "Nap", "20261207T140000", "20261207T150000"));
    const QByteArray phones = server.getEvent("plan", sleep);
    test::writeWeekDatabase(database.path(), "22:00");
    EXPECT_EQ(kalvoDb(publish, cache), "0 PUTs, 0 DELETEs, 1 conflict.\n");
    EXPECT_EQ(server.getEvent("plan", sleep), phones);
    EXPECT_EQ(kalvoDb(publish, cache), "0 PUTs, 0 DELETEs, 1 conflict.\n");
    EXPECT_EQ(server.getEvent("plan", sleep), phones);
}

// A publish killed at random moments (SIGKILL), then done again: the server holds each of the
// planner's appointments once, and a further publish sends nothing.
TEST_P(PublishingServers, APublishKilledAtRandomMomentsLeavesNoDuplicate) {
    const CalDavServer server(GetParam());
    server.makeCalendar("plan", "Plan");
    const test::TemporaryFolder database;
    const test::TemporaryFolder cache;
    std::string events;
    std::string rows;
    constexpr int kAppointments = 40;
    for (int i = 0; i < kAppointments; ++i) {
        const std::string id = std::to_string(i);
        const std::string day = "202612" + std::to_string(10 + i % 20);
        const std::string hour = std::to_string(10 + i / 20 * 2);
        events += "<ROW Id=\"" + id + "\" TypeId=\"0\"/>";
        rows += "<ROW Id=\"" + id + "\" EventId=\"" + id + "\" StartDate=\"" + day +
                "\" EndDate=\"" + day + "\" StartTime=\"" + day + "T" + hour +
                ":00:00000\" EndTime=\"" + day + "T" + hour + ":30:00000\"/>";
    }
    test::writeDatabase(database.path(), "<ROW Id=\"0\" Name=\"Work\"/>", events, rows);
    const std::string folder = database.path().string();
    const QDate from(2026, 12, 1);
    const QDate to(2026, 12, 31);
    const QStringList publish = publishCommand(folder, server.calendarUrl("plan"), from, to);
    std::mt19937 random(27);
    for (int round = 0; round < 4; ++round) {
        QProcess killed;
        test::startKalvoDb(killed, publish, cache);
        ASSERT_TRUE(killed.waitForStarted());
        QTest::qWait(static_cast<int>(random() % 1200));
        killed.kill();
        killed.waitForFinished();
    }
    const std::string last = kalvoDb(publish, cache);
    EXPECT_NE(last.find(", 0 DELETEs, 0 conflicts."), std::string::npos) << last;
    std::set<std::string> uids;
    for (const Fields& line : readBack(server.calendarUrl("plan"), from, to)) {
        EXPECT_TRUE(uids.insert(line[7]).second) << "twice: " << line[7];
    }
    EXPECT_EQ(uids.size(), static_cast<std::size_t>(kAppointments));
    EXPECT_EQ(calendarDays(server.calendarUrl("plan"), from, to),
              plannerDays(folder, from, to, cache));
    EXPECT_EQ(kalvoDb(publish, cache), "0 PUTs, 0 DELETEs, 0 conflicts.\n");
}

}  // namespace
}  // namespace kalvo
