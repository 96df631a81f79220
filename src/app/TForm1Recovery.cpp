// The main window's recovery journal: every record of the edit history goes into it while there
// are unsaved edits, and a journal left by a session that ended without closing is offered at
// the next start.
#include <QMessageBox>

#include "app/ApplicationErrors.h"
#include "app/TForm1.h"
#include "history/RecoveryJournal.h"
#include "types/widgets/WarningBox.h"

namespace kalvo {
namespace {

bool askToRecover(std::size_t changes) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kalvo Planner"),
                    QStringLiteral("Kalvo Planner was not closed properly. Recover the %1 "
                                   "changes made after the last save?")
                        .arg(changes),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

void TForm1::recoverUnsavedEdits() {
    const std::string& base = database_.databaseFolder();
    if (!journalExists(base)) {
        return;
    }
    const JournalContent content = readJournal(base, savedFilesOf(base));
    if (content.state == JournalContent::State::foreign) {
        const std::string aside = setJournalAside(base);
        showWarningBox(nullptr, QStringLiteral("The recovery journal does not belong to the saved "
                                               "database files, so nothing was recovered. It "
                                               "was kept as \"%1\".")
                                    .arg(QString::fromStdString(aside)));
        return;
    }
    if (content.records.empty()) {
        journal_.remove();  // nothing was edited, or not one record was whole
        return;
    }
    if (!askToRecover(editCount(content.records))) {
        setJournalAside(base);
        return;
    }
    std::size_t replayed = 0;
    try {
        for (const std::string& record : content.records) {
            history_.replay(record);
            ++replayed;
        }
        journal_.resume(content.wholeBytes);
    } catch (const std::exception& error) {
        // What was replayed goes into a new journal; the old one is kept as it was.
        const std::string aside = setJournalAside(base);
        journal_.start(savedFilesOf(base));
        for (std::size_t i = 0; i < replayed; ++i) {
            journal_.append(content.records[i]);
        }
        showWarningBox(
            nullptr,
            QStringLiteral("Only the first %1 of the changes could be "
                           "recovered: %2 The journal was kept as \"%3\".")
                .arg(editCount({content.records.begin(),
                                content.records.begin() + static_cast<std::ptrdiff_t>(replayed)}))
                .arg(errorMessage(error), QString::fromStdString(aside)));
        return;
    }
    if (content.state == JournalContent::State::torn) {
        showWarningBox(nullptr, QStringLiteral("The last change in the recovery journal was "
                                               "incomplete and was left out; the changes "
                                               "before it were recovered."));
    }
}

void TForm1::journalRecord(const std::string& record) {
    if (saveRunning_) {
        recordsDuringSave_.push_back(record);
    }
    if (!journaling_) {
        return;
    }
    try {
        if (!journal_.started()) {
            journal_.start(savedFiles_.valid() ? savedFiles_.get()
                                               : savedFilesOf(database_.databaseFolder()));
        }
        journal_.append(record);
    } catch (const std::exception& error) {
        // Shown once the edit that made the record is over; the journal waits for the next
        // save, which makes it unneeded.
        journaling_ = false;
        const QString message = errorMessage(error);
        QMetaObject::invokeMethod(
            this, [message] { showApplicationError(message); }, Qt::QueuedConnection);
    }
}

void TForm1::databaseSaved() {
    history_.markSaved();
    restartJournal();
}

void TForm1::restartJournal() {
    journaling_ = true;
    journal_.remove();
    measureSavedFiles();
}

void TForm1::saveWritten() {
    // The notice of an earlier save may come when a later one is being written.
    if (database_.saveWritten()) {
        finishRunningSave();
    }
}

void TForm1::finishRunningSave() {
    if (!saveRunning_) {
        return;
    }
    saveRunning_ = false;
    const std::vector<std::string> records = std::exchange(recordsDuringSave_, {});
    database_.finishSave();
    history_.markSaveWritten();
    restartJournal();
    for (const std::string& record : records) {
        journalRecord(record);
    }
    publishPlan();
}

void TForm1::measureSavedFiles() {
    savedFiles_ = std::async(std::launch::async,
                             [base = database_.databaseFolder()] { return savedFilesOf(base); });
}

}  // namespace kalvo
