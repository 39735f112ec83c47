// Painting one month through the recording Canvas, with the store's index and with the
// scan of every row it made before, at growing table sizes and inside long periods.
//
//   build/paint_bench
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "MonthLayout.h"
#include "MonthPainter.h"
#include "PeriodSpan.h"
#include "RecordingCanvas.h"
#include "Schedule.h"
#include "XelDatabase.h"

namespace {

using bench::kPaintMonth;
using bench::kPaintYear;

const LocalDateTime kNow{kPaintYear, kPaintMonth, 15, 12, 0, 0};

// rows, index (1) or scan (0), and the days of a long period around the painted month.
void BM_PaintMonth(benchmark::State& state) {
    bench::BenchFolder folder;
    bench::TableSpec shape;
    shape.rows = static_cast<int>(state.range(0));
    shape.longPeriodDays = static_cast<int>(state.range(2));
    DbTable* table = folder.Open(bench::TableFile(shape));
    DbUseIndex(state.range(1) == 1);
    const MonthLayout layout;
    size_t calls = 0;
    for (auto _ : state) {
        fw::RecordingCanvas canvas;
        const MonthContent content = folder.Model().ReadMonth(kPaintYear, kPaintMonth);
        PaintMonth(canvas, layout, kPaintYear, kPaintMonth, kNow, &content);
        calls = canvas.Calls().size();
    }
    DbUseIndex(true);
    state.counters["canvas_calls"] = static_cast<double>(calls);
    state.counters["rows"] = DbRowCount(table);
    state.SetComplexityN(DbRowCount(table));
}

// What the month's period marks cost when every day walks its whole run, as FindPeriodSpan
// does (the painter before its walks stopped at the month's ends), beside CMonthPeriods.
void BM_MonthPeriodMarks(benchmark::State& state) {
    bench::BenchFolder folder;
    bench::TableSpec shape;
    shape.rows = 100000;
    shape.longPeriodDays = static_cast<int>(state.range(0));
    DbTable* table = folder.Open(bench::TableFile(shape));
    const bool fullWalks = state.range(1) == 1;
    int marked = 0;
    for (auto _ : state) {
        marked = 0;
        CMonthPeriods periods(table);
        for (int day = 1; day <= 30; ++day) {
            const std::string date = ScheduleDate(kPaintYear, kPaintMonth, day);
            if (fullWalks) {
                const PeriodSpan span = FindPeriodSpan(table, date);
                marked += span.n > 0 && !span.middle.empty();
            } else {
                marked += periods.Of(date).type >= 0;
            }
        }
    }
    state.counters["marked_days"] = marked;
}

}  // namespace

BENCHMARK(BM_PaintMonth)
    ->ArgNames({"rows", "index", "period"})
    ->ArgsProduct({{1000, 10000, 100000}, {1}, {0}})
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_PaintMonth)
    ->ArgNames({"rows", "index", "period"})
    ->ArgsProduct({{1000, 10000, 100000}, {0}, {0}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintMonth)
    ->ArgNames({"rows", "index", "period"})
    ->ArgsProduct({{100000}, {1}, {100, 1000, 10000}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonthPeriodMarks)
    ->ArgNames({"period", "full_walks"})
    ->ArgsProduct({{100, 1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
