// Feeds arbitrary bytes to the table file reader. Whatever it accepts must write back into a
// document that reads again to the same rows and columns.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "datapacket/Datapacket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    kalvo::Table table;
    try {
        kalvo::parseDatapacket(table, document);
    } catch (const std::runtime_error&) {
        return 0;
    }
    const std::string written = kalvo::datapacketText(table);
    kalvo::Table again;
    kalvo::parseDatapacket(again, written);  // throws, and so fails the run, if unreadable
    if (again.rowCount() != table.rowCount() || again.columns().size() != table.columns().size() ||
        again.changeLog() != table.changeLog()) {
        std::abort();
    }
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < static_cast<int>(table.columns().size()); ++column) {
            if (again.isNull(row, column) != table.isNull(row, column)) {
                std::abort();
            }
        }
    }
    return 0;
}
