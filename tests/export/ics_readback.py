#!/usr/bin/env python3
"""Reads the iCalendar file of `kalvo-db ics` back with the python3-icalendar package: one event
per occurrence that `kalvo-db day` lists for each date of a range over the change to summer
time, at the same local times with the offset of that date, the type's path as categories, the
type and the comment's first line as summary, the comment as description, the parent as RELATED-TO, the alarms as reminders, and the same UIDs
when the range is exported again.

    ics_readback.py KALVO_DB MAKE_SAMPLE_DATABASE"""
import datetime
import os
import pathlib
import subprocess
import sys
import tempfile

import icalendar

COMMENT = 'Call Ann; then "Bob",\r\nabout the plan'
# Summer time starts in Berlin on 29 March 2026 at 02:00.
FIRST, LAST = datetime.date(2026, 3, 27), datetime.date(2026, 3, 30)
ZONE = "Europe/Berlin"


def run(*arguments):
    environment = dict(os.environ, TZ=ZONE)
    return subprocess.run(arguments, check=True, capture_output=True, env=environment).stdout


def set_attribute(text, row_start, name, value):
    """Sets the attribute `name` of the row that starts with `row_start`."""
    row = text.index(row_start)
    at = text.index(f' {name}="', row) + len(name) + 3
    return text[:at] + value + text[text.index('"', at):]


def add_row(text, attributes):
    row = "<ROW " + " ".join(f'{name}="{value}"' for name, value in attributes.items()) + "/>"
    return text.replace("</ROWDATA>", row + "</ROWDATA>")


def prepare(folder):
    """The Work series (row 0) gets a comment; Work alarms at its start, Lunch at its end. The
    Lunch series is split on the first day of summer time, as an edit applied to the future
    splits it, and Family runs from 23:00 on the first day to 01:00 the next morning, which the
    timeline cuts at midnight."""
    data = (folder / "EventData.xml").read_text(encoding="latin-1")
    escaped = COMMENT.replace('"', "&quot;").replace("\r", "&#013;").replace("\n", "&#010;")
    data = set_attribute(data, '<ROW RowState="4" Id="0" ', "Comment", escaped)
    data = set_attribute(data, '<ROW RowState="4" Id="2" ', "EndDate", "20260328")
    data = add_row(data, {"Id": 6, "EventId": 2, "StartDate": "20260329",
                          "StartTime": "20260329T13:00:00000", "EndTime": "20260329T13:45:00000",
                          "OriginalStartTime": "20260329T12:30:00000",
                          "OriginalEndTime": "20260329T13:15:00000"})
    data = add_row(data, {"Id": 7, "EventId": 6, "StartDate": "20260327", "EndDate": "20260327",
                          "StartTime": "20260327T23:00:00000", "EndTime": "20260328T01:00:00000",
                          "OriginalStartTime": "20260327T23:00:00000",
                          "OriginalEndTime": "20260328T01:00:00000"})
    (folder / "EventData.xml").write_text(data, encoding="latin-1")
    events = (folder / "Event.xml").read_text(encoding="latin-1")
    (folder / "Event.xml").write_text(add_row(events, {"Id": 6, "TypeId": 5}), encoding="latin-1")
    types = (folder / "Type.xml").read_text(encoding="latin-1")
    work = types.index('Name="Work"')
    lunch = types.index('Name="Lunch"')
    types = set_attribute(types, types[types.rindex("<ROW", 0, work):work], "BeforeAlarm", "TRUE")
    types = set_attribute(types, types[types.rindex("<ROW", 0, lunch):lunch], "AfterAlarm", "TRUE")
    (folder / "Type.xml").write_text(types, encoding="latin-1")


def clock(moment, day):
    """HH:MM of a local time on `day`, the next midnight as 24:00."""
    if moment.date() > day and moment.time() == datetime.time(0):
        return "24:00"
    return moment.strftime("%H:%M")


def planned(event, name):
    """The local time of a planned start or end, which the reader leaves as text."""
    return datetime.datetime.strptime(event.decoded(name).decode(), "%Y%m%dT%H%M%S")


def type_of(event):
    """The type of an event: the last name of its categories, the type's path."""
    return str(event["CATEGORIES"].cats[-1])


def main():
    kalvo_db, make_sample = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch) / "db"
        subprocess.run([sys.executable, make_sample, str(folder), "2026-03-26"], check=True)
        prepare(folder)
        out = pathlib.Path(scratch) / "plan.ics"
        run(kalvo_db, "ics", str(folder), FIRST.isoformat(), LAST.isoformat(), str(out))
        calendar = icalendar.Calendar.from_ical(out.read_bytes())
        events = list(calendar.walk("VEVENT"))
        uids = [str(event["UID"]) for event in events]
        assert len(set(uids)) == len(uids), uids

        day = FIRST
        while day <= LAST:
            listed = [line.split("\t") for line in
                      run(kalvo_db, "day", str(folder), day.isoformat()).decode().splitlines()]
            expected = [(f[3], f[4], f[5], f[6], f[7]) for f in listed if f[8] != "deleted"]
            ours = [e for e in events if e.decoded("DTSTART").date() == day]
            exported = [(type_of(e), clock(e.decoded("DTSTART"), day),
                         clock(e.decoded("DTEND"), day),
                         clock(planned(e, "X-KALVO-PLANNED-START"), day),
                         clock(planned(e, "X-KALVO-PLANNED-END"), day)) for e in ours]
            assert exported == expected, (day, exported, expected)
            summer = day >= datetime.date(2026, 3, 29)
            offsets = {e.decoded("DTSTART").utcoffset() for e in ours}
            assert offsets == {datetime.timedelta(hours=2 if summer else 1)}, (day, offsets)
            day += datetime.timedelta(days=1)

        by_uid = {str(e["UID"]): e for e in events}
        for event in events:
            summary = type_of(event)
            categories = [str(c) for c in event["CATEGORIES"].cats]
            # The comment's first line names the event after its type.
            headline = str(event.get("DESCRIPTION", "")).split("\n")[0].strip()
            assert str(event["SUMMARY"]) == (f"{summary}: {headline}" if headline else summary), \
                event
            alarms = [(a.decoded("TRIGGER"), a["TRIGGER"].params.get("RELATED"), str(a["ACTION"]))
                      for a in event.walk("VALARM")]
            if summary == "Meeting":
                assert categories == ["Work", "Meeting"], categories
                parent = by_uid[str(event["RELATED-TO"])]
                assert type_of(parent) == "Work", parent
                assert parent.decoded("DTSTART") <= event.decoded("DTSTART"), event
            else:
                assert categories == [summary] and "RELATED-TO" not in event, event
            if summary == "Work":
                assert str(event["DESCRIPTION"]) == COMMENT.replace("\r\n", "\n"), event
            expected_alarms = {"Work": [(datetime.timedelta(0), "START", "DISPLAY")],
                               "Lunch": [(datetime.timedelta(0), "END", "DISPLAY")]}
            assert alarms == expected_alarms.get(summary, []), (summary, alarms)
        assert {"Work", "Meeting", "Lunch", "Family"} <= {type_of(e) for e in events}
        family = next(e for e in events if type_of(e) == "Family")
        assert family.decoded("DTEND") - family.decoded("DTSTART") == datetime.timedelta(hours=1)
        lunches = [e for e in events if type_of(e) == "Lunch"]
        assert [str(e["UID"]).split("-")[0] for e in lunches] == ["2", "2", "6", "6"], lunches
        assert [e.decoded("DTSTART").strftime("%H:%M") for e in lunches] == \
            ["12:30", "12:30", "13:00", "13:00"], lunches

        again = icalendar.Calendar.from_ical(
            run(kalvo_db, "ics", str(folder), FIRST.isoformat(), LAST.isoformat()))
        assert [str(e["UID"]) for e in again.walk("VEVENT")] == uids
    print("iCalendar read back: all checks passed")


if __name__ == "__main__":
    main()
