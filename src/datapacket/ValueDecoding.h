#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Calendar.h"

namespace kalvo {

// How the table file reader turns attribute values into values. None of them fails: a value
// that does not fit its column's rules reads as null (nothing).

// Text: the five named entities, decimal and hexadecimal character references, and in the
// UTF-8 variant two-byte sequences as the byte of their code point; the result is UTF-8.
void appendDecodedText(std::string& out, std::string_view raw, bool utf8Variant);
std::string decodedText(std::string_view raw, bool utf8Variant);

// Numbers: the leading number, when a digit comes before any letter.
std::optional<std::int64_t> decodeInteger(std::string_view raw);
std::optional<double> decodeFloat(std::string_view raw);

// YYYYMMDD or YYMMDD (day of one or two digits), optionally followed by THH:MM[:ms within the
// minute]; a time out of range reads as midnight of the date.
std::optional<DateTime> decodeDateTime(std::string_view raw);
// HH:MM[:ms within the minute], as the fraction of a day.
std::optional<DateTime> decodeTime(std::string_view raw);

// Unsigned numbers separated by anything else, as the change log holds them.
void appendUnsignedList(std::vector<std::uint32_t>& out, std::string_view text);

}  // namespace kalvo
