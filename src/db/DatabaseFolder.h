#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvo {

// Where the program keeps its database: the folder asked for on the command line; else the
// program's own folder when a database is already there (a portable copy, the build tree, and
// every user from before the user data folder); else the user's data folder, which gets the
// starter database on the first start. An installed program so never writes where it is
// installed. Every folder here ends in a separator.
struct DatabaseLocation {
    std::string folder;
    // The folder holds none of the table files yet: it is to be made from the starter database.
    bool fromStarter = false;
};

// Throws std::runtime_error with the program's "no database" message when `requested` holds
// no database; a folder asked for is never filled.
DatabaseLocation locateDatabase(const std::optional<std::string>& requested,
                                const std::string& programFolder,
                                const std::string& userDataFolder);

// The three table files are in `folder`.
bool holdsDatabase(const std::string& folder);

// The file by which a running Kalvo Planner holds its database folder: its process id, its
// name and its host, a line each.
inline constexpr std::string_view kLockFileName = ".kalvo-lock";

// Whether a Kalvo Planner running on this host holds the database in `folder` (ending in a
// separator): a lock whose process still runs. A lock left by a program that ended holds
// nothing.
bool heldByRunningProgram(const std::string& folder);

// Creates `folder` and writes the starter database of `starterFolder` into it, the three files
// as one set. Fails with the platform's or the reader's message.
void createFromStarter(const std::string& starterFolder, const std::string& folder);

}  // namespace kalvo
