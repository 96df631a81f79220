#!/usr/bin/env python3
"""Reads the CSV files of `kalvo-db csv` back with Python's own csv module: the occurrences must
be those `kalvo-db day` lists for every date of the range, a comment with commas, quotes and a
line break must come back whole, and the time split must add up to the range.

    csv_readback.py KALVO_DB MAKE_SAMPLE_DATABASE"""
import csv
import datetime
import io
import pathlib
import subprocess
import sys
import tempfile

COMMENT = 'Call Ann, then "Bob"\r\nabout the plan'
FIRST, LAST = datetime.date(2026, 12, 5), datetime.date(2026, 12, 9)


def run(*arguments):
    return subprocess.run(arguments, check=True, capture_output=True).stdout


def main():
    kalvo_db, make_sample = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch) / "db"
        subprocess.run([sys.executable, make_sample, str(folder), "2026-12-07"], check=True)
        # The Work series (row 0) gets a comment that CSV must quote.
        data = (folder / "EventData.xml").read_text(encoding="latin-1")
        escaped = COMMENT.replace('"', "&quot;").replace("\r", "&#013;").replace("\n", "&#010;")
        row = data.index('<ROW RowState="4" Id="0" ')
        comment = data.index('Comment=""', row)
        data = data[:comment] + f'Comment="{escaped}"' + data[comment + len('Comment=""'):]
        (folder / "EventData.xml").write_text(data, encoding="latin-1")

        out = pathlib.Path(scratch) / "occurrences.csv"
        run(kalvo_db, "csv", str(folder), FIRST.isoformat(), LAST.isoformat(), "occurrences", str(out))
        with out.open(newline="", encoding="utf-8") as file:
            header, *records = list(csv.reader(file))
        assert header[0] == "Date" and header[-1] == "Comment", header

        day = FIRST
        while day <= LAST:
            listed = [line.split("\t") for line in
                      run(kalvo_db, "day", str(folder), day.isoformat()).decode().splitlines()]
            expected = [(fields[3], fields[4], fields[5], fields[6], fields[7])
                        for fields in listed if fields[8] != "deleted"]
            exported = [(r[1].split("/")[-1], r[2], r[3], r[4], r[5])
                        for r in records if r[0] == day.isoformat()]
            assert exported == expected, (day, exported, expected)
            day += datetime.timedelta(days=1)

        works = [r for r in records if r[1] == "Work"]
        assert works and all(r[8] == COMMENT for r in works), works
        assert any(r[3] == "24:00" for r in records), "an end at midnight is 24:00"
        for r in records:
            start, end = (int(t[:2]) * 60 + int(t[3:]) for t in (r[2], r[3]))
            assert int(r[6]) == end - start, r

        split = run(kalvo_db, "csv", str(folder), FIRST.isoformat(), LAST.isoformat(), "timesplit")
        header, *slices = list(csv.reader(io.StringIO(split.decode("utf-8"), newline="")))
        assert header == ["Type", "Hours", "Share (%)", "Colour"], header
        days = (LAST - FIRST).days + 1
        assert abs(sum(float(s[1]) for s in slices) - 24 * days) < 0.05, slices
        assert abs(sum(float(s[2]) for s in slices) - 100) < 0.05, slices
        assert slices[-1][0] == "Not Specified" and slices[-1][3] == "#808080", slices
    print("csv read back: all checks passed")


if __name__ == "__main__":
    main()
