#include "types/TypePageValues.h"

#include <charconv>
#include <limits>

namespace kalvo {
namespace {

void readDelay(const std::string& text, std::int16_t& delay) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last != end || text.empty() ||
        value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return;
    }
    delay = static_cast<std::int16_t>(value);
}

}  // namespace

TypePageValues typePageValues(const EventType& type) {
    TypePageValues page;
    page.name = type.name;
    page.color = type.color;
    page.importance =
        type.importance >= 0 && type.importance < static_cast<int>(kImportanceNames.size())
            ? type.importance
            : kNoImportance;
    page.comment = type.comment;
    page.longComment = type.longComment;
    page.excludeWeekends = type.excludeWeekends;
    page.beforeAlarm = type.beforeAlarm;
    page.beforeAlarmDelay = std::to_string(type.beforeAlarmDelay);
    page.beforeAlarmFile = type.beforeAlarmFile;
    page.afterAlarm = type.afterAlarm;
    page.afterAlarmDelay = std::to_string(type.afterAlarmDelay);
    page.afterAlarmFile = type.afterAlarmFile;
    return page;
}

void readTypePage(const TypePageValues& page, EventType& type) {
    type.name = page.name;
    if (page.color) {
        type.color = *page.color;
    }
    type.importance = static_cast<std::int16_t>(page.importance);
    type.comment = page.comment;
    type.longComment = page.longComment;
    type.excludeWeekends = page.excludeWeekends;
    type.beforeAlarm = page.beforeAlarm;
    readDelay(page.beforeAlarmDelay, type.beforeAlarmDelay);
    type.beforeAlarmFile = page.beforeAlarmFile;
    type.afterAlarm = page.afterAlarm;
    readDelay(page.afterAlarmDelay, type.afterAlarmDelay);
    type.afterAlarmFile = page.afterAlarmFile;
}

}  // namespace kalvo
