#pragma once

#include <QLockFile>
#include <QString>

namespace kalvo {

// One program at a time edits a database: a second one would take over the first one's
// recovery journal and its unfinished saves, and the one closed last would write over the
// other's edits. The lock is a file in the database folder, held until this object goes; one
// left by a program that ended without closing is taken over.
class DatabaseLock {
public:
    // Takes the lock of the database in `folder` (ending in a separator) at once, or finds it
    // held by another running program.
    explicit DatabaseLock(const QString& folder);

    bool heldElsewhere() const { return heldElsewhere_; }

private:
    QLockFile file_;
    bool heldElsewhere_ = false;
};

}  // namespace kalvo
