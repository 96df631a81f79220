#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "datapacket/Table.h"

namespace kalvo {

// The table files of a database folder are replaced as one set: after a crash at any moment of
// a save, a backup or a restore, the folder holds every old file or every new one, never a mix.
//
// Each new file is written and flushed under a temporary name; then a commit record naming the
// temporary files is put in place atomically (from here the save has happened); then each file
// is renamed over its table file; then the record is removed. Opening the folder again first
// finishes a save whose record is there, or removes the files an unrecorded one left behind.

inline constexpr std::string_view kCommitRecordName = ".kalvo-commit";

class TableFileSetWriter {
public:
    // `base`: the folder, ending in a separator. An earlier save interrupted there is finished
    // or cleared first.
    explicit TableFileSetWriter(std::string base);

    // Writes `table` into a new file to replace the table file `name`, not yet in place.
    void write(std::string_view name, const Table& table);

    // Puts every file written in place at once. Fails with the platform's message; when the
    // record was written before the failure, the next open of the folder finishes the save.
    void commit();

private:
    std::string base_;
    std::vector<std::pair<std::string, std::unique_ptr<AtomicFileWriter>>> files_;
};

// Finishes a recorded save in the folder `base` (ending in a separator), or removes the
// temporary files of one that was never recorded. Fails with the platform's message when a
// recorded save cannot be finished.
void completeInterruptedSave(const std::string& base);

// Whether a save into the folder `base` has been recorded and not yet finished: until it is,
// the folder's table files may be part old, part new.
bool interruptedSaveRecorded(const std::string& base);

}  // namespace kalvo
