// Search across the years: what the folding makes alike and what it keeps apart (tried
// through a real search), the dates the range fields take, and the entries a real table
// gives through the model, periods as one entry for their whole run.
#include "ScheduleSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "../schedule/ScheduleTestSupport.h"
#include "Cp932.h"

namespace {

using caltest::MarkLine;
using caltest::PeriodLine;
using caltest::SlotLine;

std::string Sj(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

// Whether a search for `query` finds an entry of this text.
bool Finds(const std::string& text, const std::string& query) {
    CScheduleSearch search;
    search.Load({{SearchKind::kTimed, "20240401", "20240401", "0930", "1000", 0, text}});
    return search.Find({query, "", ""}).size() == 1;
}

TEST(SearchTextTest, FoldsWidthKanaAndCaseButNeverMatchesPartOfACharacter) {
    const struct {
        std::string text, query;
        bool found;
    } cases[] = {
        // Full-width and half-width letters and digits, and Latin case.
        {Sj("ＡＢＣ１２３"), "abc123", true},
        {"ABC123", Sj("ａｂｃ１２３"), true},
        {Sj("定例ＭＴＧ"), "mtg", true},
        {"Meeting", "MEET", true},
        {Sj("健康　診断"), Sj("健康 診断"), true},  // the ideographic space is a space
        {Sj("１０～１２時"), "10~12", true},
        // Hiragana and katakana, and half-width katakana with its sound marks joined.
        {Sj("ケンコウシンダン"), Sj("けんこう"), true},
        {Sj("ｹﾝｺｳｼﾝﾀﾞﾝ"), Sj("けんこうしんだん"), true},
        {Sj("けんこう"), Sj("ｹﾝｺｳ"), true},
        {Sj("健康診断"), Sj("けんこう"), false},  // no reading of kanji
        {Sj("ガス点検"), Sj("ｶﾞｽ"), true},
        {Sj("ｶﾞｽ点検"), Sj("かす"), false},  // the sound mark stays part of the kana
        {Sj("ﾊﾟﾝ"), Sj("ぱん"), true},
        {Sj("ﾊﾟﾝ"), Sj("ばん"), false},
        {Sj("ｳﾞｨｵﾗ"), Sj("ヴィオラ"), true},
        {Sj("ﾊｰﾄﾞ"), Sj("はーど"), true},  // the half-width ﾞ after ﾄ, not after ｰ
        // The long vowel mark is one character in both widths, and not a hyphen.
        {Sj("ｺｰﾋｰ"), Sj("コーヒー"), true},
        {Sj("こーひー"), Sj("ｺｰﾋｰ"), true},
        {Sj("コーヒー"), Sj("コ-ヒ-"), false},
        // A CP932 trail byte 0x5C is part of its character, never a "\".
        {Sj("表示"), "\\", false},
        {Sj("ソフト"), "\\", false},
        {Sj("予定表"), "\\", false},
        {"C:\\tmp", "\\", true},
        {Sj("＼記号"), "\\", true},
        {Sj("ソフト"), Sj("ソ"), true},
        // Nor does a match start inside a character: "\x8A\xFA" (期) holds no "\xFA\x8A".
        {Sj("期間"), "\xFA\x8A", false},
        // A byte that is not a whole character matches only itself.
        {"ab\x95", "b", true},
        {"ab\x95", "\x95", true},
        {"a\x81\x20", " ", true},  // a lead byte before a space: the space stays a space
        {Sj("会議"), "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Finds(c.text, c.query), c.found)
            << Cp932ToUtf8Lossy(c.text) << " / " << Cp932ToUtf8Lossy(c.query);
    }
}

TEST(SearchTextTest, RangeFieldsTakeTheUsualDateFormsAndRefuseTheRest) {
    const struct {
        const char* typed;  // UTF-8
        std::optional<std::string> date;
    } cases[] = {
        {"2024/4/1", "20240401"},
        {"2024-04-01", "20240401"},
        {"2024年4月1日", "20240401"},
        {"２０２４／０４／０１", "20240401"},
        {"20240401", "20240401"},
        {" 2024/12/31 ", "20241231"},
        {"9999/12/31", "99991231"},
        {"", ""},
        {"  ", ""},
        {"2024/2/30", std::nullopt},
        {"2023/2/29", std::nullopt},
        {"2024/13/1", std::nullopt},
        {"24/4/1", std::nullopt},
        {"2024/4", std::nullopt},
        {"0999/1/1", std::nullopt},
        {"2024/4/1/2", std::nullopt},
        {"明日", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSearchDate(Sj(c.typed)), c.date) << c.typed;
    }
}

using Found = std::tuple<SearchKind, std::string, std::string, std::string>;

class ScheduleSearchTest : public caltest::ScheduleTest {
  protected:
    void SetUp() override {
        ScheduleTest::SetUp();
        AddLines({
            SlotLine("20240129", "0900", "1000", 1, Sj("出張準備")),
            SlotLine("20231231", "2300", "", 0, Sj("年越しそば")),
            SlotLine("20240101", "", "", 3, Sj("初詣")),
            SlotLine("20240101", "1000", "1100", 0, Sj("年賀状")),
            MarkLine("20240102", "1"),  // a mark alone is no entry
            SlotLine("20240301", "0930", "1000", 0, "x"),
            SlotLine("20240301", "0930", "1000", 5, Sj("出張")),  // INDEX 6: never shown
        });
        AddPeriod("20240130", "20240202", Sj("出張：大阪"));    // across a month end
        AddPeriod("20231230", "20240102", Sj("年末年始休暇"));  // across a year end
        AddPeriod("20240301", "20240301", Sj("出張：福岡"));
        m_search.Load(m_model);
    }

    std::vector<Found> Search(const char* text, const std::string& from, const std::string& to) {
        std::vector<Found> found;
        for (const size_t i : m_search.Find({Sj(text), from, to})) {
            const SearchEntry& e = m_search.Entries()[i];
            found.emplace_back(e.kind, e.first, e.last, Cp932ToUtf8Lossy(e.text));
        }
        return found;
    }

    CScheduleSearch m_search;
};

constexpr SearchKind P = SearchKind::kPeriod;
constexpr SearchKind T = SearchKind::kTimed;

TEST_F(ScheduleSearchTest, APeriodIsOneEntryForItsRunAndTheRangeTakesItsEdges) {
    const Found prep{T, "20240129", "20240129", "出張準備"};
    const Found osaka{P, "20240130", "20240202", "出張：大阪"};
    const Found fukuoka{P, "20240301", "20240301", "出張：福岡"};
    const Found holiday{P, "20231230", "20240102", "年末年始休暇"};
    const struct {
        const char* text;
        std::string from, to;
        std::vector<Found> found;
    } cases[] = {
        {"出張", "", "", {prep, osaka, fukuoka}},
        {"出張", "20240129", "20240129", {prep}},
        {"出張", "20240130", "20240130", {osaka}},           // the period's first day
        {"出張", "20240202", "20240301", {osaka, fukuoka}},  // its last day
        {"出張", "20240203", "20240229", {}},
        {"出張", "20240201", "", {osaka, fukuoka}},  // a day inside the run
        {"出張", "", "20240129", {prep}},
        {"出張", "20240302", "20240201", {}},         // the range the wrong way round
        {"休暇", "20240101", "20240101", {holiday}},  // found in the new year, one entry
        {"休暇", "", "20231230", {holiday}},
        {"休暇", "20240103", "", {}},
        {"",
         "20231231",
         "20240101",
         {holiday,
          {T, "20231231", "20231231", "年越しそば"},
          {T, "20240101", "20240101", "年賀状"},
          {T, "20240101", "20240101", "初詣"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Search(c.text, c.from, c.to), c.found) << c.text << " " << c.from << "-" << c.to;
    }
    // The whole schedule: every timed entry and period once, in date order, a day's period
    // before its timed entries, those by slot; the INDEX 6 row is none of them.
    EXPECT_EQ(Search("", "", "").size(), 8U);
    EXPECT_EQ(m_search.Find({"", "", ""}, 2), (std::vector<size_t>{0, 1}));
    // A match spanning the end of one text and the start of the next is none.
    EXPECT_EQ(Search("そば年", "", ""), std::vector<Found>{});
}

TEST_F(ScheduleSearchTest, RowsShowWeekdaysTimesAndKindAndTheSearchSeesWritesAfterALoad) {
    const auto utf8 = [](const SearchEntry& e) {
        std::vector<std::string> row;
        for (const std::string& cell : SearchRowTexts(e)) {
            row.push_back(Cp932ToUtf8Lossy(cell));
        }
        return row;
    };
    const auto& entries = m_search.Entries();
    EXPECT_EQ(utf8(entries[0]), (std::vector<std::string>{"2023/12/30(土)～2024/01/02(火)", "",
                                                          "年末年始休暇", "期間"}));
    EXPECT_EQ(utf8(entries[1]),
              (std::vector<std::string>{"2023/12/31(日)", "23:00～", "年越しそば", "予定"}));
    EXPECT_EQ(utf8(entries[3]), (std::vector<std::string>{"2024/01/01(月)", "", "初詣", "予定"}));
    EXPECT_EQ(utf8(entries[6]),
              (std::vector<std::string>{"2024/03/01(金)", "", "出張：福岡", "期間"}));

    // A write through the model is a change the window sees, and a new load finds it.
    const uint64_t before = m_model.ChangeCount();
    const DayContent day = m_model.ReadDay("20240301");
    DayContent after = day;
    after.slots[1] = {"1300", "1400", Sj("健康診断")};
    m_model.WriteDay(day, after);
    EXPECT_NE(m_model.ChangeCount(), before);
    EXPECT_EQ(Search("健康", "", ""), std::vector<Found>{});
    m_search.Load(m_model);
    EXPECT_EQ(Search("けんこう", "", ""), std::vector<Found>{});
    EXPECT_EQ(Search("健康", "", ""),
              (std::vector<Found>{{T, "20240301", "20240301", "健康診断"}}));
}

}  // namespace
