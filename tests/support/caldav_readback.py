#!/usr/bin/env python3
"""Reads back what the planner published to a CalDAV calendar, as another calendar program
would: the python3-caldav package lists the calendar's events, python3-icalendar reads them and
python3-recurring-ical-events unfolds each series (its rule, left-out days and changed days) into
the occurrences of the dates FROM to TO. Prints one line per occurrence, sorted, its fields
separated by tabs:

    DATE START END PLANNED_START PLANNED_END TYPE COMMENT UID RELATED_TO

DATE is the local date of the start (YYYY-MM-DD); the times are local HH:MM, as `kalvo-db day`
writes them: an end at the next midnight is 24:00. TYPE is the last name of the categories (the
type's path), COMMENT the description with its line breaks written as \\n, UID the event's (a
changed day's is its series'), RELATED_TO the parent appointment's UID; COMMENT and RELATED_TO
may be empty.

    caldav_readback.py URL FROM TO

The user and password are KALVO_CALDAV_USER and KALVO_CALDAV_PASSWORD (ann and secret)."""
import datetime
import os
import sys

import caldav
import icalendar
import recurring_ical_events


def clock(moment, day):
    """HH:MM of a local time counted from the start of `day`, the next midnight as 24:00."""
    if moment.date() > day and moment.time() == datetime.time(0):
        return "24:00"
    return moment.strftime("%H:%M")


def planned(event, name):
    """The local time of a planned start or end, which python3-icalendar leaves as text."""
    return datetime.datetime.strptime(str(event[name])[:15], "%Y%m%dT%H%M%S")


def occurrence_line(event):
    """The line of one occurrence, as the module's description has it."""
    start, end = event.decoded("DTSTART"), event.decoded("DTEND")
    planned_start = planned(event, "X-KALVO-PLANNED-START")
    planned_end = planned(event, "X-KALVO-PLANNED-END")
    return "\t".join([
        start.date().isoformat(),
        clock(start, start.date()),
        clock(end, start.date()),
        clock(planned_start, planned_start.date()),
        clock(planned_end, planned_start.date()),
        str(event["CATEGORIES"].cats[-1]),
        str(event.get("DESCRIPTION", "")).replace("\n", "\\n"),
        str(event["UID"]),
        str(event.get("RELATED-TO", "")),
    ])


def occurrences(calendar, first, last):
    """The events of `calendar` that start on the dates `first` to `last`, each series unfolded.

    python3-recurring-ical-events 2.0.1 holds a rule's UNTIL against the series' times at its
    first day's UTC offset, so a series that runs into summer time loses its last day; each
    rule runs a day longer there, and the series' own UNTIL is applied here."""
    untils = {}
    for event in calendar.walk("VEVENT"):
        rule = event.get("RRULE")
        if rule and "UNTIL" in rule:
            untils[str(event["UID"])] = rule["UNTIL"][0]
            rule["UNTIL"] = [rule["UNTIL"][0] + datetime.timedelta(days=1)]
    for event in recurring_ical_events.of(calendar).between(
            first, last + datetime.timedelta(days=1)):
        start = event.decoded("DTSTART")
        until = untils.get(str(event["UID"]))
        if "RECURRENCE-ID" not in event and until is not None and start > until:
            continue
        # An occurrence of the evening before that lasts past midnight is not of the range.
        if first <= start.date() <= last:
            yield event


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: caldav_readback.py URL FROM TO")
    url = sys.argv[1]
    first, last = (datetime.date.fromisoformat(argument) for argument in sys.argv[2:])
    client = caldav.DAVClient(url, username=os.environ.get("KALVO_CALDAV_USER", "ann"),
                              password=os.environ.get("KALVO_CALDAV_PASSWORD", "secret"))
    lines = []
    # Each resource is one appointment: its series and the days that differ from it.
    for resource in caldav.Calendar(client=client, url=url).events():
        calendar = icalendar.Calendar.from_ical(resource.data)
        lines += (occurrence_line(event) for event in occurrences(calendar, first, last))
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    try:
        main()
    except Exception as error:
        sys.exit(f"caldav_readback.py: {type(error).__name__}: {error}")
