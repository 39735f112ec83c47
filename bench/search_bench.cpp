// Search across every year at the sizes of a notebook kept for decades, beside its
// baseline in the same run: a plain memmem of the searched bytes over the file's contents
// (which would find trail bytes, and neither full-width nor kana forms, but can be no
// slower than any search of the same bytes).
//
//   Load          reading the schedule through the model into the search (the window's
//                 opening, and after every change of the schedule)
//   WholeList     every match, as the window's count and list need on every key typed
//   FirstScreen   the first 30 matches and their row texts, what the list first shows
//   MemmemFile    the baseline: every occurrence of the same CP932 bytes in the file
//
// Queries: "病院" (one entry in twenty holds it), "ミーティング" typed as hiragana
// "みーてぃんぐ" (found through the kana folding), and "健康診断" (in no entry: the
// whole text is scanned for nothing).
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEMDARO_BENCH=ON
//   cmake --build build --target search_bench && build/search_bench
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "BenchData.h"
#include "Cp932.h"
#include "ScheduleSearch.h"

namespace {

using bench::BenchFolder;
using bench::TableFile;
using bench::TableSpec;

const char* const kQueries[] = {"病院", "みーてぃんぐ", "健康診断"};
constexpr size_t kScreenRows = 30;

std::string QueryOf(const benchmark::State& state) {
    return Utf8ToCp932(kQueries[state.range(1)]).value();
}

const std::string& FileOf(const benchmark::State& state) {
    return TableFile(TableSpec{static_cast<int>(state.range(0))});
}

// A model open on the table of state.range(0) rows, and the search loaded from it.
struct Loaded {
    BenchFolder folder;
    CScheduleSearch search;
    explicit Loaded(const benchmark::State& state) {
        folder.Open(FileOf(state));
        search.Load(folder.Model());
    }
};

void BM_Load(benchmark::State& state) {
    BenchFolder folder;
    folder.Open(FileOf(state));
    size_t entries = 0;
    for (auto _ : state) {
        CScheduleSearch search;
        search.Load(folder.Model());
        entries = search.Entries().size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
}

void BM_WholeList(benchmark::State& state) {
    Loaded loaded(state);
    const SearchQuery query{QueryOf(state), "", ""};
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<size_t> hits = loaded.search.Find(query);
        found = hits.size();
        benchmark::DoNotOptimize(hits.data());
    }
    state.counters["matches"] = static_cast<double>(found);
}

void BM_FirstScreen(benchmark::State& state) {
    Loaded loaded(state);
    const SearchQuery query{QueryOf(state), "", ""};
    for (auto _ : state) {
        const std::vector<size_t> hits = loaded.search.Find(query, kScreenRows);
        for (const size_t i : hits) {
            auto row = SearchRowTexts(loaded.search.Entries()[i]);
            benchmark::DoNotOptimize(row[0].data());
        }
    }
}

void BM_MemmemFile(benchmark::State& state) {
    const std::string& file = FileOf(state);
    const std::string query = QueryOf(state);
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        const char* p = file.data();
        const char* end = file.data() + file.size();
        while (const void* at =
                   memmem(p, static_cast<size_t>(end - p), query.data(), query.size())) {
            ++found;
            p = static_cast<const char*>(at) + query.size();
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["matches"] = static_cast<double>(found);
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int64_t rows : {10000, 100000}) {
        for (int64_t q = 0; q < 3; ++q) {
            b->Args({rows, q});
        }
    }
}

BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeList)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstScreen)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemmemFile)->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace
