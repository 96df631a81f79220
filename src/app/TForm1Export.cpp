// The main window's exports: a date range and a file name asked for, the file written from a
// copy of the model, so that the days built for it leave the timeline and the chart alone.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

#include "app/ApplicationErrors.h"
#include "app/ExportRangeDialog.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "base/AtomicFile.h"
#include "export/CalendarExport.h"
#include "export/SpreadsheetExport.h"

namespace kalvo {

struct TForm1::ExportFormat {
    QString caption;     // of both dialogs
    QString fileStem;    // of the suggested name, before the dates
    QString nameFilter;  // of the file dialog
    QString suffix;      // added to a name typed without one
    std::string (*write)(Model& model, DateTime from, DateTime to);
};

void TForm1::exportAppointments() {
    exportToFile({QStringLiteral("Export Appointments as iCalendar"),
                  QStringLiteral("Appointments"), QStringLiteral("iCalendar files (*.ics)"),
                  QStringLiteral("ics"), [](Model& model, DateTime from, DateTime to) {
                      return icalendarText(exportedOccurrences(model, from, to), from, to,
                                           localTimeZoneId(), QDateTime::currentSecsSinceEpoch());
                  }});
}

void TForm1::exportTimeSplit() {
    exportToFile({QStringLiteral("Export Time Split as CSV"), QStringLiteral("Time Split"),
                  QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"), &timeSplitCsv});
}

void TForm1::exportToFile(const ExportFormat& format) {
    const auto [chartFrom, chartTo] = chartRange();
    ExportRangeDialog range(format.caption, qDateOf(chartFrom), qDateOf(chartTo), this);
    if (range.exec() != QDialog::Accepted) {
        return;
    }
    if (exportFolder_.isEmpty()) {
        exportFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    const QString suggested = QStringLiteral("%1 %2 to %3.%4")
                                  .arg(format.fileStem, range.from().toString(Qt::ISODate),
                                       range.to().toString(Qt::ISODate), format.suffix);
    QFileDialog files(this, format.caption, QDir(exportFolder_).filePath(suggested));
    files.setObjectName(QStringLiteral("exportFileDialog"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setNameFilter(format.nameFilter);
    files.setDefaultSuffix(format.suffix);
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) {
        return;
    }
    const QString fileName = files.selectedFiles().constFirst();
    exportFolder_ = QFileInfo(fileName).absolutePath();
    try {
        Model copy = copyOf(model_);
        const std::string text =
            format.write(copy, calendarDateOf(range.from()), calendarDateOf(range.to()));
        writeFileAtomically(QFile::encodeName(fileName).toStdString(), text);
    } catch (const std::exception& error) {
        showApplicationError(errorMessage(error));
    }
}

}  // namespace kalvo
