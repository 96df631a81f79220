#pragma once

#include <string>
#include <string_view>

#include "datapacket/Table.h"

namespace kalvo {

// Reads a table file into `table`. The table is closed first; it is opened on the file's
// columns, parameters, change log and rows only when the whole file has been read, so a
// failed read leaves it closed. Failures throw std::runtime_error with the message the user
// sees: the platform's file error, or what is wrong in the document and at which byte.
void readDatapacket(Table& table, const std::string& path);

// The same for a document already in memory; `origin` names it in messages.
void parseDatapacket(Table& table, std::string_view document, std::string_view origin = {});

// Writes the whole table, replacing the file atomically.
void writeDatapacket(const Table& table, const std::string& path);

// Writes the whole table into the temporary file of `file`, which is not committed.
class AtomicFileWriter;
void writeDatapacket(const Table& table, AtomicFileWriter& file);

// The exact bytes writeDatapacket writes.
std::string datapacketText(const Table& table);

}  // namespace kalvo
