#pragma once

#include <filesystem>
#include <string>

#include "support/DatabaseFiles.h"

namespace kalvo::test {

// A weekday series with a sub-appointment, an open-ended row off by a minute from the pixel
// grid, a row ending at midnight (from `sleepStart`), and a day deleted from a series.
inline void writeWeekDatabase(const std::filesystem::path& folder,
                              const std::string& sleepStart = "23:00") {
    writeDatabase(
        folder,
        "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" ParentTypeId=\"0\" Name=\"Meeting\"/>"
        "<ROW Id=\"2\" Name=\"Sleep\"/>",
        "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\" ParentEventId=\"0\"/>"
        "<ROW Id=\"2\" TypeId=\"2\"/>",
        // 2026-12-07 is a Monday.
        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20261207\" StartTime=\"20261207T09:01:00000\" "
        "EndTime=\"20261207T12:00:00000\" OriginalStartTime=\"20261207T09:00:00000\" "
        "OriginalEndTime=\"20261207T11:00:00000\" ExcludeWeekends=\"TRUE\"/>"
        "<ROW Id=\"1\" EventId=\"1\" StartDate=\"20261207\" StartTime=\"20261207T10:00:00000\" "
        "EndTime=\"20261207T10:30:00000\" StartDelta=\"24\" "
        "OriginalStartTime=\"20261207T10:00:00000\" "
        "OriginalEndTime=\"20261207T10:30:00000\" OriginalStartDelta=\"24\"/>"
        "<ROW Id=\"2\" EventId=\"2\" StartDate=\"20261207\" EndDate=\"20261208\" "
        "StartTime=\"20261207T" +
            sleepStart +
            ":00000\" EndTime=\"20261208\" "
            "OriginalStartTime=\"20261207T23:00:00000\" OriginalEndTime=\"20261208\"/>"
            "<ROW Id=\"3\" EventId=\"2\" StartDate=\"20261209\" EndDate=\"20261209\" "
            "Deleted=\"TRUE\" "
            "StartTime=\"20261209T23:00:00000\" EndTime=\"20261210\" "
            "OriginalStartTime=\"20261209T23:00:00000\" OriginalEndTime=\"20261210\"/>");
}

}  // namespace kalvo::test
