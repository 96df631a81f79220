#include "calendars/CalDavPublish.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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
            return {held == resources.end() ? 404 : 412};
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
    std::vector<PublishConflict> conflicts;
    int puts = 0;
    int deletes = 0;
};

Published publish(CalendarServer& server, const PublishState& state,
                  const std::map<std::string, std::string>& resources) {
    server.requests = 0;
    CalDavPublish publishing(kCalendar, state, resources);
    while (publishing.pending() && publishing.take(server.answer(publishing.request()))) {
    }
    return {publishing.state(), publishing.conflicts(), publishing.puts(), publishing.deletes()};
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
        {"changed on a phone, then here: the phone's copy stays",
         [&] {
             server.resources[lunch] = {"\"phone\"", event("Lunch, moved on the phone")};
             plan["lunch"] = event("Lunch at noon");
         },
         1,
         0,
         0,
         {"lunch"}},
        {"made on the server by another program with the same UID",
         [&] {
             server.resources[std::string(kCalendar) + "gym.ics"] = {"\"other\"", event("Gym")};
             plan["gym"] = event("Gym");
         },
         // The gym's PUT refused, then the server's copy fetched: not the planner's.
         3, 0, 0, {"gym", "lunch"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        published = publish(server, published.state, plan);
        EXPECT_EQ(server.requests, step.requests);
        EXPECT_EQ(published.puts, step.puts);
        EXPECT_EQ(published.deletes, step.deletes);
        std::vector<std::string> conflicts;
        for (const PublishConflict& conflict : published.conflicts) {
            conflicts.push_back(conflict.uid);
        }
        EXPECT_EQ(conflicts, step.conflicts);
    }
    EXPECT_EQ(server.resources.at(lunch).text, event("Lunch, moved on the phone"));
    EXPECT_EQ(server.resources.count(std::string(kCalendar) + "sleep.ics"), 0U);
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
    EXPECT_EQ(again.state.size(), 2U);
    EXPECT_EQ(again.puts, 0);
    ASSERT_EQ(again.conflicts.size(), 1U);
    EXPECT_EQ(again.conflicts[0].uid, "gym");
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
    ASSERT_EQ(publishing.state().size(), 1U);
    EXPECT_EQ(publishing.state().begin()->first, "a");
    EXPECT_EQ(contentHash(event("A")), contentHash(event("A", "20300101T000000Z")));
    EXPECT_NE(contentHash(event("A")), contentHash(event("B")));
}

}  // namespace
}  // namespace kalvo
