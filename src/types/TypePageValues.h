#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/Model.h"

namespace kalvo {

// The entries of the importance list; a type's importance is the position of its entry.
inline constexpr std::array<const char*, 5> kImportanceNames = {"Lowest", "Low", "Medium", "High",
                                                                "Critical"};
inline constexpr int kNoImportance = -1;

// What the Appointment Type page shows of one type, control by control.
struct TypePageValues {
    std::string name;
    std::optional<std::int32_t> color;  // none: the colour list has no selection
    int importance = kNoImportance;     // position in the importance list
    std::string comment;
    std::string longComment;
    bool excludeWeekends = false;
    bool beforeAlarm = false;
    std::string beforeAlarmDelay;  // the decimal text of the hidden delay edit
    std::string beforeAlarmFile;
    bool afterAlarm = false;
    std::string afterAlarmDelay;
    std::string afterAlarmFile;
};

// The page filled from `type`. A stored importance outside the list shows no entry.
TypePageValues typePageValues(const EventType& type);

// Writes the page into `type`, member by member as the page lists them; importance -1 when no
// entry is chosen. The user cannot see the delays, so they come back as they went out; text in
// a delay edit that is no number of the type's range leaves the delay as it was. A colour list
// without a selection, which only a disabled page has, leaves the colour as it was. Id, parent,
// repeat types and flags have no control and are never touched.
void readTypePage(const TypePageValues& page, EventType& type);

}  // namespace kalvo
