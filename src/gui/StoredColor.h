#pragma once

#include <QColor>
#include <cstdint>
#include <span>

namespace kalvo {

// The colour of a stored 0x00BBGGRR value. A value with the high byte set names a system
// colour by its index (button face, window, highlight ...), drawn in the platform's colour.
QColor colorFromStored(std::int32_t stored);

// The stored value of an RGB colour (the alpha channel is not kept).
std::int32_t storedFromRgb(const QColor& color);

// A colour a colour list offers by name.
struct NamedStoredColor {
    std::int32_t stored;
    const char* name;
};

// In list order: the 16 standard colours, 4 extended ones, then the system colours, each
// system colour with the stored value the table files use for it.
std::span<const NamedStoredColor> namedStoredColors();

}  // namespace kalvo
