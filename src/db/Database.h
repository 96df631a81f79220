#pragma once

#include <functional>
#include <future>
#include <string>
#include <thread>

#include "datapacket/Table.h"
#include "model/Model.h"

namespace kalvo {

inline constexpr std::string_view kNoDatabaseMessage =
    "There is no Kalvo Planner database in the specified folder.";

// The three tables of a planner database and the operations that move data between their
// files, the tables and the model.
class Database {
public:
    using ErrorReporter = std::function<void(const std::string&)>;

    // `databaseFolder` is the folder of the database, ending in a separator.
    explicit Database(std::string databaseFolder);

    const std::string& databaseFolder() const { return databaseFolder_; }

    // Whether an open may change the folder it reads: the program finishes or clears a save
    // interrupted there; a reader that only looks (kalvo-db) must leave a save that the program
    // may be writing at that moment alone, and refuses while one is recorded but unfinished.
    enum class Access { edit, look };

    // Finishes or clears a save interrupted in `folder` (the database folder when empty), then
    // reads its three files into the tables and checks that each holds the columns the
    // program uses. On failure `showError` gets the
    // message and false is returned; the table that failed is closed, those read before it
    // keep their new content and those after it their previous one.
    bool openDatabase(const std::string& folder, const ErrorReporter& showError,
                      Access access = Access::edit);

    // A new model read from the tables and linked. Fails with "Cannot perform this operation
    // on a closed dataset" when a table is not open.
    Model readModel() const;

    // Writes the model into the tables, emptied first, and the tables into their files in the
    // database folder, the three as one set. A failing write ends the save with the platform's
    // message and leaves the previous files.
    void saveDatabase(const Model& model);

    // The same save into the folder `base`, which ends in a separator; saveDatabase is this
    // on the database folder.
    void saveDatabaseTo(const Model& model, const std::string& base);

    // The same save with the files written on a worker thread: the model is written into the
    // tables here, so it may change as soon as this returns. `written` is called on the
    // worker thread when the files are written or the write has failed; finishSave then tells
    // which. Any other use of the database first waits for the write; a new save first
    // finishes it.
    void startSave(const Model& model, std::function<void()> written);
    // Whether the write of a started save has ended and not yet been finished.
    bool saveWritten() const;
    // Waits for the write of the save started last, once: returns whether there was one, and
    // fails as that write failed.
    bool finishSave();

    // A backup: writes the tables as last saved into `folder`. The window saves first, so the
    // backup holds the model as it stands, and that save stands when the backup fails.
    void writeBackup(const std::string& folder);

    // Puts the model read in place of the model; `fromBackup` says whether it is the backup's.
    using ModelReplacement = std::function<void(Model&& restored, bool fromBackup)>;

    // Saves, then reads the database in `folder`, falling back to the database folder when
    // it cannot be opened, and replaces the model with the one read: through `replace` when
    // one is given (the window keeps the old one for an undo), else by freeing it. The model
    // is replaced only when the new one is whole. Returns whether it is the backup's, which
    // the database folder holds only from the next save on.
    bool restoreDatabase(Model& model, const std::string& folder, const ErrorReporter& showError,
                         const ModelReplacement& replace = {});

    const Table& dataType() const { return dataType_; }
    const Table& setEvent() const { return setEvent_; }
    const Table& setEventData() const { return setEventData_; }

private:
    void awaitWrite() const;
    void storeModel(const Model& model);
    void writeTables(const std::string& base) const;

    std::string databaseFolder_;
    Table dataType_;
    Table setEvent_;
    Table setEventData_;
    // The files of a started save being written from the tables, and the thread writing them.
    std::future<void> write_;
    std::jthread writer_;
};

}  // namespace kalvo
