// Writes a realistic schedule table (bench/BenchData.h) for trying the program at size:
//
//   make_bench_table ROWS FILE [PERIOD_MIDDLE PERIOD_DAYS]
//
// The rows cover the thirty years up to 2026, or up to the year of PERIOD_MIDDLE when a
// period of PERIOD_DAYS days around that day is asked for besides. E.g.
// make_bench_table 100000 data/kelnova.txt 20261215 5 writes 100,000 rows over 1997 to
// 2026 and a five-day period from 13 to 17 December 2026.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchData.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s ROWS FILE [PERIOD_MIDDLE PERIOD_DAYS]\n", argv[0]);
        return 2;
    }
    bench::TableSpec shape;
    shape.rows = std::atoi(argv[1]);
    shape.samePaintMonth = false;
    if (argc == 5) {
        shape.longPeriodMiddle = argv[3];
        shape.longPeriodDays = std::atoi(argv[4]);
        shape.lastYear = std::atoi(std::string(argv[3], 4).c_str());
    }
    bench::WriteFile(argv[2], bench::MakeTableFile(shape));
    return 0;
}
