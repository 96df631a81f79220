#pragma once

#include "kalvo-db/Commands.h"

namespace kalvo {

// kalvo-db's CalDAV access over the program's own network adapter and cache: a calendar synced
// whole, and publishes that start from and keep the state the program keeps. The password comes
// from the environment variable KALVO_CALDAV_PASSWORD, else it is asked on the terminal.
CalDavAccess networkCalDav();

}  // namespace kalvo
