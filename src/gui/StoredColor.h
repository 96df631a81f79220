#pragma once

#include <QColor>
#include <cstdint>

namespace kalvo {

// The colour of a stored 0x00BBGGRR value. A value with the high byte set names a system
// colour by its index (button face, window, highlight ...), drawn in the platform's colour.
QColor colorFromStored(std::int32_t stored);

}  // namespace kalvo
