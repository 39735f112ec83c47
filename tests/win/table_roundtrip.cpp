// The table file written by one system must open on the other with the same rows, and the
// same edits must give the same bytes on both. This program is built for Linux and for
// Windows; tests/e2e-win/roundtrip_e2e.sh runs both on one table and compares.
//
//   table_roundtrip make ROWS FILE    writes a realistic table of ROWS rows (bench/BenchData.h)
//   table_roundtrip edit FILE FOLDER  copies FILE to FOLDER/kelnova.txt, makes a fixed set of
//                                     edits through the schedule model and saves
//   table_roundtrip dump FILE         prints the table's rows as the store reads them, then
//                                     its days as the model reads them, in a canonical text
//
// Exit status: 0 done, 1 failed (said on stderr), 2 a bad command line.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "BenchData.h"
#include "Cp932.h"
#include "PathText.h"
#include "ScheduleModel.h"
#include "XelDatabase.h"

namespace {

namespace fs = std::filesystem;

int Fail(const std::string& why) {
    std::fprintf(stderr, "table_roundtrip: %s\n", why.c_str());
    return 1;
}

std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return !out.fail();
}

// CP932 bytes of a UTF-8 literal; every text below has them.
std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

// A cell as printable ASCII: other bytes, '\' and '|' as \xHH, so that the dump is the
// same text on every system and shows each byte of a CP932 text.
std::string Shown(std::string_view cell) {
    std::string shown;
    for (const char c : cell) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\' && c != '|') {
            shown += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            shown += hex;
        }
    }
    return shown;
}

// A private folder for the table, removed with the object.
class Folder {
  public:
    Folder() {
        static int serial = 0;
        m_path = fs::temp_directory_path() /
                 ("pemdaro-roundtrip-" + std::to_string(std::random_device{}()) + "-" +
                  std::to_string(serial++));
        fs::create_directories(m_path);
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

int Make(const std::string& rows, const std::string& file) {
    bench::TableSpec shape;
    shape.rows = std::atoi(rows.c_str());
    shape.samePaintMonth = false;
    if (shape.rows <= 0) {
        return Fail("ROWS must be a positive number: " + rows);
    }
    return WriteFile(PathOf(file), bench::MakeTableFile(shape)) ? 0 : Fail("cannot write " + file);
}

// The first day from `from` on that has a timed entry, and one that has a period: the
// table's own rows that the edits remove.
struct Found {
    std::string slotDay;
    std::string periodDay;
};
Found FindDays(const CScheduleModel& model) {
    Found found;
    model.ForEachDay("20100101", "20261231", [&](const DayContent& day) {
        if (found.slotDay.empty() && !day.slots[0].IsFree()) {
            found.slotDay = day.date;
        }
        if (found.periodDay.empty() && day.period.n > 1 && day.date != found.slotDay) {
            found.periodDay = day.date;
        }
    });
    return found;
}

int Edit(const std::string& file, const std::string& folderText) {
    const fs::path folder = PathOf(folderText);
    std::error_code error;
    fs::create_directories(folder, error);
    const std::optional<std::string> bytes = ReadFile(PathOf(file));
    if (!bytes) {
        return Fail("cannot read " + file);
    }
    if (!WriteFile(folder / "kelnova.txt", *bytes)) {
        return Fail("cannot write " + PathText(folder / "kelnova.txt"));
    }
    CScheduleModel model;
    if (!model.Open(PathText(folder) + "/")) {
        return Fail("cannot open the table in " + folderText);
    }
    const Found found = FindDays(model);
    if (found.slotDay.empty() || found.periodDay.empty()) {
        return Fail("the table has no timed entry or no period of two days or more after 2010");
    }
    struct Change {
        std::string date;
        void (*apply)(DayContent&);
    };
    const Change changes[] = {
        // Texts whose second byte is 0x5C ('\' in ASCII): 表, ソ, 予.
        {"20260105",
         [](DayContent& d) {
             d.slots[0] = {"0930", "1030", Sjis("表計算の見直し")};
             d.slots[1] = {"1300", "1400", Sjis("ソフトの予約、表示の確認")};
             d.slots[3] = {"2300", "2359", Sjis("予備日ソ")};
         }},
        // A comma and double quotes, which the file quotes.
        {"20260106",
         [](DayContent& d) {
             d.slots[2] = {"0800", "0900", Sjis("会議,第2回 \"予算\"")};
         }},
        // A period across a month end.
        {"20260130",
         [](DayContent& d) {
             d.period.first = "20260129";
             d.period.last = "20260203";
             d.period.text = Sjis("出張（大阪）表敬訪問");
         }},
        {"20260210", [](DayContent& d) { d.holiday = true; }},
        {"20260211", [](DayContent& d) { d.paidLeave = true; }},
        // Both ticked: the holiday alone is stored.
        {"20260212",
         [](DayContent& d) {
             d.holiday = true;
             d.paidLeave = true;
             d.slots[0] = {"1000", "", Sjis("予定ソ")};
         }},
        {"19970102",
         [](DayContent& d) {
             d.slots[1] = {"", "", Sjis("表")};
         }},
    };
    int written = 0;
    for (const Change& change : changes) {
        const DayContent before = model.ReadDay(change.date);
        DayContent after = before;
        change.apply(after);
        if (model.WriteDay(before, after).refused) {
            return Fail("the model refused to write " + change.date);
        }
        ++written;
    }
    // Removals of the table's own rows: a timed entry and a whole period run.
    {
        const DayContent before = model.ReadDay(found.slotDay);
        DayContent after = before;
        after.slots[0] = {};
        model.WriteDay(before, after);
        ++written;
    }
    {
        const DayContent before = model.ReadDay(found.periodDay);
        DayContent after = before;
        after.period.text.clear();
        model.WriteDay(before, after);
        ++written;
    }
    if (!model.Save()) {
        return Fail("the save failed: " + model.LastSaveFailure().step);
    }
    model.Close(false);
    std::fprintf(stderr, "table_roundtrip: %d days written (entry removed on %s, period on %s)\n",
                 written, found.slotDay.c_str(), found.periodDay.c_str());
    return 0;
}

int Dump(const std::string& file) {
    const std::optional<std::string> bytes = ReadFile(PathOf(file));
    if (!bytes) {
        return Fail("cannot read " + file);
    }
    Folder folder;
    if (!WriteFile(folder.Path() / "kelnova.txt", *bytes)) {
        return Fail("cannot copy " + file);
    }
    const std::string dataFolder = PathText(folder.Path()) + "/";
    std::string out;
    {
        DbKelnovaRegistry().dataFolder = dataFolder;
        DbSetRegistry(&DbKelnovaRegistry());
        const DbTable* table = DbOpenTableForReading("kelnova");
        if (table == nullptr) {
            return Fail("the store cannot read " + file);
        }
        out += "rows " + std::to_string(DbRowCount(table)) + "\n";
        for (int32_t r = 0; r < DbRowCount(table); ++r) {
            for (int32_t c = 0; c < table->columnCount; ++c) {
                out += c == 0 ? "" : "|";
                out += Shown(DbGetCell(table, r, table->columnNames[c]));
            }
            out += "\n";
        }
        DbCloseTable("kelnova", 0);
    }
    CScheduleModel model;
    if (!model.OpenForReading(dataFolder)) {
        return Fail("the model cannot read " + file);
    }
    int days = 0;
    std::string dayText;
    model.ForEachDay("10000101", "99991231", [&](const DayContent& day) {
        ++days;
        dayText += day.date;
        for (const TimedEntry& slot : day.slots) {
            dayText += "|" + Shown(slot.from) + "-" + Shown(slot.to) + " " + Shown(slot.text);
        }
        dayText += "|" + std::to_string(day.period.n) + " " + day.period.first + "-" +
                   day.period.last + " " + Shown(day.period.text);
        dayText += std::string("|") + (day.holiday ? "H" : "-") + (day.paidLeave ? "P" : "-");
        dayText += "\n";
    });
    model.Close(false);
    out += "days " + std::to_string(days) + "\n" + dayText;
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // LF stays LF, as on other systems
#endif
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0
               ? 0
               : Fail("cannot write the dump");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "make") {
        return Make(args[1], args[2]);
    }
    if (args.size() == 3 && args[0] == "edit") {
        return Edit(args[1], args[2]);
    }
    if (args.size() == 2 && args[0] == "dump") {
        return Dump(args[1]);
    }
    std::fprintf(stderr,
                 "usage: table_roundtrip make ROWS FILE\n"
                 "       table_roundtrip edit FILE FOLDER\n"
                 "       table_roundtrip dump FILE\n");
    return 2;
}
