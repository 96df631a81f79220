// Building one day of the ten-year planner, in core and with the timeline's widgets; a drag
// step; the time split chart over the whole ten years and during a drag over one year.
// Run: QT_QPA_PLATFORM=offscreen build-bench/bin/kalvo_day_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "TenYearDatabase.h"
#include "chart/PlanComparison.h"
#include "chart/TimeSplit.h"
#include "chart/widgets/PieChart.h"
#include "day/ApplyChanges.h"
#include "day/DayPlacement.h"
#include "day/DragStep.h"
#include "day/EditScope.h"
#include "day/Occurrences.h"
#include "day/widgets/DayView.h"
#include "history/EditHistory.h"
#include "history/RecoveryJournal.h"

namespace kalvo::bench {
namespace {

constexpr DateTime kLastYearDay = 45600;  // 4 November 2024, in the last year of the planner
constexpr DateTime kFirstDay = 42005;     // 1 January 2015, the planner's first day
constexpr DateTime kLastDay = 45657;      // 31 December 2024, its last

Model& tenYears() {
    static Model model = [] {
        Model linked = tenYearModel();
        linked.link();
        for (const auto& event : linked.events) {
            event->type = linked.findType(event->typeId);
        }
        return linked;
    }();
    return model;
}

// Builds `day` and returns its first top-level occurrence, hovered as a drag finds it.
EventDataRow& firstAppointmentOf(Model& model, DayPlacement& placement, DateTime day) {
    model.selectedDate = day;
    model.selectedPanel = nullptr;
    static_cast<void>(buildDay(model, placement));
    EventDataRow& row = *placement.occurrences()[placement.topLevel().front()].row;
    model.hoverPanel = &row;
    return row;
}

void BuildDayCore(benchmark::State& state) {
    Model& model = tenYears();
    DayPlacement placement;
    model.selectedDate = kLastYearDay;
    for (auto _ : state) {
        model.selectedPanel = nullptr;
        benchmark::DoNotOptimize(buildDay(model, placement));
    }
    state.counters["occurrences"] = static_cast<double>(placement.occurrences().size());
}
BENCHMARK(BuildDayCore)->Unit(benchmark::kMillisecond);

// The calendar's bold days of a month in the planner's last year: November 2024.
void MonthDaysWithAppointments(benchmark::State& state) {
    const Model& model = tenYears();
    constexpr DateTime kNovember = 45597;  // 1 November 2024
    for (auto _ : state) {
        benchmark::DoNotOptimize(daysWithAppointments(model, kNovember, kNovember + 29));
    }
}
BENCHMARK(MonthDaysWithAppointments)->Unit(benchmark::kMillisecond);

// At the described 24 pixels an hour and at the largest zoom, 240.
void BuildDayWithWidgets(benchmark::State& state) {
    Model& model = tenYears();
    QWidget actual;
    QWidget planned;
    QMenu menu;
    EditHistory history(model);
    DayView view(model, history, actual, planned, menu);
    const TimelineScale scale(static_cast<int>(state.range(0)));
    actual.resize(kColumnWidth, scale.columnHeight());
    planned.resize(kColumnWidth, scale.columnHeight());
    view.setScale(scale);
    model.selectedDate = kLastYearDay;
    for (auto _ : state) {
        model.selectedPanel = nullptr;
        benchmark::DoNotOptimize(view.buildDay());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["occurrences"] = static_cast<double>(view.placement().occurrences().size());
}
BENCHMARK(BuildDayWithWidgets)->Arg(24)->Arg(240)->Unit(benchmark::kMillisecond);

// One admitted pixel of a body drag, stored at once with "Apply to Future" on: the first step
// splits the series, every later one only moves the day's piece and the days after it. With
// a chart, each step also recomputes the time split of the range and repaints the pie, as the
// main window's Chart page does (collecting the range's rows again after the split).
void dragSteps(benchmark::State& state, const std::function<void(ChartUpdate)>& updateChart) {
    Model& model = tenYears();
    DayPlacement placement;
    EventDataRow& row = firstAppointmentOf(model, placement, kLastYearDay);
    DragState drag;
    const int grip = row.height / 2;
    dragPress(drag, row, TimelineColumn::actual, grip);
    int direction = 1;
    std::int64_t applied = 0;
    const ApplyStep apply = [&] {
        updateChart(applyChanges(model, placement, row, true).chartUpdate);
    };
    for (auto _ : state) {
        const DragResult result =
            dragMove(drag, row, TimelineColumn::actual, placement, grip + direction, apply);
        applied += result.applied ? 1 : 0;
        direction = -direction;
    }
    state.counters["admitted"] =
        benchmark::Counter(static_cast<double>(applied), benchmark::Counter::kAvgIterations);
}

void DragStepCore(benchmark::State& state) {
    dragSteps(state, [](ChartUpdate) {});
}
BENCHMARK(DragStepCore)->Unit(benchmark::kMicrosecond);

void DragStepWithYearChart(benchmark::State& state) {
    Model& model = tenYears();
    const DateTime yearStart = kLastDay - 364;
    collectChartPanels(model, yearStart, kLastDay);
    PieChartView chart;
    chart.resize(383, 200);
    chart.show();
    dragSteps(state, [&](ChartUpdate update) {
        if (update == ChartUpdate::recollect) {  // the first step splits the series
            collectChartPanels(model, yearStart, kLastDay);
        }
        computeSlices(model);
        chart.setSlices(pieSlices(model.chartSlices, yearStart, kLastDay));
        chart.repaint();
    });
    state.counters["entries"] = static_cast<double>(model.chartPanels.size());
}
BENCHMARK(DragStepWithYearChart)->Unit(benchmark::kMillisecond);

// One drag with "Apply to Future" on an early day, which rewrote the later rows of the series
// over almost ten years, kept as a step of `history`; false when it changed nothing.
bool recordFutureDrag(Model& model, EditHistory& history) {
    DayPlacement placement;
    EventDataRow& row = firstAppointmentOf(model, placement, kFirstDay + 30);
    history.beginStep("Move", dayEditScope(model, placement), {model.selectedDate, row.id});
    DragState drag;
    const int grip = row.height / 2;
    const ApplyStep apply = [&] { static_cast<void>(applyChanges(model, placement, row, true)); };
    dragPress(drag, row, TimelineColumn::actual, grip);
    for (int pixel = 1; pixel <= 5; ++pixel) {
        dragMove(drag, row, TimelineColumn::actual, placement, grip - pixel, apply);
    }
    dragRelease(drag, row, TimelineColumn::actual, placement, apply);
    return history.endStep();
}

// Undo and redo of that drag: each iteration is one undo and one redo.
void UndoRedoOfAnApplyToFutureDrag(benchmark::State& state) {
    Model& model = tenYears();
    EditHistory history(model);
    if (!recordFutureDrag(model, history)) {
        state.SkipWithError("the drag changed nothing");
        return;
    }
    for (auto _ : state) {
        history.undo();
        history.redo();
    }
    state.counters["step KB"] = static_cast<double>(history.memoryUse()) / 1024.0;
    history.undo();  // the shared model as the other benchmarks find it
}
BENCHMARK(UndoRedoOfAnApplyToFutureDrag)->Unit(benchmark::kMicrosecond);

// The same undo and redo after a save: the journal, started again from the saved files, holds
// neither, so each is written as a step of its own.
void UndoRedoOfADragMadeBeforeTheSave(benchmark::State& state) {
    Model& model = tenYears();
    EditHistory history(model);
    if (!recordFutureDrag(model, history)) {
        state.SkipWithError("the drag changed nothing");
        return;
    }
    history.markSaved();
    std::size_t recordBytes = 0;
    history.setRecordListener([&](const std::string& record) { recordBytes += record.size(); });
    for (auto _ : state) {
        history.undo();
        history.redo();
    }
    state.counters["record KB"] = benchmark::Counter(static_cast<double>(recordBytes) / 1024.0,
                                                     benchmark::Counter::kAvgIterations);
    history.setRecordListener({});
    history.undo();
}
BENCHMARK(UndoRedoOfADragMadeBeforeTheSave)->Unit(benchmark::kMicrosecond);

// A restore of the ten-year database as one step of the history, with its journal record (the
// whole restored database), then Undo Restore; the copy restored is made outside the timing.
void RestoreAsOneStep(benchmark::State& state) {
    Model& model = tenYears();
    EditHistory history(model);
    std::size_t recordBytes = 0;
    history.setRecordListener(
        [&](const std::string& record) { recordBytes = std::max(recordBytes, record.size()); });
    for (auto _ : state) {
        state.PauseTiming();
        Model restored = copyOf(model);
        state.ResumeTiming();
        history.replaceModel("Restore", {}, std::move(restored));
        history.undo();
    }
    state.counters["record MB"] = static_cast<double>(recordBytes) / (1024.0 * 1024.0);
    state.counters["fits"] = history.canKeepWhole(model) ? 1 : 0;
}
BENCHMARK(RestoreAsOneStep)->Unit(benchmark::kMillisecond)->Iterations(3);

// What a press and a release add to a drag for the history: the scope of the day, the values
// and list orders taken at the press, and the comparison at the release (here of a step that
// changed nothing, so that every iteration does the same work).
void BeginAndEndStep(benchmark::State& state) {
    Model& model = tenYears();
    EditHistory history(model);
    DayPlacement placement;
    model.selectedDate = kLastYearDay;
    model.selectedPanel = nullptr;
    static_cast<void>(buildDay(model, placement));
    for (auto _ : state) {
        history.beginStep("Move", dayEditScope(model, placement), {model.selectedDate, -1});
        benchmark::DoNotOptimize(history.endStep());
    }
}
BENCHMARK(BeginAndEndStep)->Unit(benchmark::kMicrosecond);

// One whole drag step as the window records it (press, one pixel, release), then its undo; with
// the journal, each record is also framed and written to the journal file, so the difference
// of the two figures is what the journal costs the window per step.
void recordedDrags(benchmark::State& state, bool journaled) {
    Model& model = tenYears();
    EditHistory history(model);
    const std::string folder = std::string(KALVO_BENCH_DATA) + "/journal/";
    std::filesystem::create_directories(folder);
    JournalWriter journal(folder);
    journal.start({});
    if (journaled) {
        history.setRecordListener([&](const std::string& record) { journal.append(record); });
    }
    DayPlacement placement;
    EventDataRow& row = firstAppointmentOf(model, placement, kLastYearDay);
    const int grip = row.height / 2;
    const ApplyStep apply = [&] { static_cast<void>(applyChanges(model, placement, row, true)); };
    for (auto _ : state) {
        history.beginStep("Move", dayEditScope(model, placement), {model.selectedDate, row.id});
        DragState drag;
        dragPress(drag, row, TimelineColumn::actual, grip);
        dragMove(drag, row, TimelineColumn::actual, placement, grip - 1, apply);
        dragRelease(drag, row, TimelineColumn::actual, placement, apply);
        history.endStep();
        history.undo();
        static_cast<void>(buildDay(model, placement));
    }
    journal.remove();
}

void RecordedDragStep(benchmark::State& state) {
    recordedDrags(state, false);
}
BENCHMARK(RecordedDragStep)->Unit(benchmark::kMicrosecond);

void RecordedDragStepWithJournal(benchmark::State& state) {
    recordedDrags(state, true);
}
BENCHMARK(RecordedDragStepWithJournal)->Unit(benchmark::kMicrosecond);

// The chart of a range as a picker change or the first step of a drag that splits a series
// computes it: the date loop collects every day, then the slices.
void refreshChart(benchmark::State& state, DateTime from) {
    Model& model = tenYears();
    for (auto _ : state) {
        collectChartPanels(model, from, kLastDay);
        computeSlices(model);
        benchmark::DoNotOptimize(pieSlices(model.chartSlices, from, kLastDay));
    }
    state.counters["entries"] = static_cast<double>(model.chartPanels.size());
    state.counters["slices"] = static_cast<double>(model.chartSlices.size());
}

void ChartOneYear(benchmark::State& state) {
    refreshChart(state, kLastDay - 364);
}
BENCHMARK(ChartOneYear)->Unit(benchmark::kMillisecond);

void ChartTenYears(benchmark::State& state) {
    refreshChart(state, kFirstDay);
}
BENCHMARK(ChartTenYears)->Unit(benchmark::kMillisecond);

// The slices alone, as every applied edit recomputes them, over ten years of entries.
void ComputeSlicesTenYears(benchmark::State& state) {
    Model& model = tenYears();
    collectChartPanels(model, kFirstDay, kLastDay);
    for (auto _ : state) {
        computeSlices(model);
        benchmark::DoNotOptimize(model.chartSlices.data());
    }
    state.counters["entries"] = static_cast<double>(model.chartPanels.size());
}
BENCHMARK(ComputeSlicesTenYears)->Unit(benchmark::kMillisecond);

// The Plan page over ten years as a range change computes it: the same collection as the
// chart, then the plan against what happened with the ten largest deviations.
void PlanTenYears(benchmark::State& state) {
    Model& model = tenYears();
    for (auto _ : state) {
        collectChartPanels(model, kFirstDay, kLastDay);
        benchmark::DoNotOptimize(comparePlan(model, SubTypes::folded));
    }
    state.counters["entries"] = static_cast<double>(model.chartPanels.size());
}
BENCHMARK(PlanTenYears)->Unit(benchmark::kMillisecond);

// The plan alone, as every applied edit recomputes it, over ten years of entries.
void ComparePlanTenYears(benchmark::State& state) {
    Model& model = tenYears();
    collectChartPanels(model, kFirstDay, kLastDay);
    for (auto _ : state) {
        benchmark::DoNotOptimize(comparePlan(model, SubTypes::folded));
    }
}
BENCHMARK(ComparePlanTenYears)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvo::bench

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
