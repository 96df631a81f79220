#pragma once

#include <QObject>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "base/Calendar.h"
#include "chart/PlanComparison.h"
#include "chart/TimeSplit.h"
#include "model/ChartData.h"

class QPrinter;
class QWidget;

namespace kalvo {

// The printed time split: one A4 landscape page with a header naming the range, the pie with
// its marks and legend, and the date of printing. It prints a copy of the slices it was handed,
// so that what the main window computes later does not reach a preview that is open. The user
// sees the page in the print preview, from which it is printed or saved as a PDF.
class TformReportGrowthChart : public QObject {
    Q_OBJECT

public:
    // `owner` is the window the preview and the printer setup belong to.
    explicit TformReportGrowthChart(QWidget* owner);
    ~TformReportGrowthChart() override;

    // Keeps a copy of `slices` and the range they were computed for; the report is the time
    // split's page alone.
    void setChartData(const std::vector<ChartData>& slices, DateTime rangeStart, DateTime rangeEnd);
    // Adds a second page to the report: the plan against what happened over the same range,
    // its bars and its table.
    void setPlanData(std::vector<TypePlan> types);

    // Opens the print preview of the page. When a preview is open already, it produces its page
    // again from the data last handed over and comes to the front; no second one opens.
    void preview();

    // The printer setup: printer, copies, orientation and page range, kept for later printing.
    void printerSetup();

    // Fills the header and the pie from the data last handed over; run for every page produced.
    void reportStartPage();

    // Produces the page on `printer`: the preview's page, a print from it, a PDF file.
    void printReport(QPrinter& printer);

    // The report's page and printer, with the choices of the printer setup.
    QPrinter& printer();
    QPrintPreviewDialog* openPreview() const { return preview_; }
    const QString& headerText() const { return header_; }
    const std::vector<PieSlice>& pie() const { return pie_; }
    const std::optional<std::vector<TypePlan>>& plan() const { return plan_; }

private:
    QWidget* owner_;
    std::unique_ptr<QPrinter> printer_;
    QPointer<QPrintPreviewDialog> preview_;
    std::vector<ChartData> slices_;
    DateTime rangeStart_ = 0;
    DateTime rangeEnd_ = 0;
    QString header_;
    std::vector<PieSlice> pie_;
    std::optional<std::vector<TypePlan>> plan_;
};

// A date-time's date in the user's short date format, as the report and the pickers show it.
QString shortDateText(DateTime value);

}  // namespace kalvo
