#include "db/DatabaseFolder.h"

#include <stdexcept>

#include "db/AtomicFile.h"
#include "db/Database.h"
#include "db/Schema.h"

namespace kalvo {

bool holdsDatabase(const std::string& folder) {
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        if (!fileExists(folder + std::string(name))) {
            return false;
        }
    }
    return true;
}

DatabaseLocation locateDatabase(const std::optional<std::string>& requested,
                                const std::string& programFolder,
                                const std::string& userDataFolder) {
    if (requested) {
        if (!holdsDatabase(*requested)) {
            throw std::runtime_error(std::string(kNoDatabaseMessage));
        }
        return {*requested, false};
    }
    if (holdsDatabase(programFolder)) {
        return {programFolder, false};
    }
    return {userDataFolder, !holdsDatabase(userDataFolder)};
}

void createFromStarter(const std::string& starterFolder, const std::string& folder) {
    createFolder(folder);
    Database starter(starterFolder);
    std::string failure;
    if (!starter.openDatabase("", [&](const std::string& text) { failure = text; })) {
        throw std::runtime_error(failure);
    }
    starter.saveDatabaseTo(starter.readModel(), folder);
}

}  // namespace kalvo
