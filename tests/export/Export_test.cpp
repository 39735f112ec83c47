// The exports against a real table: which rows each entry of the schedule becomes in the
// spreadsheet file and in the iCalendar file, texts that need quoting or escaping, CP932
// second bytes that look like ASCII (表 and ソ end in 0x5C), folding, the range and the
// stability of what a second export writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../schedule/ScheduleTestSupport.h"
#include "Cp932.h"
#include "CsvExport.h"
#include "ExportFile.h"
#include "IcsExport.h"

namespace {

using caltest::MarkLine;
using caltest::PeriodLine;
using caltest::SlotLine;

std::string Sjis(const std::string& utf8) {
    return Utf8ToCp932(utf8).value();
}

// The lines of a CR LF text; a bare LF fails the test.
std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "no line end after: " << text.substr(start);
            break;
        }
        EXPECT_TRUE(end > start && text[end - 1] == '\r') << "bare LF at " << end;
        lines.push_back(text.substr(start, end - 1 - start));
        start = end + 1;
    }
    return lines;
}

// Content lines with the folds undone.
std::vector<std::string> Unfolded(const std::string& ics) {
    std::vector<std::string> lines;
    for (const std::string& line : CrLfLines(ics)) {
        if (!line.empty() && line[0] == ' ' && !lines.empty()) {
            lines.back() += line.substr(1);
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

// The events' lines, without BEGIN/END, UID and DTSTAMP, one string per event.
std::vector<std::string> EventBodies(const std::string& ics) {
    std::vector<std::string> events;
    bool inEvent = false;
    for (const std::string& line : Unfolded(ics)) {
        if (line == "BEGIN:VEVENT") {
            inEvent = true;
            events.emplace_back();
        } else if (line == "END:VEVENT") {
            inEvent = false;
        } else if (inEvent && line.rfind("UID:", 0) != 0 && line.rfind("DTSTAMP:", 0) != 0) {
            events.back() += (events.back().empty() ? "" : "|") + line;
        }
    }
    return events;
}

class ExportTest : public caltest::ScheduleTest {
  protected:
    std::vector<ExportItem> All() const { return CollectExportItems(m_model, {}); }
};

// One table line or a few, and what each format writes for them.
struct EntryCase {
    const char* what;
    std::vector<std::string> lines;  // table rows, UTF-8 (converted to CP932)
    std::vector<std::string> csv;    // the CSV rows after the header, UTF-8
    std::vector<std::string> ics;    // EventBodies
};

TEST_F(ExportTest, EachKindOfEntryBecomesItsCsvRowAndItsEvent) {
    const std::string tz = "DTSTART;TZID=Asia/Tokyo:";
    const std::string tzEnd = "DTEND;TZID=Asia/Tokyo:";
    const EntryCase cases[] = {
        {"start and end",
         {SlotLine("20261207", "0930", "1000", 0, "会議")},
         {"2026/12/07,月,09:30,10:00,予定,会議"},
         {tz + "20261207T093000|" + tzEnd + "20261207T100000|SUMMARY:会議"}},
        {"start alone",
         {SlotLine("20261207", "1300", "", 1, "来客")},
         {"2026/12/07,月,13:00,,予定,来客"},
         {tz + "20261207T130000|SUMMARY:来客"}},
        {"end alone: an all-day event that keeps the time in its summary",
         {SlotLine("20261207", "", "1000", 2, "締切")},
         {"2026/12/07,月,,10:00,予定,締切"},
         {"DTSTART;VALUE=DATE:20261207|DTEND;VALUE=DATE:20261208|SUMMARY:-10:00締切"}},
        {"no times",
         {SlotLine("20261207", "", "", 3, "メモ")},
         {"2026/12/07,月,,,予定,メモ"},
         {"DTSTART;VALUE=DATE:20261207|DTEND;VALUE=DATE:20261208|SUMMARY:メモ"}},
        {"an end of 24:00 is the next midnight",
         {SlotLine("20261231", "2200", "2400", 0, "年越し")},
         {"2026/12/31,木,22:00,24:00,予定,年越し"},
         {tz + "20261231T220000|" + tzEnd + "20270101T000000|SUMMARY:年越し"}},
        {"an end before the start is dropped",
         {SlotLine("20261207", "1500", "0900", 0, "逆")},
         {"2026/12/07,月,15:00,09:00,予定,逆"},
         {tz + "20261207T150000|SUMMARY:逆"}},
        {"a cell that is no time stays as it is in the CSV",
         {SlotLine("20261207", "9:30", "2500", 0, "変")},
         {"2026/12/07,月,9:30,2500,予定,変"},
         {"DTSTART;VALUE=DATE:20261207|DTEND;VALUE=DATE:20261208|SUMMARY:変"}},
        {"comma, semicolon and backslash",
         {SlotLine("20261207", "0900", "", 0, "\"a,b;c\\d\"")},
         {"2026/12/07,月,09:00,,予定,\"a,b;c\\d\""},
         {tz + "20261207T090000|SUMMARY:a\\,b\\;c\\\\d"}},
        {"表, ソ and 能 end in the byte of a backslash",
         {SlotLine("20261207", "", "", 0, "表ソ能")},
         {"2026/12/07,月,,,予定,表ソ能"},
         {"DTSTART;VALUE=DATE:20261207|DTEND;VALUE=DATE:20261208|SUMMARY:表ソ能"}},
        {"a period across a month end, once, DTEND the day after",
         {PeriodLine("20261230", "帰省"), PeriodLine("20261231", "帰省"),
          PeriodLine("20270101", "帰省")},
         {"2026/12/30,水,,2027/01/01,期間,帰省"},
         {"DTSTART;VALUE=DATE:20261230|DTEND;VALUE=DATE:20270102|SUMMARY:帰省"}},
        {"marks",
         {MarkLine("20261228", "2"), MarkLine("20261229", "1")},
         {"2026/12/28,月,,,有給,", "2026/12/29,火,,,祝日,"},
         {"DTSTART;VALUE=DATE:20261228|DTEND;VALUE=DATE:20261229|SUMMARY:計画有給休暇日",
          "DTSTART;VALUE=DATE:20261229|DTEND;VALUE=DATE:20261230|SUMMARY:祝日・特別休日"}},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.what);
        DbCloseTable(kScheduleTable, 0);
        m_model.Close(false);
        std::string file = xeltest::kHeader;
        for (const std::string& line : c.lines) {
            file += Sjis(line) + "\r\n";
        }
        xeltest::WriteBytes(TablePath(), file + xeltest::kEndMark);
        ASSERT_TRUE(m_model.OpenForReading(m_dir.string() + "/"));
        const std::vector<ExportItem> items = All();

        const std::vector<std::string> csv = CrLfLines(CsvFromItems(items, CsvEncoding::kCp932));
        ASSERT_EQ(csv.size(), c.csv.size() + 1);
        EXPECT_EQ(csv[0], Sjis("日付,曜日,開始,終了,種別,内容"));
        for (size_t i = 0; i < c.csv.size(); ++i) {
            EXPECT_EQ(csv[i + 1], Sjis(c.csv[i]));
        }
        const std::vector<std::string> csvUtf8 =
            CrLfLines(CsvFromItems(items, CsvEncoding::kUtf8Bom));
        ASSERT_EQ(csvUtf8.size(), c.csv.size() + 1);
        EXPECT_EQ(csvUtf8[0], "\xEF\xBB\xBF日付,曜日,開始,終了,種別,内容");
        for (size_t i = 0; i < c.csv.size(); ++i) {
            EXPECT_EQ(csvUtf8[i + 1], c.csv[i]);
        }
        EXPECT_EQ(EventBodies(IcsFromItems(items, 0)), c.ics);
    }
}

TEST(CsvFieldTest, QuotesExactlyTheFieldsThatNeedIt) {
    const struct {
        std::string text;
        std::string field;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
        {Sjis("表ソ"), Sjis("表ソ")},  // 0x5C second bytes are no reason to quote
        {"'=1+1", "'=1+1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    }
}

TEST_F(ExportTest, TheRangeTakesWholePeriodsOnceAndNothingOutside) {
    AddPeriod("20261225", "20270105", Sjis("冬休み"));
    AddLines({SlotLine("20261231", "1000", "", 0, "in"), SlotLine("20270102", "1000", "", 0, "out"),
              MarkLine("20261230", "1"), SlotLine("20261130", "1000", "", 0, "before")});
    ExportRange range;
    range.from = "20261201";
    range.to = "20261231";
    const std::vector<ExportItem> items = CollectExportItems(m_model, range);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, ExportKind::kPeriod);
    EXPECT_EQ(items[0].first, "20261225");
    EXPECT_EQ(items[0].last, "20270105");
    EXPECT_EQ(items[1].kind, ExportKind::kHoliday);
    EXPECT_EQ(items[2].text, "in");

    // A period whose end moved is the same event; another text or first day is not.
    ExportItem moved = items[0];
    moved.last = "20270110";
    EXPECT_EQ(ExportEntryKey(moved), ExportEntryKey(items[0]));
    moved.first = "20261226";
    EXPECT_NE(ExportEntryKey(moved), ExportEntryKey(items[0]));
}

TEST_F(ExportTest, LongTextsFoldAt75OctetsWithoutSplittingACharacterAndUidsStayTheSame) {
    // 3-byte characters after an odd number of ASCII bytes: a fold at 75 octets would fall
    // inside a character.
    std::string longText = "x";
    for (int i = 0; i < 60; ++i) {
        longText += "あ";
    }
    AddLines({SlotLine("20261207", "0930", "1000", 0, Sjis(longText)),
              SlotLine("20261207", "0930", "1000", 1, Sjis(longText)),
              SlotLine("20261208", "0930", "1000", 0, Sjis(longText)), MarkLine("20261207", "1")});
    const std::string ics = IcsFromItems(All(), 1765000000);
    for (const std::string& line : CrLfLines(ics)) {
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_TRUE(Utf8IsValid(line)) << line;
    }
    std::set<std::string> uids;
    int summaries = 0;
    for (const std::string& line : Unfolded(ics)) {
        if (line.rfind("UID:", 0) == 0) {
            uids.insert(line);
        }
        summaries += line == "SUMMARY:" + longText;
    }
    EXPECT_EQ(summaries, 3);
    EXPECT_EQ(uids.size(), 4u) << "every entry its own UID";
    EXPECT_EQ(ics, IcsFromItems(All(), 1765000000)) << "a second export writes the same bytes";

    const std::vector<std::string> lines = Unfolded(ics);
    const std::vector<std::string> head(lines.begin(), lines.begin() + 13);
    const std::vector<std::string> expected = {"BEGIN:VCALENDAR",
                                               "VERSION:2.0",
                                               "PRODID:-//Pemdaro//Pemdaro//JA",
                                               "CALSCALE:GREGORIAN",
                                               "BEGIN:VTIMEZONE",
                                               "TZID:Asia/Tokyo",
                                               "BEGIN:STANDARD",
                                               "DTSTART:19700101T000000",
                                               "TZOFFSETFROM:+0900",
                                               "TZOFFSETTO:+0900",
                                               "TZNAME:JST",
                                               "END:STANDARD",
                                               "END:VTIMEZONE"};
    EXPECT_EQ(head, expected);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DTSTAMP:20251206T054640Z"), lines.end());
    EXPECT_EQ(lines.back(), "END:VCALENDAR");
}

TEST_F(ExportTest, AFileIsWrittenWholeOrLeftAsItWas) {
    AddLines({SlotLine("20261207", "0930", "1000", 0, "a")});
    const std::string target = (m_dir / "out.csv").string();
    xeltest::WriteBytes(target, "old");
    ExportRequest request;
    request.format = ExportFormat::kCsv;
    ExportOutcome done = ExportToFile(m_model, request, target);
    EXPECT_TRUE(done.ok) << done.reason;
    EXPECT_EQ(done.entries, 1);
    EXPECT_EQ(xeltest::ReadBytes(target), CsvFromItems(All(), CsvEncoding::kCp932));

    // A folder that does not exist, and a folder as the target: a clear reason that
    // names the file, and nothing written.
    done = ExportToFile(m_model, {}, (m_dir / "missing" / "out.ics").string());
    EXPECT_FALSE(done.ok);
    EXPECT_NE(xeltest::Slashed(done.reason).find("missing/out.ics"), std::string::npos)
        << done.reason;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
    // A folder as the target.
    // The table itself, by its name or through a link (where links can be made without a
    // privilege): refused, the table as it was.
    const std::string tableBytes = xeltest::ReadBytes(TablePath());
    std::vector<std::filesystem::path> sameFile = {TablePath()};
    if (xeltest::kPosixFiles) {
        std::filesystem::create_symlink(TablePath(), m_dir / "link.txt");
        sameFile.push_back(m_dir / "link.txt");
    }
    for (const std::filesystem::path& same : sameFile) {
        done = ExportToFile(m_model, request, same.string());
        EXPECT_FALSE(done.ok) << same;
        EXPECT_NE(done.reason.find("the schedule table itself"), std::string::npos) << done.reason;
        EXPECT_EQ(xeltest::ReadBytes(TablePath()), tableBytes);
    }
    std::filesystem::remove(m_dir / "link.txt");
    done = ExportToFile(m_model, {}, m_dir.string());
    EXPECT_FALSE(done.ok);
    EXPECT_NE(done.reason.find("Is a directory"), std::string::npos) << done.reason;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir),
                            std::filesystem::directory_iterator()),
              2)
        << "the table and out.csv, no temporary file";
}

}  // namespace
