#!/usr/bin/env python3
"""Writes a small planner database with appointments into a folder, for trying the program:
daily series with and without weekends, a sub-appointment, one-day rows and a deleted day.

    scripts/make-sample-database.py FOLDER [YYYY-MM-DD]

The types come from the starter database in data/; the date (default today) is the first
day of the series."""
import datetime
import pathlib
import re
import sys

EPOCH = datetime.date(1899, 12, 30)


def stamp(day, minutes):
    moment = datetime.datetime.combine(day, datetime.time()) + datetime.timedelta(minutes=minutes)
    if minutes == 0:
        return moment.strftime("%Y%m%d")
    return moment.strftime("%Y%m%dT%H:%M:") + "%05d" % (moment.second * 1000)


def with_rows(template, rows):
    head = template[: template.index("<ROWDATA>") + len("<ROWDATA>")]
    body = "".join("<ROW RowState=\"4\" " + " ".join(f'{k}="{v}"' for k, v in row.items()) + "/>"
                   for row in rows)
    log = " ".join(f"{n} 0 4" for n in range(1, len(rows) + 1))
    head = re.sub(r"<PARAMS[^>]*/>", f'<PARAMS CHANGE_LOG="{log}"/>' if rows else "<PARAMS/>", head)
    return head + body + "</ROWDATA></DATAPACKET>"


def main():
    folder = pathlib.Path(sys.argv[1])
    first = datetime.date.fromisoformat(sys.argv[2]) if len(sys.argv) > 2 else datetime.date.today()
    data = pathlib.Path(__file__).resolve().parent.parent / "data"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "Type.xml").write_bytes((data / "Type.xml").read_bytes())

    # id, type, parent, start minute, end minute, days (None: open-ended), exclude weekends
    appointments = [
        (0, 0, -1, 9 * 60, 12 * 60, None, True),       # Work, every weekday
        (1, 1, 0, 10 * 60, 10 * 60 + 30, None, True),  # Meeting inside Work
        (2, 3, -1, 12 * 60 + 30, 13 * 60 + 15, None, False),  # Lunch, every day
        (3, 4, -1, 18 * 60, 19 * 60, 1, False),        # Exercise, one day
        (4, 6, -1, 22 * 60 + 30, 24 * 60, None, False),  # Sleep, every day
        (5, 2, -1, 14 * 60, 16 * 60, 1, False),        # Study, one day
    ]
    events, rows = [], []
    for ident, type_id, parent, start, end, days, weekends in appointments:
        last = first + datetime.timedelta(days=days - 1) if days else None
        event = {"Id": ident, "TypeId": type_id}
        if parent >= 0:
            event["ParentEventId"] = parent
        event.update({"StartDate": stamp(first, 0), "EndDate": stamp(last, 0) if last else "18991230",
                      "StartTime": "18991230", "EndTime": "18991230",
                      "ExcludeWeekends": "TRUE" if weekends else "FALSE",
                      "RepeatType": 0, "RepeatValue": 0})
        events.append(event)
        parent_start = appointments[parent][3] if parent >= 0 else 0
        delta = round((start - parent_start) * 0.4) if parent >= 0 else round(start * 0.4)
        rows.append({"Id": ident, "EventId": ident, "StartDate": stamp(first, 0),
                     "EndDate": stamp(last, 0) if last else "18991230",
                     "StartTime": stamp(first, start), "EndTime": stamp(first, end),
                     "RepeatType": 0, "RepeatValue": 0, "Comment": "",
                     "ExcludeWeekends": "TRUE" if weekends else "FALSE",
                     "OriginalStartTime": stamp(first, start), "OriginalEndTime": stamp(first, end),
                     "OriginalCompleted": "FALSE", "OriginalImportance": 0, "OriginalProgress": 0,
                     "OriginalComment": "", "OriginalFlags": 0, "Deleted": "FALSE",
                     "StartDelta": delta, "OriginalStartDelta": delta})
    (folder / "Event.xml").write_text(with_rows((data / "Event.xml").read_text(), events))
    (folder / "EventData.xml").write_text(with_rows((data / "EventData.xml").read_text(), rows))


if __name__ == "__main__":
    main()
