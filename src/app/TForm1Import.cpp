// The main window's import: an iCalendar file asked for, read whole, its events planned as
// appointments for the user to confirm, then added as one step of the history.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStatusBar>
#include <optional>

#include "app/ApplicationErrors.h"
#include "app/ImportDialog.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "base/AtomicFile.h"
#include "calendars/CalendarFile.h"
#include "calendars/ImportAppointments.h"
#include "day/widgets/DayView.h"
#include "export/CalendarExport.h"
#include "types/widgets/WarningBox.h"

namespace kalvo {
namespace {

// The types to choose for events whose categories name none, by their paths.
ImportDialog::TypeChoices typeChoicesOf(const Model& model) {
    ImportDialog::TypeChoices choices;
    for (const auto& type : model.types) {
        QStringList path;
        for (const std::string& name : typePath(*type)) {
            path << QString::fromStdString(name);
        }
        choices.emplace_back(type->id, path.join(QLatin1Char('/')));
    }
    return choices;
}

// Whether the file holds an event that recurs other than daily, which needs days to become
// appointments on.
bool recursOtherThanDaily(const CalendarFile& file) {
    for (const CalendarEvent& event : file.events()) {
        if (event.recurs && !event.daily && !event.recurrenceId && !event.allDay) {
            return true;
        }
    }
    return false;
}

}  // namespace

void TForm1::importAppointments() {
    if (exportFolder_.isEmpty()) {
        exportFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    QFileDialog files(this, QStringLiteral("Import Appointments from iCalendar"), exportFolder_);
    files.setObjectName(QStringLiteral("importFileDialog"));
    files.setAcceptMode(QFileDialog::AcceptOpen);
    files.setFileMode(QFileDialog::ExistingFile);
    files.setNameFilters(
        {QStringLiteral("iCalendar files (*.ics *.ical *.ifb)"), QStringLiteral("All files (*)")});
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) {
        return;
    }
    const QString fileName = files.selectedFiles().constFirst();
    exportFolder_ = QFileInfo(fileName).absolutePath();
    std::optional<CalendarFile> events;
    try {
        const FileContent text(QFile::encodeName(fileName).toStdString());
        events.emplace(text.bytes(), localTimeZoneId());
    } catch (const IcalendarError& error) {
        showWarningBox(this, QStringLiteral("\"%1\" cannot be imported.\n%2")
                                 .arg(QDir::toNativeSeparators(fileName), errorMessage(error)));
        return;
    } catch (const std::exception& error) {
        showApplicationError(errorMessage(error));
        return;
    }
    // Other recurrences are offered from the shown date for three months, for a start.
    const QDate shown = qDateOf(model_.selectedDate);
    ImportDialog dialog(
        QDir::toNativeSeparators(fileName), typeChoicesOf(model_), recursOtherThanDaily(*events),
        shown, shown.addMonths(3).addDays(-1),
        [this, &events](const ImportOptions& options) {
            return planImport(model_, *events, options);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const ImportPlan& plan = dialog.plan();
    history_.record("Import Appointments", {}, {model_.selectedDate, -1},
                    [this, &plan] { applyImport(model_, plan); });
    buildDay();
    rebuildTypeTree(-1);
    markDaysWithAppointments();
    statusBar()->showMessage(
        QStringLiteral("Imported %1 from %2.")
            .arg(QString::fromStdString(plan.additions()), QFileInfo(fileName).fileName()));
}

}  // namespace kalvo
