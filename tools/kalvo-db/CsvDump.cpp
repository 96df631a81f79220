#include "kalvo-db/CsvDump.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "base/Calendar.h"

namespace kalvo {
namespace {

constexpr std::string_view kRecordEnd = "\r\n";

std::string dateText(const CivilDate& date) {
    char buffer[32];
    // A negative year keeps its sign in front of the four digits.
    const int length =
        std::snprintf(buffer, sizeof buffer, "%s%04d-%02d-%02d", date.year < 0 ? "-" : "",
                      std::abs(date.year), date.month, date.day);
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string timeText(const DateTimeParts& parts) {
    char buffer[32];
    const int length =
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", parts.hour, parts.minute,
                      parts.millisecondOfMinute / 1000, parts.millisecondOfMinute % 1000);
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string floatText(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 16);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') {
            field += '"';
        }
        field += c;
    }
    field += '"';
    return field;
}

std::string csvValue(const Table& table, std::size_t row, int column) {
    const Column& declared = table.columns()[static_cast<std::size_t>(column)];
    switch (declared.kind) {
        case ColumnKind::Integer:
            return std::to_string(table.integerValue(row, column));
        case ColumnKind::Boolean:
            return table.booleanValue(row, column) ? "TRUE" : "FALSE";
        case ColumnKind::Float:
            return floatText(table.floatValue(row, column));
        case ColumnKind::DateAndTime: {
            const DateTimeParts parts = dateTimeParts(table.dateTimeValue(row, column));
            return dateText(parts.date) + ' ' + timeText(parts);
        }
        case ColumnKind::Date:
            return dateText(dateTimeParts(table.dateTimeValue(row, column)).date);
        case ColumnKind::Time:
            return timeText(dateTimeParts(table.dateTimeValue(row, column)));
        case ColumnKind::String:
        case ColumnKind::Memo:
        case ColumnKind::Raw:
            return std::string(table.textValue(row, column));
    }
    return {};
}

void writeCsv(const Table& table, std::ostream& out) {
    const auto& columns = table.columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) {
            out << ',';
        }
        out << csvField(columns[i].name);
    }
    out << kRecordEnd;
    const std::size_t rows = table.rowCount();
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = static_cast<int>(i);
            if (i > 0) {
                out << ',';
            }
            if (!table.isNull(row, column)) {
                out << csvField(csvValue(table, row, column));
            }
        }
        out << kRecordEnd;
    }
}

}  // namespace kalvo
