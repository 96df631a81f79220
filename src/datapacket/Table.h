#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Calendar.h"
#include "datapacket/HugePageAllocator.h"

namespace kalvo {

// How the values of a column are held. Kinds that our own tables never use (blobs, decimal
// fixed-point, 80-bit floats, nested tables, arrays) are Raw: their text is kept exactly as the
// file holds it and written back unchanged.
enum class ColumnKind { Integer, Boolean, Float, DateAndTime, Date, Time, String, Memo, Raw };

// The column types the program declares for its own tables.
enum class FieldType { Integer, SmallInt, String, Memo, Boolean, DateAndTime, Float };

struct Column {
    std::string name;       // the real name; differs from attrName only for names with specials
    std::string attrName;   // the name of the row attribute
    std::string fieldType;  // the type name as the file spells it, written back unchanged
    ColumnKind kind = ColumnKind::Raw;
    bool readonly = false;
    bool required = false;
    bool hidden = false;
    bool linkfield = false;
    std::optional<std::string> subtype;
    std::optional<std::string> decimals;
    std::optional<std::string> width;
    std::optional<std::string> calculated;
    std::string content;   // child elements of the declaration (nested tables), kept verbatim
    std::size_t size = 0;  // characters of a string column; 0 when none is declared

    static Column declare(std::string name, FieldType type, std::size_t width = 0);
};

// The family name of a column's type, as the bind check reports it ("Integer", "Memo" ...).
std::string_view fieldTypeName(const Column& column);
std::string_view fieldTypeName(FieldType type);
// Small and 32-bit integers are one family, and date, time and date-time another.
bool isSameFamily(const Column& column, FieldType expected);

struct Parameter {
    std::string name;
    std::string value;
    std::string type;        // for parameters written as PARAM elements; empty for strings
    bool roundtrip = false;  // travels with change packets
};

bool isKnownParameterName(std::string_view name);

inline constexpr int kRowUnchanged = 0;
inline constexpr int kRowOriginal = 1;
inline constexpr int kRowDeleted = 2;
inline constexpr int kRowInserted = 4;
inline constexpr int kRowModified = 8;

// An in-memory table of one table file: typed nullable columns, rows in storage order with
// their change states, the change log and the table parameters.
//
// Row numbers in the value accessors count the current rows only (states 0, 4 and 8); the
// rows kept for the change log alone (states 1 and 2) are stored and written but unseen.
class Table {
public:
    Table() = default;

    // Opens an empty table on the given columns, with no parameters.
    void open(std::vector<Column> columns);
    void close();
    bool isOpen() const { return open_; }
    // Fails with the message the user sees when the table is closed.
    void requireOpen() const;

    const std::vector<Column>& columns() const { return columns_; }
    int findColumn(std::string_view name) const;
    const std::vector<Parameter>& parameters() const { return parameters_; }
    const std::vector<std::uint32_t>& changeLog() const { return changeLog_; }

    std::size_t rowCount() const;

    bool isNull(std::size_t row, int column) const;
    // A null value reads as 0, false, the empty text or the date-time 0.
    std::int64_t integerValue(std::size_t row, int column) const;
    bool booleanValue(std::size_t row, int column) const;
    double floatValue(std::size_t row, int column) const;
    DateTime dateTimeValue(std::size_t row, int column) const;
    std::string_view textValue(std::size_t row, int column) const;

    // Rows and change log go; the parameters stay.
    void empty();
    // Appends an inserted row, all null, logged as an insertion; returns its row number.
    std::size_t insertRow();

    // The storage rules apply here: date-times are rounded to the millisecond, strings lose
    // their trailing spaces and are cut to the column's width.
    void setInteger(std::size_t row, int column, std::int64_t value);
    void setBoolean(std::size_t row, int column, bool value);
    void setFloat(std::size_t row, int column, double value);
    void setDateTime(std::size_t row, int column, DateTime value);
    void setText(std::size_t row, int column, std::string_view value);
    void setNull(std::size_t row, int column);

private:
    friend class DatapacketParser;
    friend class DatapacketWriter;

    // A cell's bytes mean something only where the row has a value there, so new cells are
    // left uninitialised: filling a large table would otherwise write its memory twice.
    union Cell {
        Cell() {}  // NOLINT: deliberately leaves the value uninitialised
        std::int64_t integer;
        double real;
        struct {
            std::uint32_t offset;
            std::uint32_t length;
        } text;
    };

    std::size_t storedRow(std::size_t row) const;
    std::size_t cellIndex(std::size_t storedRow, int column) const;
    // A new stored row, all null; its state is set, and it joins the current rows when its
    // state makes it one, once its values are in.
    std::size_t appendStoredRow();
    void finishStoredRow(std::size_t storedRow, int state);
    void reserveRows(std::size_t rows);
    void storeNumber(std::size_t storedRow, int column, Cell cell);
    void storeText(std::size_t storedRow, int column, std::string_view text);
    // The cell's text is what the pool holds from `offset` on, appended by the caller.
    void storePooledText(std::size_t storedRow, int column, std::size_t offset);
    std::string_view storedText(std::size_t index) const;

    bool open_ = false;
    std::vector<Column> columns_;
    std::vector<Parameter> parameters_;
    std::vector<std::uint32_t> changeLog_;
    std::vector<Cell, HugePageAllocator<Cell>> cells_;
    std::vector<std::uint8_t, HugePageAllocator<std::uint8_t>> present_;
    std::vector<std::int32_t> rowStates_;
    std::vector<std::uint32_t> currentRows_;
    std::string textPool_;
    std::unordered_map<std::size_t, std::string> rowContent_;  // child elements of a ROW
};

}  // namespace kalvo
