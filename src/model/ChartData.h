#pragma once

#include <cstdint>
#include <string>

namespace kalvo {

// One slice of the time split: the hours an appointment type took over the chart's range.
struct ChartData {
    float hours = 0;
    std::string label;       // the type's name
    std::int32_t color = 0;  // the type's colour, 0x00BBGGRR
};

}  // namespace kalvo
