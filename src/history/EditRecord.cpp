#include "history/EditRecord.h"

#include <bit>
#include <stdexcept>

namespace kalvo {
namespace {

std::runtime_error damaged() {
    return std::runtime_error("The recovery journal is damaged.");
}

template <typename Element>
void writeList(RecordWriter& out, const std::vector<Element*>& list,
               const std::function<std::uint32_t(const Element*)>& position) {
    out.u32(static_cast<std::uint32_t>(list.size()));
    for (const Element* element : list) {
        out.u32(position(element));
    }
}

template <typename Element>
std::vector<Element*> readList(RecordReader& in,
                               const std::function<Element*(std::uint32_t)>& objectAt) {
    const std::uint32_t count = in.u32();
    std::vector<Element*> list;
    for (std::uint32_t i = 0; i < count; ++i) {
        list.push_back(objectAt(in.u32()));
    }
    return list;
}

}  // namespace

void RecordWriter::u8(std::uint8_t value) {
    bytes_.push_back(static_cast<char>(value));
}

void RecordWriter::u32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        u8(static_cast<std::uint8_t>(value >> shift));
    }
}

void RecordWriter::i32(std::int32_t value) {
    u32(static_cast<std::uint32_t>(value));
}

void RecordWriter::f64(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

void RecordWriter::text(std::string_view value) {
    u32(static_cast<std::uint32_t>(value.size()));
    bytes_.append(value);
}

std::string_view RecordReader::take(std::size_t size) {
    if (rest_.size() < size) {
        throw damaged();
    }
    const std::string_view taken = rest_.substr(0, size);
    rest_.remove_prefix(size);
    return taken;
}

std::uint8_t RecordReader::u8() {
    return static_cast<std::uint8_t>(take(1)[0]);
}

std::uint32_t RecordReader::u32() {
    const std::string_view bytes = take(4);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
    }
    return value;
}

std::int32_t RecordReader::i32() {
    return static_cast<std::int32_t>(u32());
}

double RecordReader::f64() {
    const std::uint64_t low = u32();
    const std::uint64_t high = u32();
    return std::bit_cast<double>(low | (high << 32));
}

std::string RecordReader::text() {
    return std::string(take(u32()));
}

void writeValue(RecordWriter& out, const EventType& type, const ObjectPositions& at) {
    out.i32(type.id);
    out.i32(type.parentId);
    out.u32(at.type(type.parent));
    out.text(type.name);
    out.i32(type.importance);
    out.text(type.comment);
    out.text(type.longComment);
    out.u8(type.beforeAlarm ? 1 : 0);
    out.i32(type.beforeAlarmDelay);
    out.i32(type.beforeAlarmRepeatType);
    out.text(type.beforeAlarmFile);
    out.u8(type.afterAlarm ? 1 : 0);
    out.i32(type.afterAlarmDelay);
    out.i32(type.afterAlarmRepeatType);
    out.text(type.afterAlarmFile);
    out.u8(type.excludeWeekends ? 1 : 0);
    out.i32(type.flags);
    out.i32(type.color);
}

void readValue(RecordReader& in, EventType& type, const ObjectsAt& objects) {
    type.id = in.i32();
    type.parentId = in.i32();
    type.parent = objects.type(in.u32());
    type.name = in.text();
    type.importance = static_cast<std::int16_t>(in.i32());
    type.comment = in.text();
    type.longComment = in.text();
    type.beforeAlarm = in.u8() != 0;
    type.beforeAlarmDelay = static_cast<std::int16_t>(in.i32());
    type.beforeAlarmRepeatType = static_cast<std::int16_t>(in.i32());
    type.beforeAlarmFile = in.text();
    type.afterAlarm = in.u8() != 0;
    type.afterAlarmDelay = static_cast<std::int16_t>(in.i32());
    type.afterAlarmRepeatType = static_cast<std::int16_t>(in.i32());
    type.afterAlarmFile = in.text();
    type.excludeWeekends = in.u8() != 0;
    type.flags = in.i32();
    type.color = in.i32();
}

void writeValue(RecordWriter& out, const Event& event, const ObjectPositions& at) {
    writeList(out, event.eventData, at.row);
    writeList(out, event.children, at.event);
    out.u32(at.event(event.parent));
    out.i32(event.id);
    out.i32(event.parentId);
    out.i32(event.typeId);
    out.u32(at.type(event.type));
    for (const DateTime time : {event.startDate, event.endDate, event.startTime, event.endTime}) {
        out.f64(time);
    }
    out.i32(event.repeatType);
    out.i32(event.repeatValue);
    out.u8(event.excludeWeekends ? 1 : 0);
}

void readValue(RecordReader& in, Event& event, const ObjectsAt& objects) {
    event.eventData = readList(in, objects.row);
    event.children = readList(in, objects.event);
    event.parent = objects.event(in.u32());
    event.id = in.i32();
    event.parentId = in.i32();
    event.typeId = in.i32();
    event.type = objects.type(in.u32());
    for (DateTime* time : {&event.startDate, &event.endDate, &event.startTime, &event.endTime}) {
        *time = in.f64();
    }
    event.repeatType = in.i32();
    event.repeatValue = in.i32();
    event.excludeWeekends = in.u8() != 0;
    event.coverage = {};
}

void writeValue(RecordWriter& out, const EventDataRow& row, const ObjectPositions& at) {
    out.u8(row.deleted ? 1 : 0);
    out.text(row.typeName);
    out.i32(row.id);
    out.i32(row.eventId);
    out.u32(at.event(row.event));
    for (const DateTime time : {row.startDate, row.endDate, row.startTime, row.endTime,
                                row.originalStartTime, row.originalEndTime}) {
        out.f64(time);
    }
    out.i32(row.repeatType);
    out.i32(row.repeatValue);
    out.u8(row.completed ? 1 : 0);
    out.i32(row.importance);
    out.f64(row.progress);
    out.text(row.comment);
    out.u8(row.excludeWeekends ? 1 : 0);
    out.i32(row.flags);
    out.i32(row.originalStartDelta);
    out.u8(row.originalCompleted ? 1 : 0);
    out.i32(row.originalImportance);
    out.f64(row.originalProgress);
    out.text(row.originalComment);
    out.i32(row.originalFlags);
    out.i32(row.startDelta);
    out.u8(row.beforeAlarmFired ? 1 : 0);
    out.u8(row.afterAlarmFired ? 1 : 0);
    for (const int place : {row.top, row.height, row.plannedTop, row.plannedHeight}) {
        out.i32(place);
    }
}

void readValue(RecordReader& in, EventDataRow& row, const ObjectsAt& objects) {
    row.deleted = in.u8() != 0;
    row.typeName = in.text();
    row.id = in.i32();
    row.eventId = in.i32();
    row.event = objects.event(in.u32());
    for (DateTime* time : {&row.startDate, &row.endDate, &row.startTime, &row.endTime,
                           &row.originalStartTime, &row.originalEndTime}) {
        *time = in.f64();
    }
    row.repeatType = in.i32();
    row.repeatValue = in.i32();
    row.completed = in.u8() != 0;
    row.importance = in.i32();
    row.progress = in.f64();
    row.comment = in.text();
    row.excludeWeekends = in.u8() != 0;
    row.flags = in.i32();
    row.originalStartDelta = in.i32();
    row.originalCompleted = in.u8() != 0;
    row.originalImportance = in.i32();
    row.originalProgress = in.f64();
    row.originalComment = in.text();
    row.originalFlags = in.i32();
    row.startDelta = in.i32();
    row.beforeAlarmFired = in.u8() != 0;
    row.afterAlarmFired = in.u8() != 0;
    for (int* place : {&row.top, &row.height, &row.plannedTop, &row.plannedHeight}) {
        *place = in.i32();
    }
}

}  // namespace kalvo
