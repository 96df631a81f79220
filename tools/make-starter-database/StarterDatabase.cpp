#include "make-starter-database/StarterDatabase.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "datapacket/Datapacket.h"
#include "db/Database.h"
#include "db/Schema.h"

namespace kalvo {
namespace {

// Importance levels of the Appointment Type page.
constexpr std::int16_t kLow = 1;
constexpr std::int16_t kMedium = 2;
constexpr std::int16_t kHigh = 3;

struct StarterType {
    std::string_view name;
    std::string_view parent;  // empty: a top-level type
    std::int16_t importance;
    std::string_view comment;
    bool excludeWeekends;
    std::int32_t color;  // 0x00BBGGRR
};

// Colours far enough apart to tell the panels and the chart's slices apart at a glance, with
// the sub-type a lighter shade of its parent so that a meeting still reads as work.
constexpr StarterType kStarterTypes[] = {
    {"Work", "", kHigh, "Working hours", true, 0x00C07830},
    {"Meeting", "Work", kHigh, "Meetings during working hours", true, 0x00E8B070},
    {"Study", "", kMedium, "Courses, reading and practice", false, 0x0098A12A},
    {"Lunch", "", kLow, "Lunch break", false, 0x00369AF0},
    {"Exercise", "", kMedium, "Sport and walks", false, 0x004C4CE5},
    {"Family", "", kHigh, "Time with family and friends", false, 0x00B6599B},
    {"Sleep", "", kMedium, "Sleep at night", false, 0x00806050},
};

void writeEmptyTable(const std::string& path, std::span<const ColumnDefinition> definition) {
    Table table;
    table.open(declareColumns(definition));
    writeDatapacket(table, path);
}

}  // namespace

Model starterModel() {
    Model model;
    for (const StarterType& starter : kStarterTypes) {
        auto type = std::make_unique<EventType>();
        type->id = model.nextTypeId();
        if (!starter.parent.empty()) {
            // Parents come first in the list, so the first match is the only one.
            for (const auto& candidate : model.types) {
                if (candidate->name == starter.parent) {
                    type->parentId = candidate->id;
                    break;
                }
            }
            if (type->parentId == -1) {
                throw std::logic_error("The starter type " + std::string(starter.name) +
                                       " names the unknown parent " + std::string(starter.parent));
            }
        }
        type->name = starter.name;
        type->importance = starter.importance;
        type->comment = starter.comment;
        type->excludeWeekends = starter.excludeWeekends;
        type->color = starter.color;
        model.types.push_back(std::move(type));
    }
    model.link();
    return model;
}

void writeStarterDatabase(const std::string& folder) {
    const std::string base = folder + "/";
    // The program saves only into tables it has opened from files, so the save starts from
    // empty files with the program's columns; what it then writes is what any save writes.
    writeEmptyTable(base + std::string(kTypeFileName), typeTableDefinition());
    writeEmptyTable(base + std::string(kEventFileName), eventTableDefinition());
    writeEmptyTable(base + std::string(kEventDataFileName), eventDataTableDefinition());
    Database database(base);
    std::string message;
    if (!database.openDatabase("", [&](const std::string& text) { message = text; })) {
        throw std::runtime_error(message);
    }
    database.saveDatabase(starterModel());
}

}  // namespace kalvo
