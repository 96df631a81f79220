#pragma once

#include <string>

#include "datapacket/Datapacket.h"
#include "db/Schema.h"
#include "support/TemporaryFolder.h"

namespace kalvo::test {

// A table file with the program's columns and the given ROW elements.
inline std::string tableFile(std::span<const ColumnDefinition> definition,
                             const std::string& rows) {
    Table table;
    table.open(declareColumns(definition));
    const std::string empty = datapacketText(table);
    const std::string marker = "<ROWDATA>";
    return empty.substr(0, empty.find(marker) + marker.size()) + rows + "</ROWDATA></DATAPACKET>";
}

inline void writeDatabase(const std::filesystem::path& folder, const std::string& typeRows,
                          const std::string& eventRows, const std::string& eventDataRows) {
    std::filesystem::create_directories(folder);
    writeFileText((folder / kTypeFileName).string(), tableFile(typeTableDefinition(), typeRows));
    writeFileText((folder / kEventFileName).string(), tableFile(eventTableDefinition(), eventRows));
    writeFileText((folder / kEventDataFileName).string(),
                  tableFile(eventDataTableDefinition(), eventDataRows));
}

}  // namespace kalvo::test
