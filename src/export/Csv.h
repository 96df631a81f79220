#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kalvo {

// Appends one record of RFC 4180 CSV to `out`: the fields separated by commas, a field that
// holds a comma, a quote or a line break in quotes with its quotes doubled, CRLF at the end.
void appendCsvRecord(std::string& out, std::initializer_list<std::string_view> fields);

}  // namespace kalvo
