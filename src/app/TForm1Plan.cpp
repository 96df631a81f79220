// The Plan page: the plan against what happened over the chart's range.
#include <QCalendarWidget>
#include <QDateEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "chart/PlanComparison.h"
#include "chart/widgets/PlanView.h"
#include "chart/widgets/ReportTimeSplit.h"
#include "day/widgets/DayView.h"

namespace kalvo {

void TForm1::createPlanPage() {
    planPage = new PlanPage(sheetPlan);
    auto* layout = new QVBoxLayout(sheetPlan);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(planPage);
    connect(planPage, &PlanPage::rangeChosen, this, &TForm1::choosePlanRange);
    connect(planPage, &PlanPage::subTypesChanged, this, &TForm1::refreshPlan);
    connect(planPage, &PlanPage::dayRequested, this, &TForm1::showPlannedDay);
    connect(planPage, &PlanPage::printRequested, this, &TForm1::printPlan);
    connect(pageControl, &QTabWidget::currentChanged, this, [this] {
        if (planStale_ && pageControl->currentWidget() == sheetPlan) {
            refreshPlan();
        }
    });
}

void TForm1::refreshPlan() {
    planStale_ = pageControl->currentWidget() != sheetPlan;
    if (!planStale_) {
        planPage->setComparison(comparePlan(model_, planPage->subTypes()));
    }
}

void TForm1::choosePlanRange(const QDate& from, const QDate& to) {
    for (auto [picker, date] : {std::pair{pickerProfStart, from}, std::pair{pickerProfEnd, to}}) {
        const QSignalBlocker quiet(picker);  // collected once below
        picker->setDate(date);
    }
    refreshChart();
}

void TForm1::showPlannedDay(const QDate& date, std::int32_t rowId) {
    if (dayView_->dragging()) {
        return;
    }
    {
        const QSignalBlocker quiet(calendar);  // a calendar click would narrow the range
        calendar->setSelectedDate(date);
    }
    model_.selectedDate = calendarDateOf(date);
    model_.selectedPanel = nullptr;
    buildDay();
    selectOccurrence(rowId);
}

void TForm1::printPlan() {
    const auto [from, to] = chartRange();
    formReportGrowthChart_->setChartData(model_.chartSlices, from, to);
    // The page's print button is on the page, which is up to date while shown.
    formReportGrowthChart_->setPlanData(planPage->bars()->types());
    formReportGrowthChart_->preview();
}

}  // namespace kalvo
