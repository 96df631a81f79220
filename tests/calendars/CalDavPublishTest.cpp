#include "calendars/CalDavPublish.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "IcalendarText.h"
#include "calendars/ConflictVersions.h"

namespace kalvo {
namespace {

constexpr const char* kCalendar = "http://127.0.0.1:5232/ann/plan/";

// A calendar collection that honours If-Match and If-None-Match as CalDAV servers do.
class CalendarServer {
public:
    DavReply answer(const DavRequest& request) {
        ++requests;
        std::string condition;
        std::string value;
        for (const auto& [name, given] : request.headers) {
            condition = name;
            value = given;
        }
        const auto held = resources.find(request.url);
        if (request.method == "GET") {
            return held == resources.end()
                       ? DavReply{404}
                       : DavReply{200, held->second.text, "", held->second.etag};
        }
        if ((condition == "If-None-Match" && held != resources.end()) ||
            (condition == "If-Match" && (held == resources.end() || held->second.etag != value))) {
            return {412};
        }
        if (request.method == "DELETE") {
            resources.erase(held);
            return {204};
        }
        const std::string etag = "\"" + std::to_string(++version_) + "\"";
        resources[request.url] = {etag, request.body};
        return {held == resources.end() ? 201 : 204, "", "", etag};
    }

    struct Held {
        std::string etag;
        std::string text;
    };
    std::map<std::string, Held> resources;
    int requests = 0;

private:
    int version_ = 0;
};

std::string event(const std::string& summary, const std::string& stamp = "20261210T080000Z") {
    return "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTAMP:" + stamp + "\r\nSUMMARY:" + summary +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

struct Published {
    PublishState state;
    int puts = 0;
    int deletes = 0;
};

Published publish(CalendarServer& server, const PublishState& state,
                  const std::map<std::string, std::string>& resources) {
    server.requests = 0;
    CalDavPublish publishing(kCalendar, state, resources);
    while (publishing.pending() && publishing.take(server.answer(publishing.request()))) {
    }
    return {publishing.state(), publishing.puts(), publishing.deletes()};
}

TEST(CalDavPublish, SendsOnlyWhatChangedAndNeverOverwritesAChangeMadeThere) {
    CalendarServer server;
    std::map<std::string, std::string> plan = {
        {"work", event("Work")}, {"lunch", event("Lunch")}, {"sleep", event("Sleep")}};
    Published published = publish(server, {}, plan);
    EXPECT_EQ(published.puts, 3);
    EXPECT_EQ(server.resources.size(), 3U);
    const std::string lunch = std::string(kCalendar) + "lunch.ics";

    struct Step {
        const char* what;
        std::function<void()> change;
        int requests;
        int puts;
        int deletes;
        std::vector<std::string> conflicts;
    };
    const std::string work = std::string(kCalendar) + "work.ics";
    const std::string gym = std::string(kCalendar) + "gym.ics";
    const auto choose = [&](const std::string& uid, ConflictChoice choice) {
        resolveConflict(published.state, uid, choice);
    };
    const Step steps[] = {
        {"nothing changed but the moment of the publish",
         [&] { plan["work"] = event("Work", "20261211T080000Z"); },
         0,
         0,
         0,
         {}},
        {"one changed", [&] { plan["lunch"] = event("Lunch with Ann"); }, 1, 1, 0, {}},
        {"one removed, one added",
         [&] {
             plan.erase("sleep");
             plan["study"] = event("Study");
         },
         2,
         1,
         1,
         {}},
        // The PUT refused, then the server's copy fetched.
        {"changed on a phone, then here: the phone's copy stays",
         [&] {
             server.resources[lunch] = {"\"phone\"", event("Lunch, moved on the phone")};
             plan["lunch"] = event("Lunch at noon");
         },
         2,
         0,
         0,
         {"lunch"}},
        {"nothing changed: the conflict waits for the user", [] {}, 0, 0, 0, {"lunch"}},
        {"made on the server by another program with the same UID",
         [&] {
             server.resources[gym] = {"\"other\"", event("Gym")};
             plan["gym"] = event("Gym");
         },
         2,
         0,
         0,
         {"gym", "lunch"}},
        {"the server's lunch kept, mine published over the gym",
         [&] {
             choose("lunch", ConflictChoice::keepTheirs);
             choose("gym", ConflictChoice::publishMine);
         },
         1,
         1,
         0,
         {}},
        {"changed on the phone again: published over it once it changes here again",
         [&] {
             server.resources[lunch] = {"\"phone2\"", event("Lunch, moved again")};
             plan["lunch"] = event("Lunch at one");
         },
         2,
         0,
         0,
         {"lunch"}},
        {"changed here again: a conflict again",
         [&] { plan["lunch"] = event("Lunch at two"); },
         2,
         0,
         0,
         {"lunch"}},
        {"removed here after a change on the phone",
         [&] {
             choose("lunch", ConflictChoice::publishMine);
             server.resources[work] = {"\"phone3\"", event("Work from home")};
             plan.erase("work");
         },
         3,
         1,
         0,
         {"work"}},
        {"the removal published",
         [&] { choose("work", ConflictChoice::publishMine); },
         1,
         0,
         1,
         {}},
        {"removed on the phone, changed here",
         [&] {
             server.resources.erase(gym);
             plan["gym"] = event("Gym at six");
         },
         2,
         0,
         0,
         {"gym"}},
        {"the phone's removal kept",
         [&] { choose("gym", ConflictChoice::keepTheirs); },
         0,
         0,
         0,
         {}},
        {"changed here again: made again",
         [&] { plan["gym"] = event("Gym at seven"); },
         1,
         1,
         0,
         {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        published = publish(server, published.state, plan);
        EXPECT_EQ(server.requests, step.requests);
        EXPECT_EQ(published.puts, step.puts);
        EXPECT_EQ(published.deletes, step.deletes);
        std::vector<std::string> conflicts;
        for (const auto& [uid, conflict] : published.state.conflicts) {
            conflicts.push_back(uid);
        }
        EXPECT_EQ(conflicts, step.conflicts);
        if (step.what == steps[3].what) {
            const PublishConflict& conflict = published.state.conflicts.at("lunch");
            EXPECT_EQ(conflict.theirs, event("Lunch, moved on the phone"));
            EXPECT_EQ(conflict.theirsEtag, "\"phone\"");
            EXPECT_NE(conflict.mine.find("SUMMARY:Lunch at noon"), std::string::npos);
            EXPECT_EQ(server.resources.at(lunch).text, event("Lunch, moved on the phone"));
        }
    }
    EXPECT_EQ(server.resources.count(std::string(kCalendar) + "sleep.ics"), 0U);
    EXPECT_EQ(server.resources.count(work), 0U);
    EXPECT_NE(server.resources.at(lunch).text.find("Lunch at two"), std::string::npos);
    EXPECT_NE(server.resources.at(gym).text.find("Gym at seven"), std::string::npos);
}

// A publish that stopped before it kept what it did is done again: what it sent is known as the
// planner's own, however the server rewrote it, and never sent twice.
TEST(CalDavPublish, APublishDoneAgainTakesWhatItSentBefore) {
    CalendarServer server;
    const std::map<std::string, std::string> plan = {{"work", event("Work")},
                                                     {"lunch", event("Lunch")}};
    const Published lost = publish(server, {}, plan);
    ASSERT_EQ(lost.puts, 2);
    for (auto& [url, held] : server.resources) {
        held.text = "BEGIN:VCALENDAR\r\nPRODID:rewritten\r\n" + held.text.substr(17);
    }
    server.resources[std::string(kCalendar) + "gym.ics"] = {"\"other\"", event("Gym")};
    const Published again = publish(
        server, {}, {{"work", event("Work")}, {"lunch", event("Lunch")}, {"gym", event("Gym")}});
    EXPECT_EQ(again.state.published.size(), 2U);
    EXPECT_EQ(again.puts, 0);
    ASSERT_EQ(again.state.conflicts.size(), 1U);
    EXPECT_EQ(again.state.conflicts.begin()->first, "gym");
    EXPECT_EQ(server.resources.size(), 3U);
    EXPECT_EQ(publish(server, again.state, plan).puts, 0);
}

TEST(CalDavPublish, AServerFaultStopsThePublishKeepingWhatWasDone) {
    CalendarServer server;
    CalDavPublish publishing(kCalendar, {}, {{"a", event("A")}, {"b", event("B")}});
    ASSERT_TRUE(publishing.take(server.answer(publishing.request())));
    try {
        publishing.take({503});
        ADD_FAILURE() << "taken";
    } catch (const DavError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The server answered 503 to the PUT of " + std::string(kCalendar) + "b.ics.");
    }
    ASSERT_EQ(publishing.state().published.size(), 1U);
    EXPECT_EQ(publishing.state().published.begin()->first, "a");
    EXPECT_EQ(contentHash(event("A")), contentHash(event("A", "20300101T000000Z")));
    EXPECT_NE(contentHash(event("A")), contentHash(event("B")));
}

// What the user compares of two versions in conflict: a series with its days left out and
// changed, one across midnight, one gone and one that cannot be read.
TEST(ConflictVersion, SaysWhatEachVersionHolds) {
    struct Case {
        std::string text;
        ConflictVersion expected;
    };
    const Case cases[] = {
        {test::calendar(
             "BEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261207T090000\r\n"
             "DTEND:20261207T120000\r\nRRULE:FREQ=DAILY;UNTIL=20261218T090000;BYDAY=MO,TU,WE,TH,"
             "FR\r\nEXDATE:20261209T090000\r\nSUMMARY:Work\r\nDESCRIPTION:Focus\\nday\r\n"
             "X-KALVO-PLANNED-START:20261207T090000\r\nX-KALVO-PLANNED-END:20261207T110000\r\n"
             "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:w\r\nDTSTAMP:20261201T000000Z\r\n"
             "RECURRENCE-ID:20261210T090000\r\nDTSTART:20261210T100000\r\n"
             "DTEND:20261210T120000\r\nSUMMARY:Work\r\nEND:VEVENT\r\n"),
         {"Work", "2026-12-07 09:00-12:00",
          "Weekdays until 2026-12-18, 1 day left out, 1 day changed", "09:00-11:00", "Focus\nday"}},
        {test::calendar("BEGIN:VEVENT\r\nUID:n\r\nDTSTAMP:20261201T000000Z\r\n"
                        "DTSTART:20261207T230000\r\nDTEND:20261208T013000\r\nSUMMARY:Release\r\n"
                        "END:VEVENT\r\n"),
         {"Release", "2026-12-07 23:00-2026-12-08 01:30", "Once", "", ""}},
        {"", {"Not there", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        const ConflictVersion version = conflictVersionOf(c.text, "Europe/Berlin");
        EXPECT_EQ(std::tie(version.summary, version.when, version.repeats, version.planned,
                           version.comment),
                  std::tie(c.expected.summary, c.expected.when, c.expected.repeats,
                           c.expected.planned, c.expected.comment));
    }
    EXPECT_TRUE(conflictVersionOf("BEGIN:VCALENDAR\r\nnonsense", "Europe/Berlin")
                    .summary.starts_with("Cannot be read: "));
}

}  // namespace
}  // namespace kalvo
