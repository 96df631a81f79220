#include "TenYearDatabase.h"

#include <filesystem>
#include <random>
#include <stdexcept>

#include "datapacket/Datapacket.h"
#include "db/Database.h"
#include "db/Schema.h"

namespace kalvo::bench {
namespace {

constexpr int kTypes = 50;
constexpr int kEventsPerYear = 500;
constexpr int kRowsPerYear = 10000;
// Each day holds this many rows, of as many appointments; an appointment runs as a daily
// series for kSeriesDays days, one row a day (every edit of a day cuts a series into pieces).
constexpr int kRowsPerDay = 27;
constexpr int kSeriesDays = 20;
constexpr DateTime kFirstDay = 42005;  // 1 January 2015

}  // namespace

Model plannerModel(int years) {
    const int kEvents = kEventsPerYear * years;
    const int kRows = kRowsPerYear * years;
    Model model;
    std::mt19937 random(20261209);
    for (int id = 0; id < kTypes; ++id) {
        auto type = std::make_unique<EventType>();
        type->id = id;
        type->parentId = id >= 10 ? id % 10 : -1;
        type->name = "Type " + std::to_string(id);
        type->comment = id % 3 == 0 ? "Planned every week" : "";
        type->color = static_cast<std::int32_t>(random() & 0xFFFFFF);
        model.types.push_back(std::move(type));
    }
    for (int id = 0; id < kEvents; ++id) {
        auto event = std::make_unique<Event>();
        event->id = id;
        event->typeId = static_cast<std::int32_t>(random() % kTypes);
        event->parentId = id % 5 == 4 ? id - 1 : -1;
        event->startDate = kFirstDay + (id / kRowsPerDay) * kSeriesDays;
        model.events.push_back(std::move(event));
    }
    for (int id = 0; id < kRows; ++id) {
        auto row = std::make_unique<EventDataRow>();
        row->id = id;
        const int day = id / kRowsPerDay;
        const int block = day / kSeriesDays;
        row->eventId = (block * kRowsPerDay + id % kRowsPerDay) % kEvents;
        row->startDate = kFirstDay + day;
        // The series still running today end with an open row; older ones ended when their
        // last piece was cut off.
        const int lastBlock = (kRows / kRowsPerDay) / kSeriesDays;
        const bool lastPieceOfCurrentSeries =
            day % kSeriesDays == kSeriesDays - 1 && block == lastBlock - 1;
        row->endDate = lastPieceOfCurrentSeries ? 0 : row->startDate;
        // The day's appointments follow one another every half hour from 06:00; a
        // sub-appointment lies 5 minutes into its parent's half hour.
        const int slot = id % kRowsPerDay;
        const bool isChild = row->eventId % 5 == 4 && slot > 0;
        const int startMinute = 360 + (isChild ? (slot - 1) * 30 + 5 : slot * 30);
        const int duration = isChild ? 10 : 25;
        row->startTime = row->startDate + startMinute / 1440.0;
        row->endTime = row->startTime + duration / 1440.0;
        row->originalStartTime = row->startTime;
        row->originalEndTime = row->endTime;
        row->startDelta = row->originalStartDelta = isChild ? 2 : startMinute * 2 / 5;
        row->comment = id % 4 == 0 ? "Discussed the quarterly plan & next steps" : "";
        row->originalComment = row->comment;
        row->excludeWeekends = id % 7 == 0;
        model.eventDataPanels.push_back(std::move(row));
    }
    return model;
}

std::string plannerFolder(int years) {
    const std::string name = years == 10 ? "ten-years" : std::to_string(years) + "-years";
    return std::string(KALVO_BENCH_DATA) + "/" + name + "/";
}

void ensurePlannerDatabase(const std::string& folder, int years) {
    if (std::filesystem::exists(folder + std::string(kEventDataFileName))) {
        return;
    }
    std::filesystem::create_directories(folder);
    const std::pair<std::string_view, std::span<const ColumnDefinition>> tables[] = {
        {kTypeFileName, typeTableDefinition()},
        {kEventFileName, eventTableDefinition()},
        {kEventDataFileName, eventDataTableDefinition()}};
    for (const auto& [name, definition] : tables) {
        Table table;
        table.open(declareColumns(definition));
        writeDatapacket(table, folder + std::string(name));
    }
    Database database(folder);
    database.openDatabase("",
                          [](const std::string& message) { throw std::runtime_error(message); });
    database.saveDatabase(plannerModel(years));
}

}  // namespace kalvo::bench
