#pragma once

#include <string>
#include <utility>
#include <vector>

#include "calendars/WebDav.h"

namespace kalvo {

// One request of a conversation with a CalDAV server, as the network adapter sends it; the
// adapter follows redirects itself, sending the method and its body again.
struct DavRequest {
    std::string method;  // PROPFIND, REPORT, PUT or DELETE
    std::string url;
    int depth = 0;  // -1: no Depth header
    std::string body;
    std::string contentType = "application/xml; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers{};  // If-Match, If-None-Match
};

// The answer to a request, after redirects.
struct DavReply {
    int status = 0;
    std::string body{};
    // The address that answered, which its hrefs are relative to; empty: the request's.
    std::string url{};
    std::string etag{};  // the ETag header of the answer to a PUT
};

struct DiscoveredCalendar {
    std::string url;
    std::string name;   // its display name, else the last part of its address
    std::string color;  // "#RRGGBB" or "#RRGGBBAA" as the server gave it; empty for none
};

// Finds the calendars of an account from the address the user gave: a server (its
// /.well-known/caldav is asked first), a principal, a home set or one calendar. The steps are
// decided here; the adapter only sends request() and hands each reply to take().
class CalDavDiscovery {
public:
    explicit CalDavDiscovery(const std::string& address);

    const DavRequest& request() const { return request_; }
    // Takes the reply to request(). True when another request follows; false when the
    // calendars are found. Fails with DavError saying why the account cannot be used.
    bool take(const DavReply& reply);

    const std::vector<DiscoveredCalendar>& calendars() const { return calendars_; }
    // The collection that holds the account's calendars; empty when the address was one calendar.
    const std::string& home() const { return home_; }

private:
    enum class Stage { wellKnown, address, principal, home };
    void ask(Stage stage, std::string url, int depth);

    std::string address_;
    Stage stage_ = Stage::address;
    DavRequest request_;
    std::string home_;
    std::vector<DiscoveredCalendar> calendars_;
};

// Makes the calendar "Kalvo Planner" in the account at `address`, for the planner to publish to:
// the account's home is found as its calendars are, then asked to make the calendar. One made
// before at the same place is taken as it is.
class CalDavCalendarMaker {
public:
    explicit CalDavCalendarMaker(const std::string& address);

    const DavRequest& request() const { return making_ ? make_ : discovery_.request(); }
    // Takes the reply to request(). True when another request follows; false when the calendar
    // is there. Fails with DavError saying why none can be made.
    bool take(const DavReply& reply);

    const DiscoveredCalendar& made() const { return made_; }

private:
    CalDavDiscovery discovery_;
    bool making_ = false;
    DavRequest make_;
    int failedStatus_ = 0;  // the answer to the MKCALENDAR, when it made none
    DiscoveredCalendar made_;
};

// `href` of an answer to a request for `base`, as an absolute URL.
std::string resolveHref(const std::string& base, const std::string& href);

}  // namespace kalvo
