#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "datapacket/Table.h"

namespace kalvo {

// One field of a CSV record: quoted, with its quotes doubled, when it holds a comma, a quote
// or a line break, so that spreadsheet programs read it back as one value.
std::string csvField(std::string_view text);

// The text of one non-null value as the dump shows it. Date-times read as
// "YYYY-MM-DD HH:MM:SS.mmm", date columns as "YYYY-MM-DD" and time columns as "HH:MM:SS.mmm";
// numbers and booleans as the table file writes them.
std::string csvValue(const Table& table, std::size_t row, int column);

// The current rows of the table as CSV: a header of column names, then one record per row,
// each ended by CR LF. A null value is an empty field.
void writeCsv(const Table& table, std::ostream& out);

}  // namespace kalvo
