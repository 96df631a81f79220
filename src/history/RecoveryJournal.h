#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo {

// The recovery journal: while there are unsaved edits, each record of the edit history (a
// step, an undo, a redo) is appended to one hidden file in the database folder, so that the
// edits made since the last save can be done again after a crash. Its header names the saved
// files the records apply to; each record carries its length and checksum, so that a record
// torn by the crash is seen and left out.

inline constexpr std::string_view kJournalName = ".kalvo-journal";

// The size and CRC-32 of each of the three table files.
struct SavedFiles {
    std::array<std::uint64_t, 3> sizes{};
    std::array<std::uint32_t, 3> checksums{};

    bool operator==(const SavedFiles&) const = default;
};

// The saved files of the database folder `base` (ending in a separator). Fails with the
// platform's message when one cannot be read.
SavedFiles savedFilesOf(const std::string& base);

// What a journal holds.
struct JournalContent {
    enum class State {
        none,     // there is no journal
        foreign,  // its header is damaged or names other files than the saved ones
        whole,    // every record is whole
        torn,     // the records end in a torn one, left out
    };
    State state = State::none;
    std::vector<std::string> records;  // the whole ones, in order
    std::uint64_t wholeBytes = 0;      // the header and the whole records
};

// The edits among `records`: its steps, not counting the undos and redos.
std::size_t editCount(const std::vector<std::string>& records);

bool journalExists(const std::string& base);

// Reads the journal of the folder `base` against the files it should apply to.
JournalContent readJournal(const std::string& base, const SavedFiles& saved);

// Renames the journal to a free name beside it (".kalvo-journal.kept-1", ...), which it
// returns; a journal set aside is never deleted by the program.
std::string setJournalAside(const std::string& base);

// Appends the records of a session to the journal of the folder `base`.
class JournalWriter {
public:
    explicit JournalWriter(std::string base);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Starts a new journal for the saved files `saved`, replacing any there.
    void start(const SavedFiles& saved);
    // Goes on with the journal there, whose first `wholeBytes` are whole: a torn record
    // after them is cut off.
    void resume(std::uint64_t wholeBytes);
    bool started() const { return descriptor_ >= 0; }
    // Writes one record at the end, handed to the system without waiting for the disk. Fails
    // with the platform's message.
    void append(std::string_view record);
    // Removes the journal: the files hold every edit now.
    void remove();

private:
    void close();

    std::string path_;
    int descriptor_ = -1;
};

}  // namespace kalvo
