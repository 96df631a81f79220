#include "types/TypePageValues.h"

#include <gtest/gtest.h>

namespace kalvo {
namespace {

EventType fullyFilledType() {
    EventType type;
    type.id = 12;
    type.parentId = 3;
    type.name = "Meeting";
    type.importance = 3;
    type.comment = "weekly";
    type.longComment = "Line 1\r\nLine 2";
    type.beforeAlarm = true;
    type.beforeAlarmDelay = -5;
    type.beforeAlarmRepeatType = 2;
    type.beforeAlarmFile = "C:\\Sounds\\start.wav";
    type.afterAlarm = true;
    type.afterAlarmDelay = 32767;
    type.afterAlarmRepeatType = 4;
    type.afterAlarmFile = "end.mp3";
    type.excludeWeekends = true;
    type.flags = 0x55;
    type.color = static_cast<std::int32_t>(0xFF00000FU);  // a system colour: button face
    return type;
}

void expectSameType(const EventType& actual, const EventType& expected) {
    EXPECT_EQ(actual.id, expected.id);
    EXPECT_EQ(actual.parentId, expected.parentId);
    EXPECT_EQ(actual.parent, expected.parent);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.importance, expected.importance);
    EXPECT_EQ(actual.comment, expected.comment);
    EXPECT_EQ(actual.longComment, expected.longComment);
    EXPECT_EQ(actual.beforeAlarm, expected.beforeAlarm);
    EXPECT_EQ(actual.beforeAlarmDelay, expected.beforeAlarmDelay);
    EXPECT_EQ(actual.beforeAlarmRepeatType, expected.beforeAlarmRepeatType);
    EXPECT_EQ(actual.beforeAlarmFile, expected.beforeAlarmFile);
    EXPECT_EQ(actual.afterAlarm, expected.afterAlarm);
    EXPECT_EQ(actual.afterAlarmDelay, expected.afterAlarmDelay);
    EXPECT_EQ(actual.afterAlarmRepeatType, expected.afterAlarmRepeatType);
    EXPECT_EQ(actual.afterAlarmFile, expected.afterAlarmFile);
    EXPECT_EQ(actual.excludeWeekends, expected.excludeWeekends);
    EXPECT_EQ(actual.flags, expected.flags);
    EXPECT_EQ(actual.color, expected.color);
}

TEST(TypePage, ShowingAndReadingBackChangesNothing) {
    const EventType original = fullyFilledType();
    EventType type = original;
    readTypePage(typePageValues(type), type);
    expectSameType(type, original);
}

TEST(TypePage, ImportanceOutsideTheListShowsNoEntryAndIsReadAsMinusOne) {
    const std::pair<std::int16_t, int> cases[] = {{0, 0},  {2, 2},  {4, 4},  {-1, -1},
                                                  {5, -1}, {7, -1}, {-3, -1}};
    for (const auto& [stored, shown] : cases) {
        SCOPED_TRACE(stored);
        EventType type;
        type.importance = stored;
        const TypePageValues page = typePageValues(type);
        EXPECT_EQ(page.importance, shown);
        readTypePage(page, type);
        EXPECT_EQ(type.importance, shown);
    }
}

TEST(TypePage, WhatTheHiddenOrUnselectedControlsCannotSayLeavesTheMember) {
    const std::pair<const char*, std::int16_t> delays[] = {
        {"", 9}, {"abc", 9}, {"12x", 9}, {"40000", 9}, {"-32768", -32768}, {"0", 0}};
    for (const auto& [text, delay] : delays) {
        SCOPED_TRACE(text);
        EventType type;
        type.beforeAlarmDelay = type.afterAlarmDelay = 9;
        type.color = 0x123456;
        TypePageValues page = typePageValues(type);
        page.beforeAlarmDelay = page.afterAlarmDelay = text;
        page.color.reset();
        readTypePage(page, type);
        EXPECT_EQ(type.beforeAlarmDelay, delay);
        EXPECT_EQ(type.afterAlarmDelay, delay);
        EXPECT_EQ(type.color, 0x123456);
    }
}

}  // namespace
}  // namespace kalvo
