#include "app/DatabaseLock.h"

#include "db/DatabaseFolder.h"

namespace kalvo {

DatabaseLock::DatabaseLock(const QString& folder)
    : file_(folder +
            QString::fromUtf8(kLockFileName.data(), static_cast<qsizetype>(kLockFileName.size()))) {
    // The lock is held as long as the window is open, so its age says nothing; only a holder
    // that no longer runs makes it stale.
    file_.setStaleLockTime(0);
    // A folder where the lock cannot be written (read-only) takes no saves either, so there
    // is nothing for two programs to collide on; such a folder is used without the lock.
    heldElsewhere_ = !file_.tryLock() && file_.error() == QLockFile::LockFailedError;
}

}  // namespace kalvo
