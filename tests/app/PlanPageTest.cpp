#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "QuietWindow.h"
#include "app/TForm1.h"
#include "chart/widgets/PlanView.h"
#include "chart/widgets/ReportTimeSplit.h"
#include "day/widgets/DayView.h"
#include "day/widgets/TaskPanel.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

// Work 09:00–10:00 today as planned; lunch tomorrow planned 12:00–12:30 and lasting an hour.
class PlanPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString day = today.toString("yyyyMMdd");
        const QString next = tomorrow.toString("yyyyMMdd");
        test::writeDatabase(
            folder.path(), "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" Name=\"Lunch\"/>",
            "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\"/>",
            ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + day + "\" EndDate=\"" + day +
             "\" StartTime=\"" + day + "T09:00:00000\" EndTime=\"" + day +
             "T10:00:00000\" OriginalStartTime=\"" + day + "T09:00:00000\" OriginalEndTime=\"" +
             day + "T10:00:00000\" StartDelta=\"216\" OriginalStartDelta=\"216\"/>" +
             "<ROW Id=\"1\" EventId=\"1\" StartDate=\"" + next + "\" EndDate=\"" + next +
             "\" StartTime=\"" + next + "T12:00:00000\" EndTime=\"" + next +
             "T13:00:00000\" OriginalStartTime=\"" + next + "T12:00:00000\" OriginalEndTime=\"" +
             next + "T12:30:00000\" StartDelta=\"288\" OriginalStartDelta=\"288\"/>")
                .toStdString());
        window = test::showQuietWindow(store, settings, folder.path());
        window->pageControl->setCurrentWidget(window->sheetPlan);
        page = window->planPage;
    }

    // The table as the page shows it, one line per type.
    std::vector<QString> tableLines() const {
        std::vector<QString> lines;
        for (int row = 0; row < page->table()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < page->table()->columnCount(); ++column) {
                cells << page->table()->item(row, column)->text();
            }
            lines.push_back(cells.join(u' '));
        }
        return lines;
    }

    const QDate today = QDate::currentDate();
    const QDate tomorrow = today.addDays(1);
    test::TemporaryFolder folder;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
    PlanPage* page = nullptr;
};

TEST_F(PlanPageTest, FollowsTheRangeAndTheEditsAndOpensTheDayOfADeviation) {
    // The page's range is the chart's.
    page->pickerTo()->setFocus();
    page->pickerTo()->setDate(tomorrow);
    EXPECT_EQ(window->pickerProfEnd->date(), tomorrow);
    EXPECT_EQ(tableLines(),
              (std::vector<QString>{"Work 1.00 1.00 0.00 100", "Lunch 0.50 1.00 0.50 200"}));
    ASSERT_EQ(page->deviations()->topLevelItemCount(), 1);
    EXPECT_EQ(page->deviations()->topLevelItem(0)->text(2), "12:00–12:30 → 12:00–13:00");

    // Work's end dragged down: the numbers follow at once.
    TaskPanel* work = nullptr;
    for (EventDataRow* row : window->model().dayPanels) {
        work = window->dayView().panelOf(row);
    }
    ASSERT_NE(work, nullptr);
    const int bottom = work->height() - 1;
    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, bottom));
    QTest::mouseMove(work, QPoint(5, bottom + 6));
    QTest::mouseMove(work, QPoint(5, bottom + 13));
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, bottom + 13));
    EXPECT_EQ(tableLines(),
              (std::vector<QString>{"Work 1.00 1.50 0.50 150", "Lunch 0.50 1.00 0.50 200"}));
    EXPECT_EQ(page->bars()->accessibleDescription(),
              "Work: planned 1.00 h, actual 1.50 h; Lunch: planned 0.50 h, actual 1.00 h");
    EXPECT_EQ(page->deviations()->topLevelItemCount(), 2);

    // A double-click on tomorrow's lunch shows that day with the lunch selected; the range of
    // the chart and the page stays.
    QTreeWidgetItem* lunch = nullptr;
    for (int i = 0; i < page->deviations()->topLevelItemCount(); ++i) {
        if (page->deviations()->topLevelItem(i)->text(1) == "Lunch") {
            lunch = page->deviations()->topLevelItem(i);
        }
    }
    ASSERT_NE(lunch, nullptr);
    // A double-click is a click and the second press, which QTest sends alone.
    const QPoint at = page->deviations()->visualItemRect(lunch).center();
    QTest::mouseClick(page->deviations()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(page->deviations()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window->calendar->selectedDate(), tomorrow);
    ASSERT_NE(window->model().selectedPanel, nullptr);
    EXPECT_EQ(window->model().selectedPanel->id, 1);
    EXPECT_EQ(window->pickerProfStart->date(), today);
    EXPECT_EQ(window->pickerProfEnd->date(), tomorrow);
    EXPECT_EQ(page->pickerFrom()->date(), today);
}

// The page's print adds the plan's page to the report of the range; the Chart page's print
// leaves the report at its one page.
TEST_F(PlanPageTest, PrintAddsThePlanPageToTheReport) {
    page->pickerTo()->setDate(tomorrow);
    QTest::mouseClick(page->findChild<QToolButton*>("buttonPrintPlan"), Qt::LeftButton);
    TformReportGrowthChart& report = window->formReportGrowthChart();
    QPointer<QPrintPreviewDialog> preview = report.openPreview();
    ASSERT_NE(preview, nullptr);
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->pageCount(), 2);

    const QString pdf = QString::fromStdString(folder.file("report.pdf"));
    report.printer().setOutputFormat(QPrinter::PdfFormat);
    report.printer().setOutputFileName(pdf);
    report.printReport(report.printer());
    report.printer().setOutputFormat(QPrinter::NativeFormat);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000)) << "pdftotext (poppler-utils) reads the pages";
    const QStringList printed = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
    ASSERT_GE(printed.size(), 2);
    const auto dateText = [](const QDate& date) {
        return QLocale().toString(date, QLocale::ShortFormat);
    };
    EXPECT_TRUE(printed[0].contains("Time Split from " + dateText(today)))
        << printed[0].toStdString();
    for (const QString& expected :
         {"Plan against Actual from " + dateText(today) + " to " + dateText(tomorrow),
          QStringLiteral("Ratio (%)"), QStringLiteral("Lunch"), QStringLiteral("200")}) {
        EXPECT_TRUE(printed[1].contains(expected)) << expected.toStdString() << " in\n"
                                                   << printed[1].toStdString();
    }

    QTest::mouseClick(window->buttonPrint, Qt::LeftButton);
    EXPECT_EQ(pages->pageCount(), 1);
    preview->close();
}

}  // namespace
}  // namespace kalvo
