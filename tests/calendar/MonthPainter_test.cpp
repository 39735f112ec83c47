#include "MonthPainter.h"

#include <gtest/gtest.h>

#include "../schedule/ScheduleTestSupport.h"
#include "Cp932.h"
#include "RecordingCanvas.h"

namespace {

using caltest::MarkLine;
using caltest::SlotLine;
using fw::CanvasCall;
using fw::CanvasOp;
using fw::Rect;
using fw::Rgb;

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};
const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kGrey{220, 220, 220};
const Rgb kBarGrey{100, 100, 100};
const Rgb kToday{255, 243, 176};
const fw::FontSpec kDayFont{"ＭＳ ゴシック", 15, 700};
const fw::FontSpec kWeekdayFont{"ＭＳ ゴシック", 11, 400};
const fw::FontSpec kEntryFont{"ＭＳ ゴシック", 12, 400};
const fw::FontSpec kHeaderFont{"ＭＳ ゴシック", 18, 700};
constexpr unsigned kLeftFlags = 288;
constexpr unsigned kCenterFlags = 289;

// Weekday names in CP932.
const char kSun[] = "\x93\xfa";  // 日
const char kMon[] = "\x8c\x8e";  // 月
const char kWed[] = "\x90\x85";  // 水
const char kSat[] = "\x93\x79";  // 土

// Noon on Monday 10 March 2008.
const LocalDateTime kNow{2008, 3, 10, 12, 0, 0};

struct Cell {
    int x0, y;
};

// Where a day sits with the default geometry: 1-16 left, 17-31 right.
Cell CellOf(int day) {
    const int column = (day - 1) / 16;
    return {20 + 380 * column, 20 + 27 * ((day - 1) % 16)};
}

bool InRow(const CanvasCall& call, Cell cell) {
    int x = call.rect.left, y = call.rect.top;
    if (call.op == CanvasOp::kPolygon) {
        x = call.points.front().x;
        y = call.points.front().y;
    }
    return x >= cell.x0 && x < cell.x0 + 350 && y >= cell.y && y < cell.y + 27;
}

class MonthPainterTest : public caltest::ScheduleTest {
  protected:
    fw::RecordingCanvas& Paint(int year, int month, const LocalDateTime& now = kNow) {
        m_canvas.Clear();
        const MonthContent content = m_model.ReadMonth(year, month);
        PaintMonth(m_canvas, m_layout, year, month, now, &content);
        return m_canvas;
    }
    // The drawing calls (shapes and texts, not separators) inside a day's row.
    std::vector<const CanvasCall*> RowCalls(Cell cell) const {
        std::vector<const CanvasCall*> found;
        for (const CanvasCall& call : m_canvas.Calls()) {
            const bool drawing = call.op == CanvasOp::kRectangle || call.op == CanvasOp::kEllipse ||
                                 call.op == CanvasOp::kPolygon || call.op == CanvasOp::kDrawText;
            if (drawing && InRow(call, cell)) {
                found.push_back(&call);
            }
        }
        return found;
    }
    const CanvasCall* TextAt(const Rect& box) const {
        for (const CanvasCall* call : m_canvas.FindAt(box)) {
            if (call->op == CanvasOp::kDrawText) {
                return call;
            }
        }
        return nullptr;
    }

    MonthLayout m_layout;
    fw::RecordingCanvas m_canvas;
};

TEST_F(MonthPainterTest, DayNumbersAndWeekdaysInTheirBoxesAndColours) {
    AddLines({MarkLine("20080308", "1"), MarkLine("20080312", "1")});
    struct Case {
        int day;
        const char* weekday;
        Rgb weekdayColor;
        Rgb numberColor;
        Rgb background;
    };
    const Case cases[] = {
        {1, kSat, kBlue, kBlue, kGrey},  // over: grey
        {2, kSun, kRed, kRed, kGrey},
        {8, kSat, kBlue, kRed, kGrey},       // Saturday holiday: red number, blue weekday
        {10, kMon, kBlack, kBlack, kToday},  // today: its own tint
        {12, kWed, kBlack, kRed, kWhite},    // weekday holiday
        {16, kSun, kRed, kRed, kWhite},      // left column, last row
        {17, kMon, kBlack, kBlack, kWhite},  // right column, first row
        {31, kMon, kBlack, kBlack, kWhite},
    };
    Paint(2008, 3);
    for (const Case& c : cases) {
        const Cell cell = CellOf(c.day);
        const CanvasCall* number = TextAt({cell.x0 + 1, cell.y + 1, cell.x0 + 28, cell.y + 28});
        ASSERT_NE(number, nullptr) << c.day;
        EXPECT_EQ(number->text, std::to_string(c.day));
        EXPECT_EQ(number->flags, kCenterFlags);
        EXPECT_EQ(number->state.font, kDayFont);
        EXPECT_EQ(number->state.textColor, c.numberColor) << c.day;
        EXPECT_EQ(number->state.bkColor, c.background) << c.day;
        const CanvasCall* weekday = TextAt({cell.x0 + 1, cell.y + 14, cell.x0 + 28, cell.y + 25});
        ASSERT_NE(weekday, nullptr) << c.day;
        EXPECT_EQ(weekday->text, c.weekday) << c.day;
        EXPECT_EQ(weekday->flags, kCenterFlags);
        EXPECT_EQ(weekday->state.font, kWeekdayFont);
        EXPECT_EQ(weekday->state.textColor, c.weekdayColor) << c.day;
        EXPECT_EQ(weekday->state.bkColor, c.background) << c.day;
        EXPECT_LT(m_canvas.IndexOf(weekday), m_canvas.IndexOf(number));
    }
}

// The oval surrounds the weekday's text without crossing it: every corner of the text's
// box lies inside the ellipse. Its outline is drawn on the box's edges, the bottom row
// included, so the box ends above the next row's line.
TEST_F(MonthPainterTest, PaidLeaveOvalAroundTheWeekdayClearOfTheRowLine) {
    AddLines({MarkLine("20080311", "2"), MarkLine("20080312", "2"), MarkLine("20080312", "1"),
              MarkLine("20080320", "2"), MarkLine("20080331", "2")});
    Paint(2008, 3);
    const auto ovals = m_canvas.Find(CanvasOp::kEllipse);
    ASSERT_EQ(ovals.size(), 4u);
    const int days[] = {11, 12, 20, 31};
    for (size_t i = 0; i < 4; ++i) {
        const Cell cell = CellOf(days[i]);
        const Rect oval = ovals[i]->rect;
        EXPECT_TRUE(InRow(*ovals[i], cell)) << days[i];
        EXPECT_TRUE(ovals[i]->state.brush.hollow);
        EXPECT_EQ(ovals[i]->state.pen, (fw::PenSpec{0, kBlack}));
        EXPECT_LT(oval.bottom, cell.y + 27) << days[i];  // the next row's line
        EXPECT_GT(oval.left, cell.x0);
        EXPECT_LE(oval.right, cell.x0 + 28);  // the entries start there
        const CanvasCall* weekday = TextAt(m_layout.WeekdayBox(cell.x0, cell.y));
        ASSERT_NE(weekday, nullptr);
        // The text as drawn: centred in its box, as wide as the canvas measures it.
        const int width = static_cast<int>(weekday->text.size()) * weekday->state.font.height / 2;
        const int left = (weekday->rect.left + weekday->rect.right - width) / 2;
        const double cx = (oval.left + oval.right) / 2.0, cy = (oval.top + oval.bottom) / 2.0;
        const double a = oval.Width() / 2.0, b = oval.Height() / 2.0;
        for (int x : {left, left + width}) {
            for (int y : {weekday->rect.top, weekday->rect.top + weekday->state.font.height}) {
                const double dx = (x - cx) / a, dy = (y - cy) / b;
                EXPECT_LE(dx * dx + dy * dy, 1.0) << days[i] << " corner " << x << "," << y;
            }
        }
    }
    // Both marks on the 12th: red number and the oval.
    EXPECT_EQ(TextAt({21, 318, 48, 345})->state.textColor, kRed);
}

TEST_F(MonthPainterTest, DaysWhoseLastSecondHasPassedAreShaded) {
    struct Case {
        LocalDateTime now;
        int lastPastDay;  // 0: none
    };
    const Case cases[] = {
        {{2008, 3, 10, 12, 0, 0}, 9}, {{2008, 3, 10, 23, 59, 59}, 9}, {{2008, 3, 11, 0, 0, 0}, 10},
        {{2008, 3, 1, 0, 0, 0}, 0},   {{2008, 3, 31, 23, 0, 0}, 30},  {{2008, 2, 29, 12, 0, 0}, 0},
    };
    const auto rowOf = [](int day) {
        const Cell cell = CellOf(day);
        return Rect{cell.x0, cell.y + 1, cell.x0 + 350, cell.y + 26};
    };
    for (const Case& c : cases) {
        Paint(2008, 3, c.now);
        std::vector<Rect> shaded;
        std::vector<Rect> today;
        for (const CanvasCall* call : m_canvas.Find(CanvasOp::kRectangle)) {
            const bool grey = call->state.brush == fw::BrushSpec{kGrey, false};
            EXPECT_EQ(call->state.pen, (fw::PenSpec{0, grey ? kGrey : kToday}));
            (grey ? shaded : today).push_back(call->rect);
        }
        std::vector<Rect> expected;
        for (int day = 1; day <= c.lastPastDay; ++day) {
            expected.push_back(rowOf(day));
        }
        EXPECT_EQ(shaded, expected) << "now day " << c.now.day << " " << c.now.hour;
        // Today's row has its own tint, in the month of today only.
        const std::vector<Rect> expectedToday =
            c.now.month == 3 ? std::vector<Rect>{rowOf(c.now.day)} : std::vector<Rect>{};
        EXPECT_EQ(today, expectedToday) << "now day " << c.now.day;
    }
}

TEST_F(MonthPainterTest, APastMonthIsGreyThroughoutALaterOneWhite) {
    Add(SlotLine("20080205", "0930", "", 0, "Meeting"));
    Paint(2008, 2);
    const auto rectangles = m_canvas.Find(CanvasOp::kRectangle);
    ASSERT_EQ(rectangles.size(), 1u + 29u);  // the whole area, then every day
    EXPECT_EQ(rectangles[0]->rect, (Rect{0, 0, 770, 452}));
    EXPECT_EQ(rectangles[0]->state.brush, (fw::BrushSpec{kGrey, false}));
    for (const CanvasCall* text : m_canvas.Find(CanvasOp::kDrawText)) {
        EXPECT_EQ(text->state.bkColor, kGrey) << text->text;
    }
    // The year before is over as well, whatever its month.
    Paint(2007, 12);
    EXPECT_EQ(m_canvas.Find(CanvasOp::kRectangle)[0]->rect, (Rect{0, 0, 770, 452}));

    for (auto [year, month] : {std::pair{2008, 4}, std::pair{2009, 1}}) {
        Paint(year, month);
        EXPECT_EQ(m_canvas.Count(CanvasOp::kRectangle), 0u) << year << "/" << month;
        for (const CanvasCall* text : m_canvas.Find(CanvasOp::kDrawText)) {
            EXPECT_EQ(text->state.bkColor, kWhite) << text->text;
        }
    }
}

TEST_F(MonthPainterTest, DaysTheMonthLacksStayBlankApartFromTheirSeparators) {
    struct Case {
        int year, month, days;
    };
    const Case cases[] = {{2007, 2, 28}, {2008, 2, 29}, {2008, 4, 30}, {2008, 3, 31}};
    for (const Case& c : cases) {
        Paint(c.year, c.month, {2000, 1, 1, 0, 0, 0});  // nothing over yet
        for (int day = 1; day <= 32; ++day) {
            const auto calls = RowCalls(CellOf(day));
            if (day <= c.days) {
                EXPECT_EQ(calls.size(), 2u) << c.month << "/" << day;  // weekday and number
            } else {
                EXPECT_TRUE(calls.empty()) << c.month << "/" << day;
            }
        }
        // Two header rules and fifteen separators in each column, blank rows included.
        const auto lines = m_canvas.Find(CanvasOp::kLine);
        ASSERT_EQ(lines.size(), 32u);
        EXPECT_EQ(lines[0]->rect, (Rect{20, 19, 370, 19}));
        EXPECT_EQ(lines[0]->state.pen, (fw::PenSpec{2, kBlack}));
        EXPECT_EQ(lines[1]->rect, (Rect{20, 47, 370, 47}));
        EXPECT_EQ(lines[16]->rect, (Rect{400, 19, 750, 19}));
        EXPECT_EQ(lines[31]->rect, (Rect{400, 425, 750, 425}));
        EXPECT_EQ(lines[31]->state.pen, (fw::PenSpec{0, kBlack}));
        EXPECT_EQ(m_canvas.Count(CanvasOp::kBlitToTarget), 1u);
        EXPECT_EQ(m_canvas.Calls().back().op, CanvasOp::kBlitToTarget);
        EXPECT_EQ(m_canvas.Calls().front().op, CanvasOp::kSelectBrush);
    }
}

TEST_F(MonthPainterTest, HeaderShowsYearAndMonthWithoutLeadingZeros) {
    struct Case {
        int year, month;
        const char* text;  // CP932
    };
    const Case cases[] = {
        {2008, 3, "2008\x94\x4e 3\x8c\x8e"},
        {2008, 12, "2008\x94\x4e 12\x8c\x8e"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonthHeaderText(c.year, c.month), c.text);
        Paint(c.year, c.month);
        const CanvasCall* header = TextAt({21, 0, 371, 20});
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->text, c.text);
        EXPECT_EQ(header->flags, kLeftFlags);
        EXPECT_EQ(header->state.font, kHeaderFont);
        EXPECT_EQ(header->state.textColor, kBlack);
    }
}

TEST(EntryLabelTest, LabelFormsOfAStoredEntry) {
    struct Case {
        const char* from;
        const char* to;
        const char* text;
        const char* label;
    };
    const Case cases[] = {
        {"0930", "1000", "Meeting", "09:30-10:00Meeting"},
        {"0930", "", "Meeting", "09:30-Meeting"},
        {"", "1000", "Meeting", "-10:00Meeting"},
        {"", "", "Meeting", "Meeting"},
        {"930", "1000", "Meeting", "-10:00Meeting"},  // too short: a time, shown as nothing
        {"0930", "10", "Meeting", "09:30-Meeting"},
        {"1", "", "Meeting", "-Meeting"},
        {"0930", "1000", "", "09:30-10:00"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EntryLabel(c.from, c.to, c.text), c.label) << c.from << "/" << c.to;
    }
}

TEST_F(MonthPainterTest, EntryLabelsInTheirBoxesWithAndWithoutAPeriod) {
    // The 10th without a period, the 2nd (a Sunday, holiday, over) and the 17th with one.
    for (const char* date : {"20080310", "20080302", "20080317"}) {
        AddLines({SlotLine(date, "0930", "1000", 0, "A"), SlotLine(date, "", "", 1, "B"),
                  SlotLine(date, "1300", "", 2, "C"), SlotLine(date, "", "1500", 3, "D")});
    }
    AddLines({MarkLine("20080302", "1"), caltest::PeriodLine("20080302", "Trip"),
              caltest::PeriodLine("20080317", "Course"),
              caltest::PeriodLine("20080318", "Course")});
    Paint(2008, 3);
    struct Case {
        int day;
        bool period;
    };
    const char* labels[] = {"09:30-10:00A", "B", "13:00-C", "-15:00D"};
    const int leftWithout[] = {28, 28, 189, 189};
    const int leftWith[] = {135, 135, 243, 243};
    // A label's room ends 4 pixels before the next label on its line, or at the column's end.
    const int rightWithout[] = {185, 185, 350, 350};
    const int rightWith[] = {239, 239, 350, 350};
    const int top[] = {2, 14, 2, 14};
    for (const Case c : {Case{10, false}, Case{2, true}, Case{17, true}}) {
        const Cell cell = CellOf(c.day);
        for (int k = 0; k < 4; ++k) {
            const int left = cell.x0 + (c.period ? leftWith : leftWithout)[k];
            const int right = cell.x0 + (c.period ? rightWith : rightWithout)[k];
            const Rect box{left, cell.y + top[k], right, cell.y + top[k] + 13};
            const CanvasCall* label = TextAt(box);
            ASSERT_NE(label, nullptr) << c.day << " slot " << k;
            EXPECT_EQ(label->text, labels[k]);
            EXPECT_EQ(label->flags, kLeftFlags);
            EXPECT_EQ(label->state.font, kEntryFont);
            EXPECT_EQ(label->state.textColor, kBlack) << c.day;
            EXPECT_TRUE(label->state.brush.hollow);
            EXPECT_EQ(label->state.bkColor, c.day < 10 ? kGrey : c.day == 10 ? kToday : kWhite);
        }
    }
    // A day without rows draws no label at all.
    EXPECT_EQ(RowCalls(CellOf(11)).size(), 2u);
}

// Long texts stay in their room: every label of a row ends before the next label's place
// on its line (the period text, across both lines, before the first entry) and before its
// column's end, and one that is cut ends with "…" after whole characters.
TEST_F(MonthPainterTest, LongLabelsAreCutToTheirRoom) {
    const std::string meeting = Utf8ToCp932("設計レビューと締切の確認会議（第２会議室）").value();
    const std::string visit = Utf8ToCp932("顧客訪問と打ち合わせ資料の準備と見積書の作成").value();
    const std::string trip = Utf8ToCp932("年末進行の締切対応と設計書の最終確認期間").value();
    AddLines({SlotLine("20080303", "0900", "1200", 0, meeting),
              SlotLine("20080303", "1300", "1500", 2, visit),
              SlotLine("20080311", "1000", "1130", 0, meeting + meeting),
              SlotLine("20080305", "", "", 0, meeting), SlotLine("20080305", "", "", 2, visit),
              SlotLine("20080320", "", "", 1, visit), SlotLine("20080327", "", "", 0, visit),
              SlotLine("20080327", "", "", 2, meeting), SlotLine("20080327", "", "", 3, meeting)});
    AddPeriod("20080304", "20080306", trip);
    MonthContent content = m_model.ReadMonth(2008, 3);
    AddNationalHolidays(content);  // the 20th names 春分の日 in slot 3
    m_canvas.Clear();
    PaintMonth(m_canvas, m_layout, 2008, 3, kNow, &content);

    struct Case {
        int day;
        int texts;  // labels in the row
        int cut;    // of them cut
    };
    const Case cases[] = {{3, 2, 2}, {5, 3, 3}, {11, 1, 1}, {20, 2, 1}, {27, 3, 3}};
    const std::string ellipsis = Utf8ToCp932("…").value();
    const std::string whole[] = {"09:00-12:00" + meeting,
                                 "13:00-15:00" + visit,
                                 "10:00-11:30" + meeting + meeting,
                                 meeting,
                                 visit,
                                 trip};
    for (const Case& c : cases) {
        SCOPED_TRACE("day " + std::to_string(c.day));
        const Cell cell = CellOf(c.day);
        std::vector<const CanvasCall*> texts;
        for (const CanvasCall* call : RowCalls(cell)) {
            if (call->op == CanvasOp::kDrawText && call->state.font == kEntryFont) {
                texts.push_back(call);
            }
        }
        ASSERT_EQ(static_cast<int>(texts.size()), c.texts);
        int cut = 0;
        for (const CanvasCall* a : texts) {
            const int width = static_cast<int>(a->text.size()) * kEntryFont.height / 2;
            EXPECT_LE(width, a->rect.Width()) << a->text;
            EXPECT_LE(a->rect.right, cell.x0 + 350) << a->text;
            EXPECT_TRUE(Cp932ToUtf8(a->text).has_value()) << "a character split: " << a->text;
            if (a->text.ends_with(ellipsis)) {
                ++cut;
                const std::string start = a->text.substr(0, a->text.size() - ellipsis.size());
                bool ofALabel = false;
                for (const std::string& label : whole) {
                    ofALabel = ofALabel || label.starts_with(start);
                }
                EXPECT_TRUE(ofALabel) << a->text;
            }
            for (const CanvasCall* b : texts) {
                const bool sameLines = a->rect.top < b->rect.top + kEntryFont.height &&
                                       b->rect.top < a->rect.top + kEntryFont.height;
                if (a != b && sameLines && a->rect.left < b->rect.left) {
                    EXPECT_LE(a->rect.right, b->rect.left) << a->text << " runs into " << b->text;
                }
            }
        }
        EXPECT_EQ(cut, c.cut);
    }
}

TEST_F(MonthPainterTest, PeriodMarksAlongARunAndItsTextOnTheMiddleDay) {
    AddPeriod("20080315", "20080318", "Trip");
    Add(SlotLine("20080317", "", "", 0, "Entry"));
    Paint(2008, 3);
    const auto marks = m_canvas.Find(CanvasOp::kPolygon);
    ASSERT_EQ(marks.size(), 4u);
    struct Case {
        int day;
        int type;
    };
    const Case cases[] = {{15, 1}, {16, 0}, {17, 0}, {18, 2}};
    for (size_t i = 0; i < 4; ++i) {
        const Cell cell = CellOf(cases[i].day);
        EXPECT_EQ(marks[i]->points, PeriodMarkPoints(cell.x0 + 37, cell.y, 27, cases[i].type))
            << cases[i].day;
        EXPECT_EQ(marks[i]->points.front(), (fw::Point{cell.x0 + 37, cell.y}));
        EXPECT_EQ(marks[i]->state.pen, (fw::PenSpec{0, kBarGrey}));
        EXPECT_EQ(marks[i]->state.brush, (fw::BrushSpec{kBarGrey, false}));
    }
    const auto texts = m_canvas.FindTexts("Trip");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->rect, (Rect{68, 435, 370, 444}));  // the 16th, to its column's end
    EXPECT_EQ(texts[0]->flags, kLeftFlags);
    EXPECT_EQ(texts[0]->state.font, kEntryFont);
    EXPECT_EQ(texts[0]->state.textColor, kBlack);  // on a Sunday
    // The 17th shows no text but moves its entries right.
    EXPECT_EQ(m_canvas.FindText("Entry")->rect.left, 400 + 135);
}

// Paper shows the month as the screen shows a month to come, call for call: no grey for
// what is over, no tint for today, no cursor, whatever the month is to now.
TEST_F(MonthPainterTest, PaperShowsEveryMonthAsAMonthToCome) {
    AddPeriod("20080228", "20080303", "Trip");
    AddLines({SlotLine("20080210", "0930", "1000", 0, "Meeting"), MarkLine("20080211", "1"),
              MarkLine("20080310", "2"), SlotLine("20080310", "", "", 3, "Today"),
              SlotLine("20080415", "1300", "", 1, "Later")});
    const LocalDateTime longBefore{1000, 1, 1, 0, 0, 0};
    const auto same = [](const CanvasCall& a, const CanvasCall& b) {
        return a.op == b.op && a.rect == b.rect && a.points == b.points && a.text == b.text &&
               a.flags == b.flags && a.state == b.state;
    };
    // February is over, March holds today (kNow), April is to come.
    for (int month : {2, 3, 4}) {
        SCOPED_TRACE(month);
        MonthContent content = m_model.ReadMonth(2008, month);
        AddNationalHolidays(content);
        fw::RecordingCanvas paper;
        PaintMonthOnPaper(paper, m_layout, content);
        fw::RecordingCanvas screen;
        PaintMonth(screen, m_layout, 2008, month, longBefore, &content);
        ASSERT_EQ(paper.Calls().size(), screen.Calls().size());
        for (size_t i = 0; i < paper.Calls().size(); ++i) {
            EXPECT_TRUE(same(paper.Calls()[i], screen.Calls()[i])) << "call " << i;
        }
        // And what the screen shows at kNow differs in the months over or of today.
        PaintMonth(screen, m_layout, 2008, month, kNow, &content);
        const bool shaded = screen.Count(CanvasOp::kRectangle) > 0;
        EXPECT_EQ(shaded, month <= 3);
        EXPECT_EQ(paper.Count(CanvasOp::kRectangle), 0u);
        EXPECT_EQ(paper.Count(CanvasOp::kBlitToTarget), 1u);
    }
}

TEST_F(MonthPainterTest, ARunOverAMonthEndShowsItsTextInEachMonth) {
    AddPeriod("20080129", "20080202", "Trip");
    Paint(2008, 1, {2008, 1, 1, 0, 0, 0});
    ASSERT_EQ(m_canvas.FindTexts("Trip").size(), 1u);
    EXPECT_EQ(m_canvas.FindText("Trip")->rect.top, CellOf(30).y + 10);
    EXPECT_EQ(m_canvas.Count(CanvasOp::kPolygon), 3u);
    Paint(2008, 2, {2008, 1, 1, 0, 0, 0});
    ASSERT_EQ(m_canvas.FindTexts("Trip").size(), 1u);
    EXPECT_EQ(m_canvas.FindText("Trip")->rect.top, CellOf(1).y + 10);
    EXPECT_EQ(m_canvas.Count(CanvasOp::kPolygon), 2u);
}

TEST_F(MonthPainterTest, OneDayIsPaintedInLayers) {
    AddLines({MarkLine("20080305", "2"), caltest::PeriodLine("20080305", "Trip"),
              SlotLine("20080305", "", "", 0, "Entry")});
    Paint(2008, 3);
    const auto calls = RowCalls(CellOf(5));
    std::vector<CanvasOp> ops;
    for (const CanvasCall* call : calls) {
        ops.push_back(call->op);
    }
    // Shading, weekday, number, oval, bar, period text, entry.
    EXPECT_EQ(ops,
              (std::vector<CanvasOp>{CanvasOp::kRectangle, CanvasOp::kDrawText, CanvasOp::kDrawText,
                                     CanvasOp::kEllipse, CanvasOp::kPolygon, CanvasOp::kDrawText,
                                     CanvasOp::kDrawText}));
    EXPECT_EQ(calls[5]->text, "Trip");
    EXPECT_EQ(calls[6]->text, "Entry");
}

TEST_F(MonthPainterTest, WithoutATableNothingReachesTheWindow) {
    PaintMonth(m_canvas, m_layout, 2008, 3, kNow, nullptr);
    EXPECT_EQ(m_canvas.Count(CanvasOp::kBlitToTarget), 0u);
    EXPECT_EQ(m_canvas.Count(CanvasOp::kDrawText), 0u);
}

// A national holiday paints the number red like the holiday mark, and its name in the
// first free slot box of 3, 1, 2, 0 without covering an entry; with four entries only the
// number shows it. Predicted equinox days say so; without AddNationalHolidays (HOLIDAYS=0)
// nothing of it is painted.
TEST_F(MonthPainterTest, NationalHolidaysRedNumberAndNameInAFreeSlot) {
    struct Case {
        int year, month, day;
        std::vector<int> usedSlots;
        int nameSlot;  // -1: the name is not painted
        const char* name;
    };
    const Case cases[] = {
        {2008, 3, 20, {}, 3, "春分の日"},
        {2008, 3, 20, {3}, 1, "春分の日"},
        {2008, 3, 20, {1, 3}, 2, "春分の日"},
        {2008, 3, 20, {1, 2, 3}, 0, "春分の日"},
        {2008, 3, 20, {0, 1, 2, 3}, -1, "春分の日"},
        {2035, 3, 21, {}, 3, "春分の日（予測）"},
        {2008, 5, 6, {}, 3, "休日"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.day) + " with " + std::to_string(c.usedSlots.size()));
        m_model.Close(false);
        DbCloseTable(kScheduleTable, 0);
        m_table = DbOpenTable(kScheduleTable);
        ASSERT_TRUE(m_model.Open(m_dir.string() + "/"));
        const std::string date = ScheduleDate(c.year, c.month, c.day);
        for (int k : c.usedSlots) {
            Add(SlotLine(date, "", "", k, "E" + std::to_string(k)));
        }
        for (bool shown : {true, false}) {
            MonthContent content = m_model.ReadMonth(c.year, c.month);
            if (shown) {
                AddNationalHolidays(content);
            }
            m_canvas.Clear();
            PaintMonth(m_canvas, m_layout, c.year, c.month, kNow, &content);
            const Cell cell = CellOf(c.day);
            const CanvasCall* number = TextAt({cell.x0 + 1, cell.y + 1, cell.x0 + 28, cell.y + 28});
            ASSERT_NE(number, nullptr);
            const int weekday = DateWeekday(date);
            const Rgb plain = weekday == 0 ? kRed : weekday == 6 ? kBlue : kBlack;
            EXPECT_EQ(number->state.textColor, shown ? kRed : plain);
            const std::string name = Utf8ToCp932(c.name).value();
            const auto named = m_canvas.FindTexts(name);
            if (!shown || c.nameSlot < 0) {
                EXPECT_TRUE(named.empty());
                continue;
            }
            ASSERT_EQ(named.size(), 1u);
            // In its slot's place; its room is the cut labels' test's matter.
            const auto place = [](const Rect& box) { return std::pair{box.left, box.top}; };
            EXPECT_EQ(place(named[0]->rect),
                      place(m_layout.EntryBox(cell.x0, cell.y, c.nameSlot, false)));
            EXPECT_EQ(named[0]->state.textColor, kRed);
            for (int k : c.usedSlots) {
                EXPECT_EQ(place(m_canvas.FindText("E" + std::to_string(k))->rect),
                          place(m_layout.EntryBox(cell.x0, cell.y, k, false)));
            }
        }
    }
}

TEST(PeriodMarkTest, PolygonPointsOfEveryType) {
    // Axis 57, top 47, height 27: the mark of a left-column day in row 1.
    const int x = 57, y = 47, h = 27;
    const std::vector<fw::Point> expected[] = {
        {{x, y}, {x - 1, y}, {x - 1, y + h}, {x, y + h}, {x + 1, y + h}, {x + 1, y}},
        {{x, y},
         {x - 5, y + 9},
         {x - 1, y + 9},
         {x - 1, y + h},
         {x, y + h},
         {x + 1, y + h},
         {x + 1, y + 9},
         {x + 5, y + 9}},
        {{x, y},
         {x - 1, y},
         {x - 1, y + h - 9},
         {x - 5, y + h - 9},
         {x, y + h},
         {x + 5, y + h - 9},
         {x + 1, y + h - 9},
         {x + 1, y}},
        {{x, y},
         {x - 5, y + 9},
         {x - 1, y + 9},
         {x - 1, y + h - 9},
         {x - 5, y + h - 9},
         {x, y + h},
         {x + 5, y + h - 9},
         {x + 1, y + h - 9},
         {x + 1, y + 9},
         {x + 5, y + 9}},
    };
    for (int type = 0; type < 4; ++type) {
        EXPECT_EQ(PeriodMarkPoints(x, y, h, type), expected[type]) << "type " << type;
    }
    for (int type : {-1, 4, 99}) {
        EXPECT_EQ(PeriodMarkPoints(x, y, h, type), expected[0]) << "type " << type;
    }
}

}  // namespace
