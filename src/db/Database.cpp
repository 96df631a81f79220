#include "db/Database.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "base/AtomicFile.h"
#include "datapacket/Datapacket.h"
#include "db/Schema.h"
#include "db/TableFileSet.h"

namespace kalvo {
namespace {

// Finds the program's columns in a table read from a file, which must hold each column the
// program uses with a type of the same family as the program's definition.
class ColumnBinder {
public:
    ColumnBinder(const Table& table, std::span<const ColumnDefinition> definition)
        : table_(table), definition_(definition) {
        table_.requireOpen();
    }

    int operator()(std::string_view name) const {
        const int index = table_.findColumn(name);
        if (index < 0) {
            throw std::runtime_error("Field '" + std::string(name) + "' not found");
        }
        const FieldType expected = definitionOf(name).type;
        const Column& column = table_.columns()[static_cast<std::size_t>(index)];
        if (!isSameFamily(column, expected)) {
            throw std::runtime_error("Type mismatch for field '" + std::string(name) +
                                     "', expecting: " + std::string(fieldTypeName(expected)) +
                                     " actual: " + std::string(fieldTypeName(column)));
        }
        return index;
    }

private:
    const ColumnDefinition& definitionOf(std::string_view name) const {
        for (const ColumnDefinition& column : definition_) {
            if (column.name == name) {
                return column;
            }
        }
        throw std::logic_error("The program uses the undefined column " + std::string(name));
    }

    const Table& table_;
    std::span<const ColumnDefinition> definition_;
};

struct TypeColumns {
    int id, parentTypeId, name, importance, comment, longComment, beforeAlarm, beforeAlarmDelay,
        beforeAlarmRepeatType, afterAlarm, afterAlarmDelay, afterAlarmRepeatType, afterAlarmFile,
        beforeAlarmFile, excludeWeekends, flags, color;

    explicit TypeColumns(const Table& table) {
        const ColumnBinder bind(table, typeTableDefinition());
        id = bind("Id"), parentTypeId = bind("ParentTypeId"), name = bind("Name");
        importance = bind("Importance"), comment = bind("Comment");
        longComment = bind("LongComment"), beforeAlarm = bind("BeforeAlarm");
        beforeAlarmDelay = bind("BeforeAlarmDelay");
        beforeAlarmRepeatType = bind("BeforeAlarmRepeatType"), afterAlarm = bind("AfterAlarm");
        afterAlarmDelay = bind("AfterAlarmDelay");
        afterAlarmRepeatType = bind("AfterAlarmRepeatType");
        afterAlarmFile = bind("AfterAlarmFile"), beforeAlarmFile = bind("BeforeAlarmFile");
        excludeWeekends = bind("ExcludeWeekends"), flags = bind("Flags"), color = bind("Color");
    }
};

struct EventColumns {
    int id, typeId, parentEventId, startDate, endDate, startTime, endTime, excludeWeekends,
        repeatType, repeatValue;

    explicit EventColumns(const Table& table) {
        const ColumnBinder bind(table, eventTableDefinition());
        id = bind("Id"), typeId = bind("TypeId"), parentEventId = bind("ParentEventId");
        startDate = bind("StartDate"), endDate = bind("EndDate");
        startTime = bind("StartTime"), endTime = bind("EndTime");
        excludeWeekends = bind("ExcludeWeekends"), repeatType = bind("RepeatType");
        repeatValue = bind("RepeatValue");
    }
};

struct EventDataColumns {
    int id, eventId, startDate, endDate, startTime, endTime, repeatType, repeatValue, comment,
        excludeWeekends, originalStartTime, originalEndTime, originalCompleted, originalImportance,
        originalProgress, originalComment, originalFlags, deleted, startDelta, originalStartDelta;

    explicit EventDataColumns(const Table& table) {
        const ColumnBinder bind(table, eventDataTableDefinition());
        id = bind("Id"), eventId = bind("EventId"), startDate = bind("StartDate");
        endDate = bind("EndDate"), startTime = bind("StartTime"), endTime = bind("EndTime");
        repeatType = bind("RepeatType"), repeatValue = bind("RepeatValue");
        comment = bind("Comment"), excludeWeekends = bind("ExcludeWeekends");
        originalStartTime = bind("OriginalStartTime");
        originalEndTime = bind("OriginalEndTime");
        originalCompleted = bind("OriginalCompleted");
        originalImportance = bind("OriginalImportance");
        originalProgress = bind("OriginalProgress");
        originalComment = bind("OriginalComment"), originalFlags = bind("OriginalFlags");
        deleted = bind("Deleted"), startDelta = bind("StartDelta");
        originalStartDelta = bind("OriginalStartDelta");
    }
};

std::int32_t int32Value(const Table& table, std::size_t row, int column) {
    return static_cast<std::int32_t>(table.integerValue(row, column));
}

std::int16_t int16Value(const Table& table, std::size_t row, int column) {
    return static_cast<std::int16_t>(table.integerValue(row, column));
}

std::int32_t parentIdValue(const Table& table, std::size_t row, int column) {
    return table.isNull(row, column) ? -1 : int32Value(table, row, column);
}

void readTypes(const Table& table, Model& model) {
    const TypeColumns c(table);
    const std::size_t count = table.rowCount();
    model.types.reserve(count);
    for (std::size_t row = 0; row < count; ++row) {
        auto type = std::make_unique<EventType>();
        type->id = int32Value(table, row, c.id);
        type->parentId = parentIdValue(table, row, c.parentTypeId);
        type->name = table.textValue(row, c.name);
        type->importance = int16Value(table, row, c.importance);
        type->comment = table.textValue(row, c.comment);
        type->longComment = table.textValue(row, c.longComment);
        type->beforeAlarm = table.booleanValue(row, c.beforeAlarm);
        type->beforeAlarmDelay = int16Value(table, row, c.beforeAlarmDelay);
        type->beforeAlarmRepeatType = int16Value(table, row, c.beforeAlarmRepeatType);
        type->beforeAlarmFile = table.textValue(row, c.beforeAlarmFile);
        type->afterAlarm = table.booleanValue(row, c.afterAlarm);
        type->afterAlarmDelay = int16Value(table, row, c.afterAlarmDelay);
        type->afterAlarmRepeatType = int16Value(table, row, c.afterAlarmRepeatType);
        type->afterAlarmFile = table.textValue(row, c.afterAlarmFile);
        type->excludeWeekends = table.booleanValue(row, c.excludeWeekends);
        type->flags = int32Value(table, row, c.flags);
        type->color =
            table.isNull(row, c.color) ? kDefaultTypeColor : int32Value(table, row, c.color);
        model.types.push_back(std::move(type));
    }
}

void readEvents(const Table& table, Model& model) {
    const EventColumns c(table);
    const std::size_t count = table.rowCount();
    model.events.reserve(count);
    for (std::size_t row = 0; row < count; ++row) {
        auto event = std::make_unique<Event>();
        event->id = int32Value(table, row, c.id);
        event->parentId = parentIdValue(table, row, c.parentEventId);
        event->typeId = int32Value(table, row, c.typeId);
        event->type = model.findType(event->typeId);
        event->startDate = table.dateTimeValue(row, c.startDate);
        event->endDate = table.dateTimeValue(row, c.endDate);
        event->startTime = table.dateTimeValue(row, c.startTime);
        event->endTime = table.dateTimeValue(row, c.endTime);
        event->repeatType = int32Value(table, row, c.repeatType);
        event->repeatValue = int32Value(table, row, c.repeatValue);
        event->excludeWeekends = table.booleanValue(row, c.excludeWeekends);
        model.events.push_back(std::move(event));
    }
}

void readEventData(const Table& table, Model& model) {
    const EventDataColumns c(table);
    const std::size_t count = table.rowCount();
    model.eventDataPanels.reserve(count);
    for (std::size_t row = 0; row < count; ++row) {
        auto data = std::make_unique<EventDataRow>();
        data->id = int32Value(table, row, c.id);
        data->eventId = int32Value(table, row, c.eventId);
        data->startDate = table.dateTimeValue(row, c.startDate);
        data->endDate = table.dateTimeValue(row, c.endDate);
        data->startTime = table.dateTimeValue(row, c.startTime);
        data->endTime = table.dateTimeValue(row, c.endTime);
        data->repeatType = int32Value(table, row, c.repeatType);
        data->repeatValue = int32Value(table, row, c.repeatValue);
        data->comment = table.textValue(row, c.comment);
        data->excludeWeekends = table.booleanValue(row, c.excludeWeekends);
        data->originalStartTime = table.dateTimeValue(row, c.originalStartTime);
        data->originalEndTime = table.dateTimeValue(row, c.originalEndTime);
        data->originalCompleted = table.booleanValue(row, c.originalCompleted);
        data->originalImportance = int32Value(table, row, c.originalImportance);
        data->originalProgress = table.floatValue(row, c.originalProgress);
        data->originalComment = table.textValue(row, c.originalComment);
        data->originalFlags = int32Value(table, row, c.originalFlags);
        data->deleted = table.booleanValue(row, c.deleted);
        data->startDelta = int32Value(table, row, c.startDelta);
        data->originalStartDelta = int32Value(table, row, c.originalStartDelta);
        model.eventDataPanels.push_back(std::move(data));
    }
}

void storeTypes(const Model& model, Table& table) {
    const TypeColumns c(table);
    table.empty();
    for (const auto& type : model.types) {
        const std::size_t row = table.insertRow();
        table.setInteger(row, c.id, type->id);
        if (type->parentId != -1) {
            table.setInteger(row, c.parentTypeId, type->parentId);
        }
        table.setText(row, c.name, type->name);
        table.setInteger(row, c.importance, type->importance);
        table.setText(row, c.comment, type->comment);
        table.setText(row, c.longComment, type->longComment);
        table.setBoolean(row, c.beforeAlarm, type->beforeAlarm);
        table.setInteger(row, c.beforeAlarmDelay, type->beforeAlarmDelay);
        table.setInteger(row, c.beforeAlarmRepeatType, type->beforeAlarmRepeatType);
        table.setBoolean(row, c.afterAlarm, type->afterAlarm);
        table.setInteger(row, c.afterAlarmDelay, type->afterAlarmDelay);
        table.setInteger(row, c.afterAlarmRepeatType, type->afterAlarmRepeatType);
        table.setText(row, c.afterAlarmFile, type->afterAlarmFile);
        table.setText(row, c.beforeAlarmFile, type->beforeAlarmFile);
        table.setBoolean(row, c.excludeWeekends, type->excludeWeekends);
        table.setInteger(row, c.flags, type->flags);
        table.setInteger(row, c.color, type->color);
    }
}

void storeEvents(const Model& model, Table& table) {
    const EventColumns c(table);
    table.empty();
    for (const auto& event : model.events) {
        const std::size_t row = table.insertRow();
        table.setInteger(row, c.id, event->id);
        table.setInteger(row, c.typeId, event->typeId);
        if (event->parentId != -1) {
            table.setInteger(row, c.parentEventId, event->parentId);
        }
        table.setDateTime(row, c.startDate, event->startDate);
        table.setDateTime(row, c.endDate, event->endDate);
        table.setDateTime(row, c.startTime, event->startTime);
        table.setDateTime(row, c.endTime, event->endTime);
        table.setBoolean(row, c.excludeWeekends, event->excludeWeekends);
        table.setInteger(row, c.repeatType, event->repeatType);
        table.setInteger(row, c.repeatValue, event->repeatValue);
    }
}

void storeEventData(const Model& model, Table& table) {
    const EventDataColumns c(table);
    table.empty();
    for (const auto& data : model.eventDataPanels) {
        const std::size_t row = table.insertRow();
        table.setInteger(row, c.id, data->id);
        table.setInteger(row, c.eventId, data->eventId);
        table.setDateTime(row, c.startDate, data->startDate);
        table.setDateTime(row, c.endDate, data->endDate);
        table.setDateTime(row, c.startTime, data->startTime);
        table.setDateTime(row, c.endTime, data->endTime);
        table.setInteger(row, c.repeatType, data->repeatType);
        table.setInteger(row, c.repeatValue, data->repeatValue);
        table.setText(row, c.comment, data->comment);
        table.setBoolean(row, c.excludeWeekends, data->excludeWeekends);
        table.setDateTime(row, c.originalStartTime, data->originalStartTime);
        table.setDateTime(row, c.originalEndTime, data->originalEndTime);
        table.setBoolean(row, c.originalCompleted, data->originalCompleted);
        table.setInteger(row, c.originalImportance, data->originalImportance);
        table.setFloat(row, c.originalProgress, data->originalProgress);
        table.setText(row, c.originalComment, data->originalComment);
        table.setInteger(row, c.originalFlags, data->originalFlags);
        table.setBoolean(row, c.deleted, data->deleted);
        table.setInteger(row, c.startDelta, data->startDelta);
        table.setInteger(row, c.originalStartDelta, data->originalStartDelta);
    }
}

std::string filePath(const std::string& base, std::string_view name) {
    return base + std::string(name);
}

}  // namespace

Database::Database(std::string databaseFolder) : databaseFolder_(std::move(databaseFolder)) {}

bool Database::openDatabase(const std::string& folder, const ErrorReporter& showError,
                            Access access) {
    awaitWrite();
    const std::string base = folder.empty() ? databaseFolder_ : folder + "/";
    if (access == Access::look) {
        if (interruptedSaveRecorded(base)) {
            showError("A save into \"" + base +
                      "\" is unfinished: try again, or start Kalvo Planner on that database to "
                      "finish it.");
            return false;
        }
    } else {
        try {
            completeInterruptedSave(base);
        } catch (const std::runtime_error& error) {
            showError(error.what());
            return false;
        }
    }
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        if (!fileExists(filePath(base, name))) {
            showError(std::string(kNoDatabaseMessage));
            return false;
        }
    }
    Table* current = &dataType_;
    std::string currentPath = filePath(base, kTypeFileName);
    try {
        readDatapacket(dataType_, currentPath);
        TypeColumns{dataType_};
        current = &setEvent_;
        currentPath = filePath(base, kEventFileName);
        readDatapacket(setEvent_, currentPath);
        EventColumns{setEvent_};
        current = &setEventData_;
        currentPath = filePath(base, kEventDataFileName);
        readDatapacket(setEventData_, currentPath);
        EventDataColumns{setEventData_};
    } catch (const std::runtime_error& error) {
        // A table whose columns the program cannot use is as unusable as an unreadable one.
        current->close();
        showError(error.what());
        return false;
    } catch (const std::bad_alloc&) {
        current->close();
        showError("Cannot open file \"" + currentPath + "\". " + std::strerror(ENOMEM));
        return false;
    } catch (const std::length_error& error) {
        current->close();
        showError("Cannot open file \"" + currentPath + "\". " + error.what());
        return false;
    }
    return true;
}

Model Database::readModel() const {
    awaitWrite();
    Model model;
    readTypes(dataType_, model);
    readEvents(setEvent_, model);
    readEventData(setEventData_, model);
    model.link();
    return model;
}

void Database::writeTables(const std::string& base) const {
    TableFileSetWriter files(base);
    files.write(kTypeFileName, dataType_);
    files.write(kEventFileName, setEvent_);
    files.write(kEventDataFileName, setEventData_);
    files.commit();
}

void Database::saveDatabase(const Model& model) {
    saveDatabaseTo(model, databaseFolder_);
}

void Database::awaitWrite() const {
    if (write_.valid()) {
        write_.wait();  // the write reads the tables; its outcome is for finishSave
    }
}

void Database::storeModel(const Model& model) {
    awaitWrite();
    storeTypes(model, dataType_);
    storeEvents(model, setEvent_);
    storeEventData(model, setEventData_);
}

void Database::saveDatabaseTo(const Model& model, const std::string& base) {
    storeModel(model);
    writeTables(base);
}

void Database::startSave(const Model& model, std::function<void()> written) {
    finishSave();
    storeModel(model);
    std::promise<void> outcome;
    write_ = outcome.get_future();
    writer_ =
        std::jthread([this, outcome = std::move(outcome), written = std::move(written)]() mutable {
            try {
                writeTables(databaseFolder_);
                outcome.set_value();
            } catch (...) {
                outcome.set_exception(std::current_exception());
            }
            written();  // the outcome is there to be finished by now
        });
}

bool Database::saveWritten() const {
    return write_.valid() && write_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

bool Database::finishSave() {
    if (!write_.valid()) {
        return false;
    }
    std::future<void> write = std::move(write_);
    writer_.join();
    write.get();
    return true;
}

void Database::writeBackup(const std::string& folder) {
    // The user named the folder: one that does not exist yet is made.
    if (!folder.empty()) {
        createFolder(folder);
    }
    writeTables(folder + "/");
}

bool Database::restoreDatabase(Model& model, const std::string& folder,
                               const ErrorReporter& showError, const ModelReplacement& replace) {
    saveDatabase(model);
    const bool fromBackup = openDatabase(folder, showError);
    if (!fromBackup) {
        openDatabase("", showError);
    }
    Model restored = readModel();
    if (replace) {
        replace(std::move(restored), fromBackup);
    } else {
        model.freeModel();
        model = std::move(restored);
    }
    return fromBackup;
}

}  // namespace kalvo
