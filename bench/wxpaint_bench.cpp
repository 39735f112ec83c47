// Painting one month into an off-screen wx bitmap, as the view does on every paint: a
// bitmap and a wxMemoryDC of the client size, WxCanvas on it, and the copy to a target.
// Needs a display:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/wxpaint_bench
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/init.h>

#include "BenchData.h"
#include "MonthLayout.h"
#include "MonthPainter.h"
#include "WxCanvas.h"
#include "XelDatabase.h"

namespace {

using bench::kPaintMonth;
using bench::kPaintYear;

const LocalDateTime kNow{kPaintYear, kPaintMonth, 15, 12, 0, 0};

class BenchApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// wx starts once, on first use, without a main loop.
bool WxReady() {
    static const bool ready = [] {
        static int argc = 1;
        static char name[] = "wxpaint_bench";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new BenchApp);
        return wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
    }();
    return ready;
}

// rows, index (1) or scan (0), the days of a long period around the painted month, and
// kept: 1 paints again the month painted before (the texts' extents kept from it, as after
// an edit or a dialog closed over the month), 0 paints it as a month not shown before.
void BM_WxPaintMonth(benchmark::State& state) {
    if (!WxReady()) {
        state.SkipWithError("wx did not start (no display?)");
        return;
    }
    bench::BenchFolder folder;
    bench::TableSpec shape;
    shape.rows = static_cast<int>(state.range(0));
    shape.longPeriodDays = static_cast<int>(state.range(2));
    DbTable* table = folder.Open(bench::TableFile(shape));
    DbUseIndex(state.range(1) == 1);
    const MonthLayout layout;
    const wxSize size(layout.ClientWidth(), layout.ClientHeight());
    wxBitmap window(size);  // stands for the window the view copies to
    wxMemoryDC target(window);
    const bool kept = state.range(3) == 1;
    for (auto _ : state) {
        if (!kept) {
            fw::ForgetMeasuredTexts();
        }
        wxBitmap bitmap(size);
        wxMemoryDC memory(bitmap);
        memory.SetBackground(*wxWHITE_BRUSH);
        memory.Clear();
        fw::WxCanvas canvas(memory, &target, size);
        const MonthContent content = folder.Model().ReadMonth(kPaintYear, kPaintMonth);
        PaintMonth(canvas, layout, kPaintYear, kPaintMonth, kNow, &content);
    }
    DbUseIndex(true);
    state.counters["rows"] = DbRowCount(table);
}

}  // namespace

BENCHMARK(BM_WxPaintMonth)
    ->ArgNames({"rows", "index", "period", "kept"})
    ->ArgsProduct({{1000, 10000, 100000}, {1, 0}, {0}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_WxPaintMonth)
    ->ArgNames({"rows", "index", "period", "kept"})
    ->ArgsProduct({{100000}, {1}, {1000, 10000}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
