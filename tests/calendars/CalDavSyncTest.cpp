#include "calendars/CalDavSync.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kalvo {

static void PrintTo(const CachedResource& resource, std::ostream* out) {
    *out << resource.etag << " " << resource.data;
}

namespace {

// A calendar collection as a CalDAV server keeps it, answering the requests a sync makes: a
// sync-collection report for the changes since a token it issued, a PROPFIND of every ETag and a
// calendar-multiget. It may refuse tokens, as servers do after losing their change history.
class CalendarServer {
public:
    static constexpr const char* kUrl = "http://127.0.0.1:5232/ann/work/";

    void put(const std::string& name, const std::string& data) {
        resources_[href(name)] = {"\"" + std::to_string(++version_) + "\"", data};
        changes_.push_back(href(name));
    }
    void remove(const std::string& name) {
        resources_.erase(href(name));
        changes_.push_back(href(name));
    }
    void forgetTokens() { tokensFrom_ = changes_.size(); }

    CalendarCache contents() const {
        CalendarCache held;
        held.resources = resources_;
        return held;
    }

    DavReply answer(const DavRequest& request) {
        ++requests;
        if (request.method == "PROPFIND" && request.depth == 1) {
            std::string body =
                response("/ann/work/", "<d:sync-token>" + token() + "</d:sync-token>");
            for (const auto& [href, resource] : resources_) {
                body += response(href, "<d:getetag>" + resource.etag + "</d:getetag>");
            }
            return {207, multistatus(body)};
        }
        if (request.body.find("sync-collection") != std::string::npos) {
            const std::size_t open = request.body.find("<d:sync-token>") + 14;
            const std::string asked =
                request.body.substr(open, request.body.find('<', open) - open);
            std::size_t from = 0;
            if (!asked.empty()) {
                const std::size_t number = std::stoul(asked.substr(asked.rfind('/') + 1));
                if (number < tokensFrom_ || number > changes_.size()) {
                    return {403, "<error xmlns=\"DAV:\"><valid-sync-token/></error>"};
                }
                from = number;
            }
            std::map<std::string, bool> touched;
            for (std::size_t i = from; i < changes_.size(); ++i) {
                touched[changes_[i]] = true;
            }
            std::string body;
            for (const auto& [href, unused] : touched) {
                const auto held = resources_.find(href);
                body += held == resources_.end()
                            ? "<d:response><d:href>" + href +
                                  "</d:href><d:status>HTTP/1.1 404 Not Found</d:status>"
                                  "</d:response>"
                            : response(href, "<d:getetag>" + held->second.etag + "</d:getetag>");
            }
            return {207, multistatus(body + "<d:sync-token>" + token() + "</d:sync-token>")};
        }
        ++multigets;
        std::string body;
        for (std::size_t at = request.body.find("<d:href>"); at != std::string::npos;
             at = request.body.find("<d:href>", at + 1)) {
            const std::string href =
                request.body.substr(at + 8, request.body.find('<', at + 8) - at - 8);
            const auto held = resources_.find(href);
            body += held == resources_.end()
                        ? "<d:response><d:href>" + href +
                              "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
                        : response(href, "<d:getetag>" + held->second.etag +
                                             "</d:getetag><c:calendar-data>" + held->second.data +
                                             "</c:calendar-data>");
        }
        return {207, multistatus(body)};
    }

    int requests = 0;
    int multigets = 0;

private:
    static std::string href(const std::string& name) { return "/ann/work/" + name + ".ics"; }
    std::string token() const { return "http://127.0.0.1/sync/" + std::to_string(changes_.size()); }
    static std::string response(const std::string& href, const std::string& properties) {
        return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + properties +
               "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
    }
    static std::string multistatus(const std::string& body) {
        return "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">" + body +
               "</d:multistatus>";
    }

    std::map<std::string, CachedResource> resources_;
    std::vector<std::string> changes_;
    std::size_t tokensFrom_ = 0;
    int version_ = 0;
};

// Syncs `cache` with the server, as the adapter carries it; the failure's reason if it fails.
std::optional<std::string> sync(CalendarServer& server, CalendarCache& cache) {
    server.requests = server.multigets = 0;
    CalDavSync sync(CalendarServer::kUrl, cache);
    try {
        while (sync.take(server.answer(sync.request()))) {
        }
    } catch (const DavError& error) {
        return error.what();
    }
    cache = sync.result();
    return std::nullopt;
}

// Its lines end as a server's XML gives them, with LF alone.
std::string event(int n) {
    return "BEGIN:VCALENDAR\nUID:" + std::to_string(n) + "\nEND:VCALENDAR";
}

TEST(CalDavSync, FetchesOnlyWhatChangedAndIdlesInOneRequest) {
    CalendarServer server;
    for (int n = 0; n < 600; ++n) {
        server.put("e" + std::to_string(n), event(n));
    }
    CalendarCache cache;
    ASSERT_EQ(sync(server, cache), std::nullopt);
    EXPECT_EQ(cache.resources, server.contents().resources);
    // The sync-collection, then 600 events in batches.
    EXPECT_EQ(server.requests, 1 + 3);

    struct Step {
        const char* what;
        std::function<void()> change;
        int requests;
        int multigets;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, 1, 0},
        {"one added, one changed, one deleted",
         [&] {
             server.put("new", event(1000));
             server.put("e1", event(1001));
             server.remove("e2");
         },
         2, 1},
        {"only deleted", [&] { server.remove("e3"); }, 1, 0},
        {"the token refused: every ETag is compared",
         [&] {
             server.put("e4", event(1004));
             server.forgetTokens();
         },
         3, 1},
        {"after a refused token, the new one is used", [&] { server.put("e5", event(1005)); }, 2,
         1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        ASSERT_EQ(sync(server, cache), std::nullopt);
        EXPECT_EQ(cache.resources, server.contents().resources);
        EXPECT_EQ(server.requests, step.requests);
        EXPECT_EQ(server.multigets, step.multigets);
    }
}

TEST(CalDavSync, AFailureLeavesTheCacheAsItWasAndSaysWhy) {
    CalendarServer server;
    server.put("a", event(1));
    CalendarCache cache;
    ASSERT_EQ(sync(server, cache), std::nullopt);
    const CalendarCache before = cache;
    server.put("b", event(2));
    struct Case {
        const char* what;
        int failingRequest;  // 0: the first
        DavReply reply;
        std::string reason;
    };
    const Case cases[] = {
        {"a wrong password", 0, {401, ""}, "The server refused the user name or the password."},
        {"the calendar gone", 1, {404, ""}, "The calendar is not on the server any more."},
        {"a server error while fetching",
         1,
         {503, ""},
         "The server answered 503 when asked for the events that changed."},
        {"a web page instead of an answer",
         1,
         {207, "<html><body>Hello"},
         "The server's answer is no XML: Start-end tags mismatch."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CalDavSync syncing(CalendarServer::kUrl, cache);
        std::string reason;
        try {
            for (int request = 0;; ++request) {
                const DavReply reply =
                    request == c.failingRequest ? c.reply : server.answer(syncing.request());
                if (!syncing.take(reply)) {
                    break;
                }
            }
        } catch (const DavError& error) {
            reason = error.what();
        }
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(cache, before);
    }
}

TEST(CalDavSync, RandomChangesOnTheServerAreMirroredExactly) {
    CalendarServer server;
    CalendarCache cache;
    std::mt19937 random(26);
    for (int round = 0; round < 200; ++round) {
        const int changes = static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const std::string name = "e" + std::to_string(random() % 40);
            if (random() % 3 == 0) {
                server.remove(name);
            } else {
                server.put(name, event(round * 10 + i));
            }
        }
        if (random() % 10 == 0) {
            server.forgetTokens();
        }
        ASSERT_EQ(sync(server, cache), std::nullopt) << round;
        ASSERT_EQ(cache.resources, server.contents().resources) << round;
        EXPECT_LE(server.multigets, 1) << round;
    }
    EXPECT_NE(calendarTextOf(cache).find("END:VCALENDAR\r\nBEGIN:VCALENDAR"), std::string::npos);
}

}  // namespace
}  // namespace kalvo
