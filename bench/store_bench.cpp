// The table store at the sizes of a notebook kept for decades: open (read and split),
// save, searches, memory, and one day's edit written back, each beside its baseline in
// the same run: plain fread/fwrite of the same bytes, and the scan of every row that the
// store made before it had an index.
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEMDARO_BENCH=ON
//   cmake --build build -j2 && build/store_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "BenchData.h"
#include "DayEdit.h"
#include "Schedule.h"
#include "XelDatabase.h"
#include "XelFile.h"

// Every operator new of the process is counted, to give the peak of an open.
namespace {
std::atomic<size_t> g_liveBytes{0};
std::atomic<size_t> g_peakBytes{0};

void* CountedAlloc(size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const size_t live = g_liveBytes += malloc_usable_size(p);
    size_t peak = g_peakBytes.load();
    while (live > peak && !g_peakBytes.compare_exchange_weak(peak, live)) {
    }
    return p;
}

void CountedFree(void* p) noexcept {
    if (p != nullptr) {
        g_liveBytes -= malloc_usable_size(p);
        std::free(p);
    }
}
}  // namespace

void* operator new(size_t size) {
    return CountedAlloc(size);
}
void* operator new[](size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
    CountedFree(p);
}

namespace {

using bench::BenchFolder;
using bench::TableFile;
using bench::TableSpec;

const std::vector<int64_t> kSizes = {1000, 10000, 100000, 1000000};

const std::string& FileOf(const benchmark::State& state) {
    return TableFile(TableSpec{static_cast<int>(state.range(0))});
}

void Describe(benchmark::State& state, const std::string& bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetComplexityN(state.range(0));
}

// --- Open and save, and the plain reads and writes of the same bytes ---

// Evicts a file's pages from the page cache, so that the next read comes from the disk:
// the state of the table at the first start after the machine has booted.
void DropFromCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// With cache = 1 the file is in the page cache (a start soon after the last one); with
// cache = 0 every iteration reads it from the disk.
void ReadyToRead(benchmark::State& state, const std::string& path) {
    if (state.range(1) == 0) {
        state.PauseTiming();
        DropFromCache(path);
        state.ResumeTiming();
    }
}

void BM_Open(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    bench::WriteFile(folder.TablePath(), bytes);
    const std::string path = folder.TablePath().string();
    for (auto _ : state) {
        ReadyToRead(state, path);
        DbTable* table = DbOpenTable("kelnova");
        benchmark::DoNotOptimize(table);
        state.PauseTiming();
        if (DbRowCount(table) != state.range(0)) {
            state.SkipWithError("wrong row count");
        }
        DbCloseTable("kelnova", 0);
        state.ResumeTiming();
    }
    Describe(state, bytes);
}

// The whole file in one fread into a string of its size.
std::string PlainRead(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    std::string contents(static_cast<size_t>(std::ftell(file)), '\0');
    std::fseek(file, 0, SEEK_SET);
    contents.resize(std::fread(contents.data(), 1, contents.size(), file));
    std::fclose(file);
    return contents;
}

void BM_PlainRead(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    bench::WriteFile(folder.TablePath(), bytes);
    const std::string path = folder.TablePath().string();
    for (auto _ : state) {
        ReadyToRead(state, path);
        const std::string contents = PlainRead(path);
        benchmark::DoNotOptimize(contents.data());
    }
    Describe(state, bytes);
}

// The same read, then one pass that only counts the line feeds and commas, sixteen bytes
// at a time with SSE2: the least that any reader splitting lines into cells must add to
// the read; for scale only.
void BM_PlainReadCount(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    bench::WriteFile(folder.TablePath(), bytes);
    const std::string path = folder.TablePath().string();
    size_t lastFeeds = 0;
    for (auto _ : state) {
        const std::string contents = PlainRead(path);
        const size_t read = contents.size();
        size_t feeds = 0;
        size_t commas = 0;
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i feed = _mm_set1_epi8('\n');
        const __m128i comma = _mm_set1_epi8(',');
        // Each byte lane counts its matches; the lanes are summed before they can wrap.
        while (i + 16 <= read) {
            __m128i feedLanes = _mm_setzero_si128();
            __m128i commaLanes = _mm_setzero_si128();
            for (int round = 0; round < 255 && i + 16 <= read; ++round, i += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&contents[i]));
                feedLanes = _mm_sub_epi8(feedLanes, _mm_cmpeq_epi8(v, feed));
                commaLanes = _mm_sub_epi8(commaLanes, _mm_cmpeq_epi8(v, comma));
            }
            const __m128i zero = _mm_setzero_si128();
            const __m128i sums = _mm_add_epi64(_mm_sad_epu8(feedLanes, zero),
                                               _mm_slli_epi64(_mm_sad_epu8(commaLanes, zero), 32));
            alignas(16) uint64_t halves[2];
            _mm_store_si128(reinterpret_cast<__m128i*>(halves), sums);
            feeds += (halves[0] & 0xffffffffu) + (halves[1] & 0xffffffffu);
            commas += (halves[0] >> 32) + (halves[1] >> 32);
        }
#endif
        for (; i < read; ++i) {
            feeds += contents[i] == '\n';
            commas += contents[i] == ',';
        }
        benchmark::DoNotOptimize(feeds);
        benchmark::DoNotOptimize(commas);
        lastFeeds = feeds;
    }
    state.counters["lines"] = static_cast<double>(lastFeeds);
    Describe(state, bytes);
}

// The same file read line by line through a 2048-byte buffer, as a text-mode reader of
// the file format reads it; for scale only.
void BM_PlainReadLines(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    bench::WriteFile(folder.TablePath(), bytes);
    const std::string path = folder.TablePath().string();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        char line[2048];
        size_t lines = 0;
        while (std::fgets(line, sizeof line, file) != nullptr) {
            ++lines;
        }
        std::fclose(file);
        benchmark::DoNotOptimize(lines);
    }
    Describe(state, bytes);
}

int NoSync(int) {
    return 0;
}

// The store's save replaces the file safely: a temporary file, fsync, rename, fsync of
// the folder. With sync = 0 the two fsync calls are left out, to show what the rest costs.
void BM_Save(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    folder.Open(bytes);
    XelSysCalls calls = XelRealSysCalls();
    if (state.range(1) == 0) {
        calls.fsync = NoSync;
    }
    XelSetSysCalls(&calls);
    for (auto _ : state) {
        if (DbWriteTable("kelnova") != 0) {
            state.SkipWithError("save failed");
        }
    }
    XelSetSysCalls(nullptr);
    Describe(state, bytes);
}

// fwrite of the same bytes to a new file; with sync = 1 also fflush and fsync.
void BM_PlainWrite(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    const std::string path = folder.Path("plain.txt").string();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        if (state.range(1) == 1) {
            std::fflush(file);
            ::fsync(fileno(file));
        }
        std::fclose(file);
    }
    Describe(state, bytes);
}

// --- Searches, through the index and by the scan ---

struct Probe {
    std::string date;
    std::string index;
};

// Searches as the month view makes them: hits on a day's slot 1, misses on a day that
// holds rows but no INDEX "10" (no table here has one; the search walks all of that day's rows).
std::vector<Probe> Probes(DbTable* table, bool hits) {
    std::vector<Probe> probes;
    for (int32_t r = 0; r < DbRowCount(table) && probes.size() < 1024; r += 7) {
        if (std::string(DbGetCell(table, r, kColIndex)) == "1") {
            probes.push_back({DbGetCell(table, r, kColDate), hits ? "1" : "10"});
        }
    }
    return probes;
}

void Find(benchmark::State& state, bool hits) {
    BenchFolder folder;
    DbTable* table = folder.Open(FileOf(state));
    const std::vector<Probe> probes = Probes(table, hits);
    DbUseIndex(state.range(1) == 1);
    size_t i = 0;
    int64_t found = 0;
    for (auto _ : state) {
        const Probe& p = probes[i++ % probes.size()];
        found += DbFindRow(table, kColDate, p.date.c_str(), kColIndex, p.index.c_str()) >= 0;
    }
    DbUseIndex(true);
    if ((found > 0) != hits) {
        state.SkipWithError("searches did not hit or miss as meant");
    }
    state.SetComplexityN(state.range(0));
}

void BM_FindHit(benchmark::State& state) {
    Find(state, true);
}
void BM_FindMiss(benchmark::State& state) {
    Find(state, false);
}

// --- Memory of a loaded table ---

size_t MallocInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap in use after the open minus before it (malloc's view, its own overhead included),
// and the peak of operator new during the open.
void BM_Memory(benchmark::State& state) {
    BenchFolder folder;
    const std::string& bytes = FileOf(state);
    bench::WriteFile(folder.TablePath(), bytes);
    DbOpenTable("kelnova");  // first use of everything the open touches
    DbCloseTable("kelnova", 0);
    size_t held = 0;
    size_t peak = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = MallocInUse();
        g_peakBytes = g_liveBytes.load();
        const size_t liveBefore = g_liveBytes;
        DbTable* table = DbOpenTable("kelnova");
        held = MallocInUse() - before;
        peak = g_peakBytes - liveBefore;
        benchmark::DoNotOptimize(table);
        DbCloseTable("kelnova", 0);
    }
    const double file = static_cast<double>(bytes.size());
    state.counters["file_MB"] = file / 1e6;
    state.counters["held_MB"] = static_cast<double>(held) / 1e6;
    state.counters["held_per_file"] = static_cast<double>(held) / file;
    state.counters["held_B_per_row"] =
        static_cast<double>(held) / static_cast<double>(state.range(0));
    state.counters["peak_per_file"] = static_cast<double>(peak) / file;
}

// --- One day's edit written back ---

// The day dialog's OK on a day of the painted month: one entry's text changed, the period
// and marks as they were; the old rows go and the new ones are appended. With save = 1
// the table is then saved as the view does after every OK.
void BM_EditDay(benchmark::State& state) {
    BenchFolder folder;
    DbTable* table = folder.Open(FileOf(state));
    DbUseIndex(state.range(1) == 1);
    const bool save = state.range(2) == 1;
    int round = 0;
    for (auto _ : state) {
        CScheduleModel& model = folder.Model();
        const DayContent before =
            model.ReadDay(ScheduleDate(bench::kPaintYear, bench::kPaintMonth, 15));
        DayDialogFields result = ToDialogFields(before);
        result.m_strYotei[0] = (++round % 2) ? "edited" : "again";
        result.m_strFromTime[0] = "09:30";
        model.WriteDay(before, FromDialogFields(result, before));
        if (save && DbWriteTable("kelnova") != 0) {
            state.SkipWithError("save failed");
        }
    }
    DbUseIndex(true);
    state.counters["rows"] = DbRowCount(table);
}

void SizesWithIndexSwitch(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rows", "index"});
    for (int64_t rows : kSizes) {
        b->Args({rows, 1});
        b->Args({rows, 0});
    }
}

}  // namespace

BENCHMARK(BM_Open)
    ->ArgNames({"rows", "cache"})
    ->ArgsProduct({kSizes, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PlainRead)
    ->ArgNames({"rows", "cache"})
    ->ArgsProduct({kSizes, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PlainReadCount)->ArgName("rows")->ArgsProduct({kSizes})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadLines)->ArgName("rows")->ArgsProduct({kSizes})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)
    ->ArgNames({"rows", "sync"})
    ->ArgsProduct({kSizes, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PlainWrite)
    ->ArgNames({"rows", "sync"})
    ->ArgsProduct({kSizes, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FindHit)->Apply(SizesWithIndexSwitch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindMiss)->Apply(SizesWithIndexSwitch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memory)->ArgName("rows")->ArgsProduct({kSizes})->Iterations(3)->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_EditDay)
    ->ArgNames({"rows", "index", "save"})
    ->ArgsProduct({kSizes, {1, 0}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
