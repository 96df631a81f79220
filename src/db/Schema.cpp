#include "db/Schema.h"

namespace kalvo {
namespace {

using enum FieldType;

constexpr ColumnDefinition kTypeColumns[] = {
    {"Id", Integer},
    {"ParentTypeId", Integer},
    {"Name", String, 64},
    {"Importance", SmallInt},
    {"Comment", String, 255},
    {"LongComment", Memo},
    {"BeforeAlarm", Boolean},
    {"BeforeAlarmDelay", SmallInt},
    {"BeforeAlarmRepeatType", SmallInt},
    {"AfterAlarm", Boolean},
    {"AfterAlarmDelay", SmallInt},
    {"AfterAlarmRepeatType", SmallInt},
    {"AfterAlarmFile", String, 255},
    {"BeforeAlarmFile", String, 255},
    {"ExcludeWeekends", Boolean},
    {"Flags", Integer},
    {"CreatedDate", DateAndTime},
    {"ModifiedDate", DateAndTime},
    {"Color", Integer},
};

constexpr ColumnDefinition kEventColumns[] = {
    {"Id", Integer},
    {"TypeId", Integer},
    {"ParentEventId", Integer},
    {"StartDate", DateAndTime},
    {"EndDate", DateAndTime},
    {"StartTime", DateAndTime},
    {"EndTime", DateAndTime},
    {"ToDo", Boolean},
    {"Completed", Boolean},
    {"Importance", SmallInt},
    {"Progress", Float},
    {"Comment", String, 255},
    {"LongComment", Memo},
    {"BeforeAlarm", Boolean},
    {"BeforeAlarmDelay", SmallInt},
    {"BeforeAlarmRepeatType", SmallInt},
    {"BeforeAlarmFile", String, 255},
    {"AfterAlarm", Boolean},
    {"AfterAlarmDelay", SmallInt},
    {"AfterAlarmRepeatType", SmallInt},
    {"AfterAlarmFile", String, 255},
    {"ExcludeWeekends", Boolean},
    {"CreatedDate", DateAndTime},
    {"ModifiedDate", DateAndTime},
    {"RepeatType", Integer},
    {"RepeatValue", Integer},
    {"Flags", Integer},
    {"OriginalStartTime", DateAndTime},
    {"OriginalEndTime", DateAndTime},
    {"OriginalCompleted", Boolean},
    {"OriginalImportance", SmallInt},
    {"OriginalProgress", Float},
    {"OriginalComment", String, 255},
    {"OriginalLongComment", Memo},
    {"OriginalFlags", Integer},
};

constexpr ColumnDefinition kEventDataColumns[] = {
    {"Id", Integer},
    {"EventId", Integer},
    {"StartDate", DateAndTime},
    {"EndDate", DateAndTime},
    {"StartTime", DateAndTime},
    {"EndTime", DateAndTime},
    {"RepeatType", Integer},
    {"RepeatValue", Integer},
    {"Cost", Float},
    {"Currency", String, 3},
    {"ToDo", Boolean},
    {"Completed", Boolean},
    {"Importance", Integer},
    {"Progress", Float},
    {"Comment", String, 255},
    {"LongComment", Memo},
    {"BeforeAlarm", Boolean},
    {"BeforeAlarmDelay", SmallInt},
    {"BeforeAlarmRepeatType", SmallInt},
    {"BeforeAlarmFile", String, 255},
    {"AfterAlarm", Boolean},
    {"AfterAlarmDelay", SmallInt},
    {"AfterAlarmRepeatType", SmallInt},
    {"AfterAlarmFile", String, 255},
    {"ExcludeWeekends", Boolean},
    {"Flags", Integer},
    {"OriginalStartTime", DateAndTime},
    {"OriginalEndTime", DateAndTime},
    {"OriginalCompleted", Boolean},
    {"OriginalImportance", Integer},
    {"OriginalProgress", Float},
    {"OriginalComment", String, 255},
    {"OriginalLongComment", Memo},
    {"OriginalFlags", Integer},
    {"CreatedDate", DateAndTime},
    {"ModifiedDate", DateAndTime},
    {"Deleted", Boolean},
    {"StartDelta", Integer},
    {"OriginalStartDelta", Integer},
};

}  // namespace

std::span<const ColumnDefinition> typeTableDefinition() {
    return kTypeColumns;
}

std::span<const ColumnDefinition> eventTableDefinition() {
    return kEventColumns;
}

std::span<const ColumnDefinition> eventDataTableDefinition() {
    return kEventDataColumns;
}

std::vector<Column> declareColumns(std::span<const ColumnDefinition> definition) {
    std::vector<Column> columns;
    columns.reserve(definition.size());
    for (const ColumnDefinition& column : definition) {
        columns.push_back(Column::declare(std::string(column.name), column.type, column.width));
    }
    return columns;
}

}  // namespace kalvo
