#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "datapacket/Table.h"

namespace kalvo {

inline constexpr std::string_view kTypeFileName = "Type.xml";
inline constexpr std::string_view kEventFileName = "Event.xml";
inline constexpr std::string_view kEventDataFileName = "EventData.xml";

struct ColumnDefinition {
    std::string_view name;
    FieldType type;
    std::size_t width = 0;
};

// The columns of the three tables in file order. Opening a database takes the columns from
// its files; these serve to create new databases and to check the files' columns.
std::span<const ColumnDefinition> typeTableDefinition();
std::span<const ColumnDefinition> eventTableDefinition();
std::span<const ColumnDefinition> eventDataTableDefinition();

std::vector<Column> declareColumns(std::span<const ColumnDefinition> definition);

}  // namespace kalvo
