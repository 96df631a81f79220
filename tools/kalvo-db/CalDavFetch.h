#pragma once

#include <string>

namespace kalvo {

// The events of the CalDAV calendar at `url` as one iCalendar text, synced whole as the program
// syncs it, as the user `user`. The password comes from the environment variable
// KALVO_CALDAV_PASSWORD, else it is asked on the terminal. Fails with the reason.
std::string fetchCalDavCalendar(const std::string& url, const std::string& user);

}  // namespace kalvo
