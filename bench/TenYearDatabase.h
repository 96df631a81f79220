#pragma once

#include <string>

#include "db/Model.h"

namespace kalvo::bench {

// A planner used every day for ten years: 50 types, 5 000 appointments and 100 000
// event-data rows, most of them one-day pieces of split series, with comments on some days.
Model tenYearModel();

// Writes the ten-year database into `folder` (ending in a separator) unless it is there.
void ensureTenYearDatabase(const std::string& folder);

}  // namespace kalvo::bench
