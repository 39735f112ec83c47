#include "BenchData.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "Cp932.h"
#include "DateTime.h"
#include "Schedule.h"

namespace bench {
namespace {

const char* const kEntryTexts[] = {
    "会議",
    "定例ミーティング",
    "打ち合わせ（営業部）",
    "歯医者",
    "締め切り",
    "ジム",
    "買い物",
    "誕生日パーティー",
    "研修：新人向け",
    "面談",
    "レビュー",
    "電話：山田さん",
    "病院",
    "発表準備",
    "資料作成,印刷",
    "MTG",
    "部内会議,議事録",
    "出荷確認",
    "ランチ",
    "保守作業（サーバー）",
};
const char* const kPeriodTexts[] = {
    "出張：大阪", "夏休み", "研修", "帰省", "出張,福岡", "展示会", "プロジェクトＡ",
};

std::string Cp932(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

struct Texts {
    std::vector<std::string> entries;
    std::vector<std::string> periods;
    Texts() {
        for (const char* t : kEntryTexts) {
            entries.push_back(Cp932(t));
        }
        for (const char* t : kPeriodTexts) {
            periods.push_back(Cp932(t));
        }
    }
};

const Texts& TheTexts() {
    static const Texts texts;
    return texts;
}

std::string Line(const std::string& date, const std::string& from, const std::string& to,
                 const std::string& index, const std::string& text, const std::string& mark) {
    DbLine line;
    for (const std::string* cell : {&date, &from, &to, &index, &text, &mark}) {
        DbJoinField(line, *cell);
    }
    return line.text;
}

std::string Hhmm(int minutes) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", minutes / 60 % 24, minutes % 60);
    return text;
}

// Writes the rows of one day after the other at a given density of rows a day.
class DayWriter {
  public:
    DayWriter(unsigned seed, double perDay)
        : m_random(seed),
          // Period rows are about a tenth of the rows (runs average 5.5 days), marks a
          // thirtieth, the rest timed entries.
          m_runStart(std::min(0.1 * perDay / 5.5, 0.5)),
          m_markChance(std::min(perDay / 30.0, 0.5)),
          m_entriesOfDay(perDay * (1.0 - 0.1 - 1.0 / 30.0)) {}

    void Day(const std::string& d, std::vector<std::string>& rows) {
        if (m_periodLeft == 0 && Chance(m_runStart)) {
            m_periodLeft = Chance(0.1) ? 14 + Below(20) : 1 + Below(6);
            m_periodText = Pick(TheTexts().periods);
        }
        if (m_periodLeft > 0) {
            rows.push_back(Line(d, "", "", "0", m_periodText, ""));
            --m_periodLeft;
        }
        if (Chance(m_markChance)) {
            rows.push_back(Line(d, "", "", "", "", Chance(0.6) ? "1" : "2"));
        }
        Entries(d, m_entriesOfDay(m_random), rows);
    }

    void Entries(const std::string& date, int count, std::vector<std::string>& rows) {
        for (int k = 0; k < count; ++k) {
            // Slots 1 to 4 first, in the order of their start times; more go under 5 to 9.
            const std::string index = std::to_string(k < 4 ? k + 1 : 5 + (k - 4) % 5);
            const int start = 8 * 60 + k * 150 + 30 * Below(4);
            std::string from = Hhmm(start);
            std::string to = Chance(0.8) ? Hhmm(start + 30 + 30 * Below(4)) : "";
            if (Chance(0.1)) {
                from.clear();
                to.clear();
            }
            std::string text = Pick(TheTexts().entries);
            if (Chance(0.3)) {
                text += Cp932("（第") + std::to_string(1 + Below(20)) + Cp932("回）");
            }
            rows.push_back(Line(date, from, to, index, text, ""));
        }
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_random) < p; }
    const std::string& Pick(const std::vector<std::string>& from) {
        return from[static_cast<size_t>(Below(static_cast<int>(from.size())))];
    }

  private:
    std::mt19937 m_random;
    double m_runStart;
    double m_markChance;
    std::poisson_distribution<int> m_entriesOfDay;
    std::string m_periodText;
    int m_periodLeft = 0;
};

class Generator {
  public:
    explicit Generator(const TableSpec& shape)
        : m_spec(shape), m_paintMonth(ScheduleDate(kPaintYear, kPaintMonth, 1).substr(0, 6)) {}

    std::vector<std::string> Rows() {
        const std::string first = ScheduleDate(m_spec.lastYear - 29, 1, 1);
        const std::string last = ScheduleDate(m_spec.lastYear, 12, 31);
        int days = 0;
        for (std::string d = first; d <= last; d = DateAddDays(d, 1)) {
            ++days;
        }
        DayWriter writer(m_spec.seed, static_cast<double>(m_spec.rows) / days);
        // The painted month is written by a writer of its own, as dense as in a table of
        // 100,000 rows, so that it holds the same rows in every table.
        DayWriter month(2011, 100000.0 / days);
        for (std::string d = first; d <= last; d = DateAddDays(d, 1)) {
            (m_spec.samePaintMonth && InPaintMonth(d) ? month : writer).Day(d, m_rows);
        }
        if (m_spec.longPeriodDays > 0) {
            AddLongPeriod();
        }
        Edit(writer, first, days);
        return std::move(m_rows);
    }

  private:
    bool InPaintMonth(std::string_view rowOrDate) const {
        return rowOrDate.substr(0, 6) == m_paintMonth;
    }
    // Rows the edits leave alone: the painted month's, and the long period's, whose bar
    // bench/startup.sh waits for.
    bool Kept(std::string_view rowOrDate) const {
        return (m_spec.samePaintMonth && InPaintMonth(rowOrDate)) ||
               (!m_longPeriodRow.empty() && rowOrDate.size() > 8 &&
                rowOrDate.substr(8) == m_longPeriodRow);
    }

    void AddLongPeriod() {
        std::string d = DateAddDays(m_spec.longPeriodMiddle, -(m_spec.longPeriodDays / 2));
        const std::string text = Cp932("長期出向");
        for (int i = 0; i < m_spec.longPeriodDays; ++i, d = DateAddDays(d, 1)) {
            m_rows.push_back(Line(d, "", "", "0", text, ""));
        }
        m_longPeriodRow = m_rows.back().substr(8);
    }

    // The years' edits: a row deleted (the last one taking its place) and written again at
    // the end; then rows added at random days or deleted until the count is exact, none
    // of them in the painted month.
    void Edit(DayWriter& writer, const std::string& first, int days) {
        const size_t target = static_cast<size_t>(m_spec.rows + m_spec.longPeriodDays);
        const int count = static_cast<int>(m_rows.size());
        for (size_t e = 0; e < m_rows.size() / 20; ++e) {
            const size_t at = static_cast<size_t>(writer.Below(count));
            std::string row = std::move(m_rows[at]);
            m_rows[at] = std::move(m_rows.back());
            m_rows.back() = std::move(row);
        }
        while (m_rows.size() < target) {
            const std::string d = DateAddDays(first, writer.Below(days));
            if (!Kept(d)) {
                writer.Entries(d, 1, m_rows);
            }
        }
        while (m_rows.size() > target) {
            const size_t at = static_cast<size_t>(writer.Below(static_cast<int>(m_rows.size())));
            if (!Kept(m_rows[at])) {
                m_rows[at] = std::move(m_rows.back());
                m_rows.pop_back();
            }
        }
    }

    TableSpec m_spec;
    std::string m_paintMonth;     // YYYYMM
    std::string m_longPeriodRow;  // the long period's rows after their date
    std::vector<std::string> m_rows;
};

}  // namespace

std::string MakeTableFile(const TableSpec& shape) {
    std::string file =
        "# X-- Database Version 1.0\r\n"
        "# Table Name : kelnova\r\n"
        "# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n";
    for (const std::string& row : Generator(shape).Rows()) {
        file += row;
        file += "\r\n";
    }
    file += "# [END OF FILE]\r\n";
    return file;
}

const std::string& TableFile(const TableSpec& shape) {
    static std::map<std::tuple<int, int, std::string, unsigned, int, bool>, std::string> files;
    const auto key = std::make_tuple(shape.rows, shape.longPeriodDays, shape.longPeriodMiddle,
                                     shape.seed, shape.lastYear, shape.samePaintMonth);
    auto it = files.find(key);
    if (it == files.end()) {
        it = files.emplace(key, MakeTableFile(shape)).first;
    }
    return it->second;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

BenchFolder::BenchFolder() {
    static int serial = 0;
    m_dir = std::filesystem::temp_directory_path() /
            ("pemdaro-bench-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    DbKelnovaRegistry().dataFolder = m_dir.string() + "/";
    DbSetRegistry(&DbKelnovaRegistry());
}

BenchFolder::~BenchFolder() {
    m_model.Close(false);
    DbCloseTable("kelnova", 0);
    std::filesystem::remove_all(m_dir);
}

DbTable* BenchFolder::Open(const std::string& bytes) {
    m_model.Close(false);
    DbCloseTable("kelnova", 0);
    WriteFile(TablePath(), bytes);
    DbTable* table = DbOpenTable("kelnova");
    m_model.Open(m_dir.string() + "/");
    return table;
}

}  // namespace bench
