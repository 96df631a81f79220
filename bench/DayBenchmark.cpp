// Building one day of the ten-year planner, in core and with the timeline's widgets.
// Run: QT_QPA_PLATFORM=offscreen build-bench/bin/kalvo_day_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMenu>
#include <QWidget>

#include "TenYearDatabase.h"
#include "day/ApplyChanges.h"
#include "day/DayPlacement.h"
#include "day/DragStep.h"
#include "day/widgets/DayView.h"

namespace kalvo::bench {
namespace {

constexpr DateTime kLastYearDay = 45600;  // 4 November 2024, in the last year of the planner

Model& tenYears() {
    static Model model = [] {
        Model linked = tenYearModel();
        linked.link();
        return linked;
    }();
    return model;
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

void BuildDayWithWidgets(benchmark::State& state) {
    Model& model = tenYears();
    QWidget actual;
    QWidget planned;
    QMenu menu;
    DayView view(model, actual, planned, menu);
    model.selectedDate = kLastYearDay;
    for (auto _ : state) {
        model.selectedPanel = nullptr;
        benchmark::DoNotOptimize(view.buildDay());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["occurrences"] = static_cast<double>(view.placement().occurrences().size());
}
BENCHMARK(BuildDayWithWidgets)->Unit(benchmark::kMillisecond);

// One admitted pixel of a body drag, stored at once with "Apply to Future" on: the first step
// splits the series, every later one only moves the day's piece and the days after it.
void DragStepCore(benchmark::State& state) {
    Model& model = tenYears();
    DayPlacement placement;
    model.selectedDate = kLastYearDay;
    model.selectedPanel = nullptr;
    static_cast<void>(buildDay(model, placement));
    EventDataRow& row = *placement.occurrences()[placement.topLevel().front()].row;
    model.hoverPanel = &row;
    DragState drag;
    const int grip = row.height / 2;
    dragPress(drag, row, TimelineColumn::actual, grip);
    int direction = 1;
    std::int64_t applied = 0;
    const ApplyStep apply = [&] { applyChanges(model, placement, row, true); };
    for (auto _ : state) {
        const DragResult result =
            dragMove(drag, row, TimelineColumn::actual, placement, grip + direction, apply);
        applied += result.applied ? 1 : 0;
        direction = -direction;
    }
    state.counters["admitted"] =
        benchmark::Counter(static_cast<double>(applied), benchmark::Counter::kAvgIterations);
}
BENCHMARK(DragStepCore)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kalvo::bench

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
