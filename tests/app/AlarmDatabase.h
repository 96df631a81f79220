#pragma once

#include <filesystem>
#include <string>

#include "support/DatabaseFiles.h"

namespace kalvo::test {

// Every day since 2020: Work 09:00-12:00 with both alarms sounding `bell` and with
// `workComment`, then Lunch 12:00-13:00 with a before alarm sounding `gong`, so that Work's end
// and Lunch's start fall in one minute. The sound files are written too.
inline void writeAlarmDatabase(const std::filesystem::path& folder, const std::string& bell,
                               const std::string& gong, const std::string& workComment = "") {
    writeFileText(bell, "RIFF");
    writeFileText(gong, "ID3");
    writeDatabase(
        folder,
        "<ROW Id=\"0\" Name=\"Work\" Color=\"255\" BeforeAlarm=\"TRUE\" AfterAlarm=\"TRUE\" "
        "BeforeAlarmFile=\"" +
            bell + "\" AfterAlarmFile=\"" + bell +
            "\"/><ROW Id=\"1\" Name=\"Lunch\" Color=\"65280\" BeforeAlarm=\"TRUE\" "
            "BeforeAlarmFile=\"" +
            gong + "\"/>",
        "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\"/>",
        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20200106\" StartTime=\"20200106T09:00:00000\" "
        "EndTime=\"20200106T12:00:00000\" OriginalStartTime=\"20200106T09:00:00000\" "
        "OriginalEndTime=\"20200106T12:00:00000\" Comment=\"" +
            workComment +
            "\"/>"
            "<ROW Id=\"1\" EventId=\"1\" StartDate=\"20200106\" "
            "StartTime=\"20200106T12:00:00000\" EndTime=\"20200106T13:00:00000\" "
            "OriginalStartTime=\"20200106T12:00:00000\" "
            "OriginalEndTime=\"20200106T13:00:00000\"/>");
}

}  // namespace kalvo::test
