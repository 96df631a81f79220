#pragma once

#include <string>

namespace kalvo {

// What the user compares of the two versions of a resource in conflict, each as one line of
// text: an empty text, a version that is gone, shows "Not there".
struct ConflictVersion {
    std::string summary;
    std::string when;     // "2026-12-10 09:00-10:30", its first occurrence
    std::string repeats;  // "Daily until 2027-01-31, 2 days left out, 1 day changed" or "Once"
    std::string planned;  // "09:00-10:00" of the planner's events, else empty
    std::string comment;
};

// The version that `text` (one event, its series with its changed days) holds, its times in
// the zone `localZoneId`. One that cannot be read says so in its summary.
ConflictVersion conflictVersionOf(const std::string& text, const std::string& localZoneId);

}  // namespace kalvo
