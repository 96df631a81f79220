#!/usr/bin/env python3
"""Changes one event of a CalDAV calendar as a phone's calendar program would: the python3-caldav
package finds it by its UID, python3-icalendar gives it a new summary and start and end times
moved by the minutes given, and it is saved back over the copy read.

    caldav_edit.py URL UID SUMMARY MINUTES

The user and password are KALVO_CALDAV_USER and KALVO_CALDAV_PASSWORD (ann and secret)."""
import datetime
import os
import sys

import caldav


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: caldav_edit.py URL UID SUMMARY MINUTES")
    url, uid, summary, minutes = sys.argv[1:]
    client = caldav.DAVClient(url, username=os.environ.get("KALVO_CALDAV_USER", "ann"),
                              password=os.environ.get("KALVO_CALDAV_PASSWORD", "secret"))
    event = caldav.Calendar(client=client, url=url).event_by_uid(uid)
    calendar = event.icalendar_instance
    moved = datetime.timedelta(minutes=int(minutes))
    for component in calendar.walk("VEVENT"):
        component["SUMMARY"] = summary
        for name in ("DTSTART", "DTEND"):
            component[name].dt += moved
    event.icalendar_instance = calendar
    event.save()


if __name__ == "__main__":
    try:
        main()
    except Exception as error:
        sys.exit(f"caldav_edit.py: {type(error).__name__}: {error}")
