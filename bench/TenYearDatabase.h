#pragma once

#include <string>

#include "model/Model.h"

namespace kalvo::bench {

// A planner used every day for `years` years from 2015: 50 types, 500 appointments and 10 000
// event-data rows a year, most of them one-day pieces of split series, with comments on some
// days.
Model plannerModel(int years);

inline Model tenYearModel() {
    return plannerModel(10);
}

// The folder of the generated database of `years` years under the benchmarks' data folder,
// ending in a separator.
std::string plannerFolder(int years);

// Writes the database of `years` years into `folder` (ending in a separator) unless it is there.
void ensurePlannerDatabase(const std::string& folder, int years);

}  // namespace kalvo::bench
