#include <charconv>
#include <functional>

#include "base/AtomicFile.h"
#include "datapacket/Datapacket.h"
#include "datapacket/Windows1252.h"

namespace kalvo {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
constexpr std::size_t kFlushSize = 1 << 20;

// Parameters with a place of their own at the head of PARAMS, in their order.
constexpr std::string_view kLeadingParameters[] = {"DEFAULT_ORDER", "PRIMARY_KEY", "UNIQUE_KEY"};
constexpr std::string_view kChangeLogParameter = "CHANGE_LOG";
constexpr std::string_view kAutoIncrementParameter = "AUTOINCVALUE";

// Puts `value` at `out` with at least `width` digits, zeros in front and a minus sign before
// them for a negative value; returns the end.
char* putDigits(char* out, int value, int width) {
    char digits[16];
    int count = 0;
    auto magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 && count < 15);
    if (value < 0) {
        *out++ = '-';
    }
    for (int i = count; i < width; ++i) {
        *out++ = '0';
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

void appendDigits(std::string& out, int value, int width) {
    char buffer[32];
    out.append(buffer, putDigits(buffer, value, width));
}

template <typename Number>
void appendNumber(std::string& out, Number value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendFloat(std::string& out, double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 16);
    out.append(buffer, result.ptr);
}

void appendByteReference(std::string& out, int value, int width) {
    out += "&#";
    appendDigits(out, value, width);
    out += ';';
}

// Escapes UTF-8 text for an attribute value of the plain variant: the markup characters and
// line breaks as references, characters above 127 as references of their Windows-1252 byte,
// and characters that set lacks as references of their Unicode code point.
void appendEscapedText(std::string& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                out += "&#013;";
                break;
            case '\n':
                out += "&#010;";
                break;
            case '\t':
                out += "&#009;";
                break;
            case '\\':
                out += "&#092;";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x80) {
                    out += c;
                    break;
                }
                {
                    const char32_t character = nextUtf8Character(text, pos);
                    const int byte = unicodeToWindows1252(character);
                    if (byte >= 0) {
                        appendByteReference(out, byte, 3);
                    } else if (character > 0xFF) {
                        appendByteReference(out, static_cast<int>(character), 3);
                    } else {
                        // A C1 control that Windows-1252 lacks: the leading zero keeps the
                        // reference apart from the byte of the same value.
                        appendByteReference(out, static_cast<int>(character), 4);
                    }
                }
                continue;
        }
        ++pos;
    }
}

// A value kept as the file held it; only a quote, possible inside single quotes, is escaped.
void appendRawValue(std::string& out, std::string_view raw) {
    for (const char c : raw) {
        if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
}

}  // namespace

class DatapacketWriter {
public:
    DatapacketWriter(const Table& table, std::function<void(std::string_view)> sink)
        : table_(table), sink_(std::move(sink)) {
        out_.reserve(kFlushSize + 4096);
    }

    void write();

private:
    void writeColumn(const Column& column);
    void writeParameters();
    void writeRow(std::size_t stored);
    void writeValue(std::size_t index, const Column& column);
    void attribute(std::string_view name, std::string_view text);
    void flushWhenFull();

    const Table& table_;
    std::function<void(std::string_view)> sink_;
    std::string out_;
    std::int64_t lastDay_ = INT64_MIN;
    CivilDate lastDate_;
};

void DatapacketWriter::attribute(std::string_view name, std::string_view text) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    appendEscapedText(out_, text);
    out_ += '"';
}

void DatapacketWriter::flushWhenFull() {
    if (out_.size() >= kFlushSize) {
        sink_(out_);
        out_.clear();
    }
}

void DatapacketWriter::write() {
    out_ += kDeclaration;
    out_ += "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (const Column& column : table_.columns_) {
        writeColumn(column);
    }
    out_ += "</FIELDS>";
    writeParameters();
    out_ += "</METADATA><ROWDATA>";
    for (std::size_t stored = 0; stored < table_.rowStates_.size(); ++stored) {
        writeRow(stored);
        flushWhenFull();
    }
    out_ += "</ROWDATA></DATAPACKET>";
    sink_(out_);
    out_.clear();
}

void DatapacketWriter::writeColumn(const Column& column) {
    out_ += "<FIELD";
    if (column.name != column.attrName) {
        attribute("fieldname", column.name);
    }
    attribute("attrname", column.attrName);
    attribute("fieldtype", column.fieldType);
    const std::pair<std::string_view, bool> flags[] = {{"readonly", column.readonly},
                                                       {"required", column.required},
                                                       {"hidden", column.hidden},
                                                       {"linkfield", column.linkfield}};
    for (const auto& [name, set] : flags) {
        if (set) {
            attribute(name, "true");
        }
    }
    const std::pair<std::string_view, const std::optional<std::string>*> values[] = {
        {"SUBTYPE", &column.subtype},
        {"DECIMALS", &column.decimals},
        {"WIDTH", &column.width},
        {"CALCULATED", &column.calculated}};
    for (const auto& [name, value] : values) {
        if (*value) {
            attribute(name, **value);
        }
    }
    if (column.content.empty()) {
        out_ += "/>";
    } else {
        out_ += '>';
        out_ += column.content;
        out_ += "</FIELD>";
    }
}

void DatapacketWriter::writeParameters() {
    const auto& parameters = table_.parameters_;
    const auto isLeading = [](std::string_view name) {
        for (const std::string_view leading : kLeadingParameters) {
            if (name == leading) {
                return true;
            }
        }
        return name == kChangeLogParameter || name == kAutoIncrementParameter;
    };
    const auto writeNamed = [&](std::string_view name) {
        for (const Parameter& parameter : parameters) {
            if (parameter.name == name) {
                attribute(parameter.name, parameter.value);
            }
        }
    };
    out_ += "<PARAMS";
    for (const std::string_view leading : kLeadingParameters) {
        writeNamed(leading);
    }
    if (!table_.changeLog_.empty()) {
        out_ += " CHANGE_LOG=\"";
        for (std::size_t i = 0; i < table_.changeLog_.size(); ++i) {
            if (i > 0) {
                out_ += ' ';
            }
            appendNumber(out_, table_.changeLog_[i]);
        }
        out_ += '"';
    }
    writeNamed(kAutoIncrementParameter);
    bool hasElements = false;
    for (const Parameter& parameter : parameters) {
        if (!isKnownParameterName(parameter.name)) {
            hasElements = true;
        } else if (!isLeading(parameter.name)) {
            attribute(parameter.name, parameter.value);
        }
    }
    if (!hasElements) {
        out_ += "/>";
        return;
    }
    out_ += '>';
    for (const Parameter& parameter : parameters) {
        if (isKnownParameterName(parameter.name)) {
            continue;
        }
        out_ += "<PARAM";
        attribute("Name", parameter.name);
        attribute("Value", parameter.value);
        if (!parameter.type.empty()) {
            attribute("Type", parameter.type);
        }
        if (parameter.roundtrip) {
            out_ += " Roundtrip=\"True\"";
        }
        out_ += "/>";
    }
    out_ += "</PARAMS>";
}

void DatapacketWriter::writeRow(std::size_t stored) {
    out_ += "<ROW";
    if (const int state = table_.rowStates_[stored]; state != kRowUnchanged) {
        out_ += " RowState=\"";
        appendNumber(out_, state);
        out_ += '"';
    }
    const auto& columns = table_.columns_;
    for (std::size_t column = 0; column < columns.size(); ++column) {
        const std::size_t index = stored * columns.size() + column;
        if (table_.present_[index] == 0) {
            continue;
        }
        out_ += ' ';
        out_ += columns[column].attrName;
        out_ += "=\"";
        writeValue(index, columns[column]);
        out_ += '"';
    }
    const auto content =
        table_.rowContent_.empty() ? table_.rowContent_.end() : table_.rowContent_.find(stored);
    if (content == table_.rowContent_.end()) {
        out_ += "/>";
    } else {
        out_ += '>';
        out_ += content->second;
        out_ += "</ROW>";
    }
}

void DatapacketWriter::writeValue(std::size_t index, const Column& column) {
    const Table::Cell& cell = table_.cells_[index];
    switch (column.kind) {
        case ColumnKind::Integer:
            appendNumber(out_, cell.integer);
            break;
        case ColumnKind::Boolean:
            out_ += cell.integer != 0 ? "TRUE" : "FALSE";
            break;
        case ColumnKind::Float:
            appendFloat(out_, cell.real);
            break;
        case ColumnKind::DateAndTime:
        case ColumnKind::Date:
        case ColumnKind::Time: {
            // The rows of a table name few days, each many times: the last day's date is kept.
            const DayAndTime split = splitDateTime(cell.real);
            if (split.day != lastDay_) {
                lastDay_ = split.day;
                lastDate_ = civilFromDays(split.day);
            }
            const auto ms = static_cast<int>(split.millisecondOfDay);
            const int hour = ms / 3'600'000;
            const int minute = ms / 60'000 % 60;
            const int millisecondOfMinute = ms % 60'000;
            const bool hasTime = hour != 0 || minute != 0 || millisecondOfMinute != 0;
            char buffer[64];
            char* end = buffer;
            if (column.kind != ColumnKind::Time) {
                end = putDigits(end, lastDate_.year, 4);
                end = putDigits(end, lastDate_.month, 2);
                end = putDigits(end, lastDate_.day, 2);
            }
            if (column.kind == ColumnKind::Time ||
                (column.kind == ColumnKind::DateAndTime && hasTime)) {
                if (column.kind == ColumnKind::DateAndTime) {
                    *end++ = 'T';
                }
                end = putDigits(end, hour, 2);
                *end++ = ':';
                end = putDigits(end, minute, 2);
                *end++ = ':';
                end = putDigits(end, millisecondOfMinute, 5);
            }
            out_.append(buffer, end);
            break;
        }
        case ColumnKind::String:
        case ColumnKind::Memo:
            appendEscapedText(out_, table_.storedText(index));
            break;
        case ColumnKind::Raw:
            appendRawValue(out_, table_.storedText(index));
            break;
    }
}

std::string datapacketText(const Table& table) {
    table.requireOpen();
    std::string text;
    DatapacketWriter(table, [&](std::string_view bytes) { text.append(bytes); }).write();
    return text;
}

void writeDatapacket(const Table& table, AtomicFileWriter& file) {
    table.requireOpen();
    DatapacketWriter(table, [&](std::string_view bytes) { file.write(bytes); }).write();
}

void writeDatapacket(const Table& table, const std::string& path) {
    table.requireOpen();
    AtomicFileWriter file(path);
    writeDatapacket(table, file);
    file.commit();
}

}  // namespace kalvo
