#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo {

// What a WebDAV server answers (RFC 4918), as CalDAV (RFC 4791) uses it: a multistatus of one
// response per resource, with its properties. Elements are named by namespace and local name in
// Clark's notation, whatever prefixes the server chose: "{DAV:}displayname",
// "{urn:ietf:params:xml:ns:caldav}calendar-home-set", "{http://apple.com/ns/ical/}calendar-color".

inline constexpr std::string_view kDav = "{DAV:}";
inline constexpr std::string_view kCalDav = "{urn:ietf:params:xml:ns:caldav}";
inline constexpr std::string_view kAppleIcal = "{http://apple.com/ns/ical/}";

class DavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One property of a resource as the server gave it with status 200.
struct DavProperty {
    std::string text;                   // its text, trimmed (a display name, a colour, an ETag)
    std::vector<std::string> hrefs;     // the hrefs inside it (a principal, a home set)
    std::vector<std::string> children;  // the names of its elements (a resource's types)
    std::vector<std::string> nameAttributes;  // their name attributes (<comp name="VEVENT"/>)
};

struct DavResponse {
    std::string href;
    int status = 200;  // the response's own status, else 200 when it has properties
    std::map<std::string, DavProperty> properties;

    const DavProperty* property(std::string_view name) const;
    // Whether its resource type holds `name` ("{urn:ietf:params:xml:ns:caldav}calendar").
    bool isA(std::string_view name) const;
};

struct MultiStatus {
    std::vector<DavResponse> responses;
    std::string syncToken;  // of a sync-collection report
};

// Reads a 207 answer. Fails with DavError when it is no XML or no multistatus.
MultiStatus parseMultiStatus(std::string_view xml);

// The status code of an HTTP status line ("HTTP/1.1 404 Not Found" gives 404), 0 for none.
int statusOf(std::string_view statusLine);

}  // namespace kalvo
