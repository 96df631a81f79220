#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/Model.h"

namespace kalvo {

// The bytes of one step of the edit history as the recovery journal keeps them. An object is
// named by its position in its list of the model (kNoObject for none), so that the step can be
// done again on the model read from the saved files.

inline constexpr std::uint32_t kNoObject = 0xFFFFFFFF;

class RecordWriter {
public:
    void u8(std::uint8_t value);
    void u32(std::uint32_t value);
    void i32(std::int32_t value);
    void f64(double value);
    void text(std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Fails with std::runtime_error("The recovery journal is damaged.") when the bytes end early.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : rest_(bytes) {}

    std::uint8_t u8();
    std::uint32_t u32();
    std::int32_t i32();
    double f64();
    std::string text();
    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view take(std::size_t size);
    std::string_view rest_;
};

// The positions of objects, and the objects at positions, in the model as the step left it.
struct ObjectPositions {
    std::function<std::uint32_t(const EventType*)> type;
    std::function<std::uint32_t(const Event*)> event;
    std::function<std::uint32_t(const EventDataRow*)> row;
};

struct ObjectsAt {
    std::function<EventType*(std::uint32_t)> type;
    std::function<Event*(std::uint32_t)> event;
    std::function<EventDataRow*(std::uint32_t)> row;
};

// Every member, the links as positions. An appointment's coverage is a cache and is not kept:
// it is taken again when read.
void writeValue(RecordWriter& out, const EventType& type, const ObjectPositions& at);
void writeValue(RecordWriter& out, const Event& event, const ObjectPositions& at);
void writeValue(RecordWriter& out, const EventDataRow& row, const ObjectPositions& at);
void readValue(RecordReader& in, EventType& type, const ObjectsAt& objects);
void readValue(RecordReader& in, Event& event, const ObjectsAt& objects);
void readValue(RecordReader& in, EventDataRow& row, const ObjectsAt& objects);

}  // namespace kalvo
