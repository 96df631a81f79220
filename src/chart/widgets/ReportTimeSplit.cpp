#include "chart/widgets/ReportTimeSplit.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>

#include "chart/widgets/PieChart.h"
#include "chart/widgets/PlanView.h"
#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// The page is laid out in millimetres and drawn in points, so that the fonts' sizes and the
// pie's lengths read as they do on the screen.
qreal points(qreal millimetres) {
    return millimetres * 72 / 25.4;
}

QFont arial(int pointSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pointSize);  // one unit of the page's painter is a point
    font.setBold(bold);
    return font;
}

// The title band and what it holds, in millimetres from the top left of the printable area.
const QRectF band(0, 0, 277.0, 189.2);
const QPointF headerPosition(14.8, 10.6);
const QRectF chartArea(12.7, 29.6, 250.0, 97.6);
const QPointF datePosition(243.4, 173.6);
constexpr int reportFontSize = 10;
constexpr int headerFontSize = 14;
constexpr int chartFontSize = 8;
// The plan's page: its bars at the left, its table at the right.
const QRectF planBarsArea(12.7, 29.6, 140.0, 135.0);
const QRectF planTableArea(158.0, 29.6, 107.0, 135.0);
constexpr int planTableFontSize = 9;

// The table of the plan's page: a header line, then a line per type; the numbers right-aligned.
void paintPlanTable(QPainter& painter, const QRectF& area, const std::vector<TypePlan>& types) {
    const std::vector<PlanTableRow> rows =
        planTable({.types = types}, pieDecimalPoint().toStdString());
    const std::array<qreal, kPlanTableHeader.size()> widths = {0.24, 0.18, 0.18, 0.22, 0.18};
    const qreal line = painter.fontMetrics().height() * 1.3;
    const auto paintRow = [&](qreal top, const auto& cells) {
        qreal left = area.left();
        for (std::size_t column = 0; column < cells.size(); ++column) {
            const QRectF cell(left, top, area.width() * widths[column] - 2, line);
            const QString text = QString::fromUtf8(cells[column].data(),
                                                   static_cast<qsizetype>(cells[column].size()));
            painter.drawText(cell,
                             (column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter |
                                 Qt::TextWordWrap,
                             painter.fontMetrics().elidedText(text, Qt::ElideRight,
                                                              static_cast<int>(cell.width())));
            left += area.width() * widths[column];
        }
    };
    painter.save();
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    paintRow(area.top(), kPlanTableHeader);
    painter.restore();
    painter.setPen(Qt::gray);
    painter.drawLine(QPointF(area.left(), area.top() + line),
                     QPointF(area.right(), area.top() + line));
    painter.setPen(Qt::black);
    qreal top = area.top() + line;
    for (const PlanTableRow& row : rows) {
        if (top + line > area.bottom()) {
            break;  // the types beyond the page's room are in the bars
        }
        paintRow(top, row);
        top += line;
    }
}

}  // namespace

QString shortDateText(DateTime value) {
    const CivilDate date = civilFromDays(dayNumber(value));
    return QLocale().toString(QDate(date.year, date.month, date.day), QLocale::ShortFormat);
}

TformReportGrowthChart::TformReportGrowthChart(QWidget* owner) : owner_(owner) {
    setObjectName(QStringLiteral("formReportGrowthChart"));
}

// Made on first use: asking the platform for its printers can take a while, and most
// sessions never print.
QPrinter& TformReportGrowthChart::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setDocName(QStringLiteral("Time Split"));
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setPageOrientation(QPageLayout::Landscape);
        printer_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    }
    return *printer_;
}

TformReportGrowthChart::~TformReportGrowthChart() {
    delete preview_;  // it prints through the printer that goes with this
}

void TformReportGrowthChart::setChartData(const std::vector<ChartData>& slices, DateTime rangeStart,
                                          DateTime rangeEnd) {
    slices_ = slices;
    rangeStart_ = rangeStart;
    rangeEnd_ = rangeEnd;
    plan_.reset();
}

void TformReportGrowthChart::setPlanData(std::vector<TypePlan> types) {
    plan_ = std::move(types);
}

void TformReportGrowthChart::reportStartPage() {
    header_ = QString::fromStdString(reportHeaderText(rangeStart_, rangeEnd_,
                                                      shortDateText(rangeStart_).toStdString(),
                                                      shortDateText(rangeEnd_).toStdString()));
    pie_ = pieSlices(slices_, rangeStart_, rangeEnd_);
}

void TformReportGrowthChart::printReport(QPrinter& printer) {
    reportStartPage();
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return;  // the printer could not be opened; the print dialog has said why
    }
    painter.scale(printer.resolution() / 72.0, printer.resolution() / 72.0);
    const auto onPage = [](const QRectF& millimetres) {
        return QRectF(points(millimetres.left()), points(millimetres.top()),
                      points(millimetres.width()), points(millimetres.height()));
    };
    painter.fillRect(onPage(band), Qt::white);

    painter.setPen(Qt::black);
    painter.setFont(arial(headerFontSize, true));
    const QRectF header(points(headerPosition.x()), points(headerPosition.y()),
                        points(band.width() - headerPosition.x()),
                        points(chartArea.top() - headerPosition.y()));
    painter.drawText(header, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, header_);

    painter.setFont(arial(chartFontSize));
    paintPie(painter, onPage(chartArea), pie_, PieLegend::shown);

    const auto paintDate = [&] {
        painter.setPen(Qt::black);
        painter.setFont(arial(reportFontSize));
        painter.drawText(QPointF(points(datePosition.x()),
                                 points(datePosition.y()) + painter.fontMetrics().ascent()),
                         QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    };
    paintDate();
    if (!plan_) {
        return;
    }
    printer.newPage();
    painter.fillRect(onPage(band), Qt::white);
    painter.setPen(Qt::black);
    painter.setFont(arial(headerFontSize, true));
    painter.drawText(header, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromStdString(reportHeaderText(
                         rangeStart_, rangeEnd_, shortDateText(rangeStart_).toStdString(),
                         shortDateText(rangeEnd_).toStdString(), "Plan against Actual")));
    painter.setFont(arial(chartFontSize));
    paintPlanBars(painter, onPage(planBarsArea), *plan_);
    painter.setFont(arial(planTableFontSize));
    paintPlanTable(painter, onPage(planTableArea), *plan_);
    paintDate();
}

void TformReportGrowthChart::preview() {
    if (preview_) {
        if (auto* page = preview_->findChild<QPrintPreviewWidget*>()) {
            page->updatePreview();
        }
        preview_->raise();
        preview_->activateWindow();
        return;
    }
    // Not modal: the main window stays usable while the preview is open.
    auto* dialog = new QPrintPreviewDialog(&printer(), owner_);
    dialog->setObjectName(QStringLiteral("reportPreview"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Time Split Report"));
    dialog->resize(900, 680);
    connect(dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { printReport(*printer); });
    preview_ = dialog;
    dialog->show();
}

void TformReportGrowthChart::printerSetup() {
    QPrintDialog dialog(&printer(), owner_);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    // The choices are made here; printing is the preview's. So the dialog confirms, not prints.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* confirm = buttons->button(QDialogButtonBox::Ok)) {
            confirm->setText(QStringLiteral("OK"));
        }
    }
    dialog.exec();  // accepted choices stay with the printer for every later print
}

}  // namespace kalvo
