#include "datapacket/Table.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "datapacket/AsciiText.h"
#include "datapacket/Windows1252.h"

namespace kalvo {
namespace {

constexpr std::array<std::string_view, 22> kKnownParameterNames = {
    "UNIQUE_KEY",   "DEFAULT_ORDER", "CHANGE_LOG", "PRIMARY_KEY", "MD_FIELDLINKS", "MD_SEMANTICS",
    "SERVER_COL",   "SUBTYPE",       "TABLENAME",  "TYPENAME",    "DATASET_DELTA", "READONLY",
    "CALCULATED",   "DELTA",         "DECIMALS",   "WIDTH",       "LCID",          "UPDATEMODE",
    "AUTOINCVALUE", "MINVALUE",      "MAXVALUE",   "DEFVALUE"};

// Characters that a row attribute name cannot hold; the declaration then carries the real name.
constexpr std::string_view kNameSpecials = " !#$%()*?";

}  // namespace

Column Column::declare(std::string name, FieldType type, std::size_t width) {
    Column column;
    column.attrName = name;
    std::replace_if(
        column.attrName.begin(), column.attrName.end(),
        [](char c) { return kNameSpecials.find(c) != std::string_view::npos; }, '_');
    column.name = std::move(name);
    switch (type) {
        case FieldType::Integer:
            column.fieldType = "i4", column.kind = ColumnKind::Integer;
            break;
        case FieldType::SmallInt:
            column.fieldType = "i2", column.kind = ColumnKind::Integer;
            break;
        case FieldType::String:
            column.fieldType = "string", column.kind = ColumnKind::String;
            column.size = width;
            column.width = std::to_string(width);
            break;
        case FieldType::Memo:
            column.fieldType = "bin.hex", column.kind = ColumnKind::Memo;
            column.subtype = "Text";
            column.width = "240";
            break;
        case FieldType::Boolean:
            column.fieldType = "boolean", column.kind = ColumnKind::Boolean;
            break;
        case FieldType::DateAndTime:
            column.fieldType = "dateTime", column.kind = ColumnKind::DateAndTime;
            break;
        case FieldType::Float:
            column.fieldType = "r8", column.kind = ColumnKind::Float;
            break;
    }
    return column;
}

std::string_view fieldTypeName(FieldType type) {
    switch (type) {
        case FieldType::Integer:
            return "Integer";
        case FieldType::SmallInt:
            return "SmallInt";
        case FieldType::String:
            return "String";
        case FieldType::Memo:
            return "Memo";
        case FieldType::Boolean:
            return "Boolean";
        case FieldType::DateAndTime:
            return "DateTime";
        case FieldType::Float:
            return "Float";
    }
    return "Unknown";
}

std::string_view fieldTypeName(const Column& column) {
    struct Name {
        std::string_view fieldType;
        std::string_view name;
    };
    static constexpr Name kNames[] = {{"i4", "Integer"},
                                      {"int", "Integer"},
                                      {"i2", "SmallInt"},
                                      {"i1", "ShortInt"},
                                      {"i8", "Largeint"},
                                      {"ui1", "Byte"},
                                      {"ui2", "Word"},
                                      {"ui4", "LongWord"},
                                      {"uint", "LongWord"},
                                      {"ui8", "Largeint"},
                                      {"boolean", "Boolean"},
                                      {"r8", "Float"},
                                      {"r10", "Extended"},
                                      {"fixed", "BCD"},
                                      {"fixedFMT", "FMTBcd"},
                                      {"date", "Date"},
                                      {"time", "Time"},
                                      {"dateTime", "DateTime"},
                                      {"SQLdateTime", "TimeStamp"},
                                      {"string", "String"},
                                      {"string.uni", "WideString"},
                                      {"nested", "DataSet"},
                                      {"IntArray", "Array"},
                                      {"UIntArray", "Array"}};
    if (column.kind == ColumnKind::Memo) {
        return "Memo";
    }
    if (equalsIgnoringCase(column.fieldType, "bin.hex")) {
        return column.subtype && equalsIgnoringCase(*column.subtype, "Graphics") ? "Graphic"
                                                                                 : "Blob";
    }
    for (const Name& entry : kNames) {
        if (equalsIgnoringCase(entry.fieldType, column.fieldType)) {
            return entry.name;
        }
    }
    return "Unknown";
}

bool isSameFamily(const Column& column, FieldType expected) {
    const std::string_view actual = fieldTypeName(column);
    switch (expected) {
        case FieldType::Integer:
        case FieldType::SmallInt:
            return actual == "Integer" || actual == "SmallInt";
        case FieldType::DateAndTime:
            return actual == "DateTime" || actual == "Date" || actual == "Time";
        case FieldType::String:
        case FieldType::Memo:
        case FieldType::Boolean:
        case FieldType::Float:
            return actual == fieldTypeName(expected);
    }
    return false;
}

bool isKnownParameterName(std::string_view name) {
    return std::find(kKnownParameterNames.begin(), kKnownParameterNames.end(), name) !=
           kKnownParameterNames.end();
}

void Table::open(std::vector<Column> columns) {
    close();
    columns_ = std::move(columns);
    open_ = true;
}

void Table::close() {
    *this = Table();
}

int Table::findColumn(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Table::requireOpen() const {
    if (!open_) {
        throw std::runtime_error("Cannot perform this operation on a closed dataset");
    }
}

std::size_t Table::rowCount() const {
    requireOpen();
    return currentRows_.size();
}

std::size_t Table::storedRow(std::size_t row) const {
    requireOpen();
    if (row >= currentRows_.size()) {
        throw std::out_of_range("Row " + std::to_string(row) + " is beyond the end of the table");
    }
    return currentRows_[row];
}

std::size_t Table::cellIndex(std::size_t stored, int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= columns_.size()) {
        throw std::out_of_range("Column " + std::to_string(column) + " does not exist");
    }
    return stored * columns_.size() + static_cast<std::size_t>(column);
}

bool Table::isNull(std::size_t row, int column) const {
    return present_[cellIndex(storedRow(row), column)] == 0;
}

std::int64_t Table::integerValue(std::size_t row, int column) const {
    const std::size_t index = cellIndex(storedRow(row), column);
    return present_[index] ? cells_[index].integer : 0;
}

bool Table::booleanValue(std::size_t row, int column) const {
    return integerValue(row, column) != 0;
}

double Table::floatValue(std::size_t row, int column) const {
    const std::size_t index = cellIndex(storedRow(row), column);
    return present_[index] ? cells_[index].real : 0.0;
}

DateTime Table::dateTimeValue(std::size_t row, int column) const {
    return floatValue(row, column);
}

std::string_view Table::textValue(std::size_t row, int column) const {
    const std::size_t index = cellIndex(storedRow(row), column);
    return present_[index] ? storedText(index) : std::string_view();
}

std::string_view Table::storedText(std::size_t index) const {
    return std::string_view(textPool_).substr(cells_[index].text.offset, cells_[index].text.length);
}

void Table::empty() {
    requireOpen();
    changeLog_.clear();
    cells_.clear();
    present_.clear();
    rowStates_.clear();
    currentRows_.clear();
    textPool_.clear();
    rowContent_.clear();
}

void Table::reserveRows(std::size_t rows) {
    rowStates_.reserve(rows);
    currentRows_.reserve(rows);
    cells_.reserve(rows * columns_.size());
    present_.reserve(rows * columns_.size());
}

std::size_t Table::appendStoredRow() {
    const std::size_t stored = rowStates_.size();
    rowStates_.push_back(kRowUnchanged);
    cells_.resize(cells_.size() + columns_.size());
    present_.resize(present_.size() + columns_.size(), 0);
    return stored;
}

void Table::finishStoredRow(std::size_t stored, int state) {
    rowStates_[stored] = state;
    if (state == kRowUnchanged || state == kRowInserted || state == kRowModified) {
        currentRows_.push_back(static_cast<std::uint32_t>(stored));
    }
}

std::size_t Table::insertRow() {
    requireOpen();
    const std::size_t stored = appendStoredRow();
    finishStoredRow(stored, kRowInserted);
    changeLog_.insert(changeLog_.end(), {static_cast<std::uint32_t>(stored + 1), 0, kRowInserted});
    return currentRows_.size() - 1;
}

void Table::storeNumber(std::size_t stored, int column, Cell cell) {
    const std::size_t index = cellIndex(stored, column);
    cells_[index] = cell;
    present_[index] = 1;
}

void Table::storeText(std::size_t stored, int column, std::string_view text) {
    const std::size_t offset = textPool_.size();
    textPool_.append(text);
    storePooledText(stored, column, offset);
}

void Table::storePooledText(std::size_t stored, int column, std::size_t offset) {
    if (textPool_.size() > UINT32_MAX) {
        textPool_.resize(offset);
        throw std::length_error("A table cannot hold more than 4 GB of text");
    }
    const std::size_t index = cellIndex(stored, column);
    cells_[index].text = {static_cast<std::uint32_t>(offset),
                          static_cast<std::uint32_t>(textPool_.size() - offset)};
    present_[index] = 1;
}

void Table::setInteger(std::size_t row, int column, std::int64_t value) {
    Cell cell;
    cell.integer = value;
    storeNumber(storedRow(row), column, cell);
}

void Table::setBoolean(std::size_t row, int column, bool value) {
    setInteger(row, column, value ? 1 : 0);
}

void Table::setFloat(std::size_t row, int column, double value) {
    Cell cell;
    cell.real = value;
    storeNumber(storedRow(row), column, cell);
}

void Table::setDateTime(std::size_t row, int column, DateTime value) {
    setFloat(row, column, roundToMillisecond(value));
}

void Table::setText(std::size_t row, int column, std::string_view value) {
    const std::size_t stored = storedRow(row);
    const Column& declared = columns_.at(static_cast<std::size_t>(column));
    if (declared.kind == ColumnKind::String) {
        if (declared.size > 0) {
            value = utf8Prefix(value, declared.size);
        }
        const std::size_t end = value.find_last_not_of(' ');
        value = end == std::string_view::npos ? std::string_view() : value.substr(0, end + 1);
    }
    storeText(stored, column, value);
}

void Table::setNull(std::size_t row, int column) {
    present_[cellIndex(storedRow(row), column)] = 0;
}

}  // namespace kalvo
