#include "db/DatabaseFolder.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "base/AtomicFile.h"
#include "db/Database.h"
#include "db/Schema.h"

namespace kalvo {

namespace {

constexpr std::string_view kTableFileNames[] = {kTypeFileName, kEventFileName, kEventDataFileName};

std::size_t tableFilesIn(const std::string& folder) {
    std::size_t found = 0;
    for (const std::string_view name : kTableFileNames) {
        found += fileExists(folder + std::string(name)) ? 1 : 0;
    }
    return found;
}

}  // namespace

bool holdsDatabase(const std::string& folder) {
    return tableFilesIn(folder) == std::size(kTableFileNames);
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
    // A folder that lost one of its files keeps the others: the open reports the missing one
    // rather than the starter database replacing the user's.
    return {userDataFolder, tableFilesIn(userDataFolder) == 0};
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

bool heldByRunningProgram(const std::string& folder) {
    std::ifstream lock(folder + std::string(kLockFileName));
    long long processId = 0;
    std::string program;
    std::string host;
    if (!(lock >> processId) || processId <= 0) {
        return false;
    }
    lock.ignore();
    std::getline(lock, program);
    std::getline(lock, host);
    char ownHost[256] = {};
    if (!host.empty() && gethostname(ownHost, sizeof ownHost - 1) == 0 && host != ownHost) {
        return true;  // another host's program: it cannot be asked, so it holds the folder
    }
    // Signal 0 only asks whether the process exists; one of another user exists too.
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

}  // namespace kalvo
