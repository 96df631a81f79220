#include "calendars/CalDavDiscovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalvo {
namespace {

// A multistatus with `responses`, its namespaces bound to prefixes as a server may choose.
std::string multistatus(const std::string& responses) {
    return "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\" "
           "xmlns:C=\"urn:ietf:params:xml:ns:caldav\" xmlns:A=\"http://apple.com/ns/ical/\">" +
           responses + "</D:multistatus>";
}

std::string response(const std::string& href, const std::string& properties) {
    return "<D:response><D:href>" + href + "</D:href><D:propstat><D:prop>" + properties +
           "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat><D:propstat><D:prop>"
           "<D:getetag/></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
           "</D:response>";
}

TEST(WebDav, AMultistatusIsReadByNamespaceWhateverThePrefixes) {
    // The same answer with the default namespace and with other prefixes.
    const std::string defaultNamespace =
        "<multistatus xmlns=\"DAV:\"><sync-token>http://x/sync/7</sync-token><response>"
        "<href>/cal/work/</href><propstat><prop><displayname> Work </displayname><resourcetype>"
        "<collection/><cal:calendar xmlns:cal=\"urn:ietf:params:xml:ns:caldav\"/></resourcetype>"
        "</prop><status>HTTP/1.1 200 OK</status></propstat></response><response>"
        "<href>/cal/gone.ics</href><status>HTTP/1.1 404 Not Found</status></response>"
        "</multistatus>";
    const MultiStatus read = parseMultiStatus(defaultNamespace);
    EXPECT_EQ(read.syncToken, "http://x/sync/7");
    ASSERT_EQ(read.responses.size(), 2U);
    EXPECT_EQ(read.responses[0].href, "/cal/work/");
    EXPECT_EQ(read.responses[0].property("{DAV:}displayname")->text, "Work");
    EXPECT_TRUE(read.responses[0].isA("{urn:ietf:params:xml:ns:caldav}calendar"));
    EXPECT_EQ(read.responses[1].status, 404);
    EXPECT_EQ(read.responses[1].property("{DAV:}displayname"), nullptr);

    const MultiStatus prefixed =
        parseMultiStatus(multistatus(response("/p/", "<D:getetag>\"e1\"</D:getetag>")));
    EXPECT_EQ(prefixed.responses.at(0).property("{DAV:}getetag")->text, "\"e1\"");
    EXPECT_EQ(prefixed.responses.at(0).property("{DAV:}getetag")->text.size(), 4U);
    EXPECT_THROW(parseMultiStatus("<html><body>Radicale works!</body></html>"), DavError);
    EXPECT_THROW(parseMultiStatus("not xml"), DavError);
    EXPECT_EQ(statusOf("HTTP/1.1 207 Multi-Status"), 207);
    EXPECT_EQ(statusOf("nonsense"), 0);
}

// Each step of a conversation: the request the discovery makes, and the reply it gets.
struct Step {
    std::string url;
    int depth;
    DavReply reply;
};

struct Conversation {
    const char* what;
    std::string address;
    std::vector<Step> steps;
    std::vector<std::string> calendars;  // url and name
};

TEST(CalDavDiscovery, FindsTheCalendarsFromAServerAPrincipalOrACalendar) {
    const std::string home = multistatus(
        response("/ann/", "<D:resourcetype><D:collection/></D:resourcetype>") +
        response("/ann/work/",
                 "<D:resourcetype><D:collection/><C:calendar/></D:resourcetype>"
                 "<D:displayname>Work</D:displayname><A:calendar-color>#3A7AC0FF"
                 "</A:calendar-color>") +
        response("/ann/tasks/",
                 "<D:resourcetype><D:collection/><C:calendar/></D:resourcetype>"
                 "<C:supported-calendar-component-set><C:comp name=\"VTODO\"/>"
                 "</C:supported-calendar-component-set>") +
        response("/ann/family/", "<D:resourcetype><D:collection/><C:calendar/></D:resourcetype>") +
        response("/ann/contacts/", "<D:resourcetype><D:collection/></D:resourcetype>"));
    const std::string principal =
        multistatus(response("/",
                             "<D:current-user-principal><D:href>/ann/</D:href>"
                             "</D:current-user-principal>"));
    const std::string homeSet = multistatus(
        response("/ann/", "<C:calendar-home-set><D:href>/ann/</D:href></C:calendar-home-set>"));
    const std::vector<std::string> both = {"http://127.0.0.1:5232/ann/work/ Work",
                                           "http://127.0.0.1:5232/ann/family/ family"};
    const Conversation conversations[] = {
        {"a server root, through its well-known address",
         "http://127.0.0.1:5232",
         {{"http://127.0.0.1:5232/.well-known/caldav", 0, {207, principal}},
          {"http://127.0.0.1:5232/ann/", 0, {207, homeSet}},
          {"http://127.0.0.1:5232/ann/", 1, {207, home}}},
         both},
        {"a server without the well-known address",
         "http://127.0.0.1:5232/",
         {{"http://127.0.0.1:5232/.well-known/caldav", 0, {404, "Not Found"}},
          {"http://127.0.0.1:5232/", 0, {207, principal}},
          {"http://127.0.0.1:5232/ann/", 0, {207, homeSet}},
          {"http://127.0.0.1:5232/ann/", 1, {207, home}}},
         both},
        {"one calendar's address",
         "http://127.0.0.1:5232/ann/work/",
         {{"http://127.0.0.1:5232/ann/work/",
           0,
           {207, multistatus(response("/ann/work/",
                                      "<D:resourcetype><C:calendar/></D:resourcetype>"
                                      "<D:displayname>Work</D:displayname>"))}}},
         {"http://127.0.0.1:5232/ann/work/ Work"}},
    };
    for (const Conversation& c : conversations) {
        SCOPED_TRACE(c.what);
        CalDavDiscovery discovery(c.address);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            EXPECT_EQ(discovery.request().method, "PROPFIND");
            EXPECT_EQ(discovery.request().url, c.steps[i].url) << i;
            EXPECT_EQ(discovery.request().depth, c.steps[i].depth) << i;
            EXPECT_EQ(discovery.take(c.steps[i].reply), i + 1 < c.steps.size()) << i;
        }
        std::vector<std::string> found;
        for (const DiscoveredCalendar& calendar : discovery.calendars()) {
            found.push_back(calendar.url + " " + calendar.name);
        }
        EXPECT_EQ(found, c.calendars);
    }
    CalDavDiscovery colored("http://127.0.0.1:5232");
    for (const std::string& body : {principal, homeSet, home}) {
        colored.take({207, body});
    }
    EXPECT_EQ(colored.calendars().at(0).color, "#3A7AC0FF");
}

TEST(CalDavDiscovery, SaysWhyAnAccountCannotBeUsed) {
    struct Case {
        const char* what;
        DavReply reply;
        std::string error;
    };
    const Case cases[] = {
        {"a wrong password", {401, ""}, "The server refused the user name or the password."},
        {"a web page",
         {200, "<html/>"},
         "The server answered 200 to https://example.test/ann/: it is no CalDAV server there."},
        {"neither a principal nor a calendar",
         {207, multistatus(response("/ann/", "<D:displayname>Ann</D:displayname>"))},
         "There is no CalDAV account or calendar at https://example.test/ann/."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CalDavDiscovery discovery("https://example.test/ann/");
        try {
            discovery.take(c.reply);
            ADD_FAILURE() << "taken";
        } catch (const DavError& error) {
            EXPECT_EQ(std::string(error.what()), c.error);
        }
    }
    EXPECT_EQ(resolveHref("https://h:8443/a/b/", "c/"), "https://h:8443/a/b/c/");
    EXPECT_EQ(resolveHref("https://h:8443/a/b/", "/x/"), "https://h:8443/x/");
    EXPECT_EQ(resolveHref("https://h/a/", "http://other/y"), "http://other/y");
}

}  // namespace
}  // namespace kalvo
