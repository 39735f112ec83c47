// Schedule tables for the benchmarks: realistic CP932 contents of any size, written into a
// private data folder that the store's registry points at.
//
// A table of n rows covers the thirty years 1997 to 2026, about n / 10957 rows a day:
// timed entries of slots 1 to 4 with start and end times and Japanese texts (some with a
// comma, so quoted), holiday and paid-leave marks, period runs of one to a few days (some
// a few weeks), and, beyond four entries a day, further timed rows under INDEX 5 to 9 as
// a hand-edited file may hold them. The rows are in date order, disturbed by the edits of
// the years: one row in twenty was deleted (the last row moving into its place) and added
// again at the end. The month the painting benchmarks show holds the same rows in every
// table (as many as a table of 100,000 rows gives it), so that what is drawn does not
// change with the table's size.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "ScheduleModel.h"
#include "XelDatabase.h"

namespace bench {

// The month the painting benchmarks show, in the middle of the thirty years, and the
// "now" they paint it at (half of it is over).
inline constexpr int kPaintYear = 2011;
inline constexpr int kPaintMonth = 6;

struct TableSpec {
    int rows = 1000;
    // Adds one period of this many days (0: none) around the day longPeriodMiddle, on top
    // of the rows above.
    int longPeriodDays = 0;
    std::string longPeriodMiddle = "20110615";
    unsigned seed = 1;
    // The last year covered; the table covers the thirty years up to its end.
    int lastYear = 2026;
    // The painted month holds the same rows whatever the size (it must fit in `rows`).
    bool samePaintMonth = true;
};

// The whole file: header, rows with CR LF, end mark.
std::string MakeTableFile(const TableSpec& shape);

// Generated files are kept per shape for the life of the process.
const std::string& TableFile(const TableSpec& shape);

// A private data folder, made current for the kelnova registry; removed with the object.
class BenchFolder {
  public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::filesystem::path TablePath() const { return m_dir / "kelnova.txt"; }
    std::filesystem::path Path(const std::string& name) const { return m_dir / name; }
    // Writes the bytes as kelnova.txt and opens the table (closing it first, unsaved).
    DbTable* Open(const std::string& bytes);
    // The schedule model on the table Open opened, as the program holds it.
    CScheduleModel& Model() { return m_model; }

  private:
    std::filesystem::path m_dir;
    CScheduleModel m_model;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace bench
