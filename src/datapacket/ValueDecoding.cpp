#include "datapacket/ValueDecoding.h"

#include <charconv>

#include "datapacket/AsciiText.h"
#include "datapacket/Windows1252.h"

namespace kalvo {
namespace {

bool isCodePoint(std::uint32_t value) {
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// A character reference names a byte of the file's character set. References that cannot be
// bytes (above 255, or written with a leading zero and four or more digits, which is how a C1
// control character outside Windows-1252 is stored) name a Unicode character.
bool appendCharacterReference(std::string& out, std::string_view raw, std::size_t& pos) {
    std::size_t cursor = pos + 2;
    const bool hexadecimal = cursor < raw.size() && (raw[cursor] == 'x' || raw[cursor] == 'X');
    if (hexadecimal) {
        ++cursor;
    }
    const std::size_t digitsStart = cursor;
    std::uint32_t value = 0;
    while (cursor < raw.size() && raw[cursor] != ';') {
        const char c = raw[cursor];
        int digit = -1;
        if (isAsciiDigit(c)) {
            digit = c - '0';
        } else if (hexadecimal && asciiLower(c) >= 'a' && asciiLower(c) <= 'f') {
            digit = asciiLower(c) - 'a' + 10;
        }
        if (digit < 0 || value > 0x10FFFF) {
            return false;
        }
        value = value * (hexadecimal ? 16 : 10) + static_cast<std::uint32_t>(digit);
        ++cursor;
    }
    const std::size_t digits = cursor - digitsStart;
    if (cursor >= raw.size() || digits == 0) {
        return false;
    }
    const bool namesCharacter =
        value > 255 || (!hexadecimal && digits >= 4 && raw[digitsStart] == '0');
    if (namesCharacter) {
        if (!isCodePoint(value)) {
            return false;
        }
        appendUtf8(out, value);
    } else {
        appendUtf8(out, windows1252ToUnicode(static_cast<std::uint8_t>(value)));
    }
    pos = cursor + 1;
    return true;
}

bool appendNamedEntity(std::string& out, std::string_view raw, std::size_t& pos) {
    struct Entity {
        std::string_view text;
        char character;
    };
    static constexpr Entity kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}};
    for (const Entity& entity : kEntities) {
        if (raw.substr(pos, entity.text.size()) == entity.text) {
            out += entity.character;
            pos += entity.text.size();
            return true;
        }
    }
    return false;
}

// The start of the number in a value, when a digit comes before any letter.
std::optional<std::size_t> numberStart(std::string_view raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (isAsciiLetter(raw[i])) {
            return std::nullopt;
        }
        if (isAsciiDigit(raw[i])) {
            std::size_t start = i;
            if (start > 0 && raw[start - 1] == '.') {
                --start;
            }
            if (start > 0 && (raw[start - 1] == '-' || raw[start - 1] == '+')) {
                --start;
            }
            return start;
        }
    }
    return std::nullopt;
}

// The value from the start of its number on, without a plus sign, which from_chars refuses.
std::optional<std::string_view> numberText(std::string_view raw) {
    const std::optional<std::size_t> start = numberStart(raw);
    if (!start) {
        return std::nullopt;
    }
    std::string_view number = raw.substr(*start);
    if (number.front() == '+') {
        number.remove_prefix(1);
    }
    return number;
}

bool readDigits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!isAsciiDigit(text[pos + i])) {
            return false;
        }
        value = value * 10 + (text[pos + i] - '0');
    }
    pos += count;
    return true;
}

// "HH:MM" and optionally ":" and the milliseconds within the minute, padded on the right to
// five digits. Returns the milliseconds of the day, or nothing when the time is out of range.
std::optional<std::int64_t> decodeTimeOfDay(std::string_view text) {
    std::size_t pos = 0;
    int hour = 0;
    int minute = 0;
    if (!readDigits(text, pos, 2, hour) || pos >= text.size() || text[pos++] != ':' ||
        !readDigits(text, pos, 2, minute)) {
        return std::nullopt;
    }
    int milliseconds = 0;
    if (pos < text.size()) {
        if (text[pos++] != ':') {
            return std::nullopt;
        }
        const std::string_view digits = text.substr(pos);
        if (digits.empty() || digits.size() > 5) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < 5; ++i) {
            const char c = i < digits.size() ? digits[i] : '0';
            if (!isAsciiDigit(c)) {
                return std::nullopt;
            }
            milliseconds = milliseconds * 10 + (c - '0');
        }
    }
    if (hour > 23 || minute > 59 || milliseconds > 59999) {
        return std::nullopt;
    }
    return hour * 3'600'000LL + minute * 60'000LL + milliseconds;
}

}  // namespace

// Decodes an attribute value into UTF-8 text.
void appendDecodedText(std::string& out, std::string_view raw, bool utf8Variant) {
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t plain = raw.find('&', pos);
        const std::size_t end = plain == std::string_view::npos ? raw.size() : plain;
        while (pos < end) {
            const auto byte = static_cast<unsigned char>(raw[pos]);
            if (byte < 0x80) {
                std::size_t run = pos + 1;
                while (run < end && static_cast<unsigned char>(raw[run]) < 0x80) {
                    ++run;
                }
                out.append(raw.substr(pos, run - pos));
                pos = run;
            } else if (utf8Variant) {
                const std::size_t start = pos;
                const char32_t c = nextUtf8Character(raw.substr(0, end), pos);
                // A two-byte sequence stands for the byte of its code point.
                appendUtf8(out, pos - start == 2
                                    ? windows1252ToUnicode(static_cast<std::uint8_t>(c & 0xFF))
                                    : c);
            } else {
                appendUtf8(out, windows1252ToUnicode(byte));
                ++pos;
            }
        }
        if (pos < raw.size()) {
            const bool decoded = raw.substr(pos, 2) == "&#"
                                     ? appendCharacterReference(out, raw, pos)
                                     : appendNamedEntity(out, raw, pos);
            if (!decoded) {
                out += '&';
                ++pos;
            }
        }
    }
}

std::string decodedText(std::string_view raw, bool utf8Variant) {
    std::string text;
    appendDecodedText(text, raw, utf8Variant);
    return text;
}

std::optional<std::int64_t> decodeInteger(std::string_view raw) {
    // Nearly every value is a plain decimal number.
    if (!raw.empty() && (isAsciiDigit(raw.front()) || raw.front() == '-')) {
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
        if (error == std::errc() && (end == raw.data() + raw.size() || !isAsciiLetter(*end))) {
            return value;
        }
    }
    const std::optional<std::string_view> number = numberText(raw);
    if (!number) {
        return std::nullopt;
    }
    if (number->front() == '.') {
        return 0;  // ".5": the integer part is empty
    }
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(number->data(), number->data() + number->size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> decodeFloat(std::string_view raw) {
    const std::optional<std::string_view> number = numberText(raw);
    if (!number) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(number->data(), number->data() + number->size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return value;
}

std::optional<DateTime> decodeDateTime(std::string_view raw) {
    std::size_t dateDigits = 0;
    while (dateDigits < raw.size() && isAsciiDigit(raw[dateDigits])) {
        ++dateDigits;
    }
    // The day has one or two digits, so the length of the run tells the year's.
    std::size_t yearDigits = 0;
    if (dateDigits == 7 || dateDigits == 8) {
        yearDigits = 4;
    } else if (dateDigits == 5 || dateDigits == 6) {
        yearDigits = 2;
    } else {
        return std::nullopt;
    }
    CivilDate date;
    std::size_t pos = 0;
    readDigits(raw, pos, yearDigits, date.year);
    readDigits(raw, pos, 2, date.month);
    readDigits(raw, pos, dateDigits - yearDigits - 2, date.day);
    if (!isValidCivilDate(date)) {
        return std::nullopt;
    }
    std::int64_t millisecondOfDay = 0;
    if (pos < raw.size()) {
        if (raw[pos] != 'T') {
            return std::nullopt;
        }
        millisecondOfDay = decodeTimeOfDay(raw.substr(pos + 1)).value_or(0);
    }
    return joinDateTime(daysFromCivil(date), millisecondOfDay);
}

std::optional<DateTime> decodeTime(std::string_view raw) {
    const std::optional<std::int64_t> millisecondOfDay = decodeTimeOfDay(raw);
    if (!millisecondOfDay) {
        return std::nullopt;
    }
    return joinDateTime(0, *millisecondOfDay);
}

void appendUnsignedList(std::vector<std::uint32_t>& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (!isAsciiDigit(text[pos])) {
            ++pos;
            continue;
        }
        std::uint32_t value = 0;
        const auto [end, error] =
            std::from_chars(text.data() + pos, text.data() + text.size(), value);
        out.push_back(error == std::errc() ? value : UINT32_MAX);
        pos = static_cast<std::size_t>(end - text.data());
    }
}

}  // namespace kalvo
