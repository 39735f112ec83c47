#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "DialogPaint.h"
#include "DialogTestSupport.h"
#include "MessageBox.h"
#include "TimeYoteiDlg.h"

namespace {

using dlgtest::Sjis;
using dlgtest::Wx;

// Both button groups as (hours, minutes); a group that is not all of one state fails.
std::pair<bool, bool> ButtonGroups(const CTimeYoteiDlg& d) {
    auto group = [&](const auto& buttons) {
        const bool first = d.IsDlgItemEnabled(buttons[0].id);
        for (const TimePickButton& button : buttons) {
            EXPECT_EQ(d.IsDlgItemEnabled(button.id), first) << "button " << button.id;
        }
        return first;
    };
    return {group(kHourButtons), group(kMinuteButtons)};
}

wxString Shown(const CTimeYoteiDlg& d, int id) {
    return d.GetDlgItemAs<wxTextCtrl>(id)->GetValue();
}

using Sel = std::pair<long, long>;

// Whether the dialog paints the arrow under the start and under the end edit: a black
// pixel of its shaft, where the background shows through when it is not drawn.
std::pair<bool, bool> ArrowsShown(CTimeYoteiDlg& d) {
    const wxImage image = dlgtest::PaintedClient(d, *wxGREEN);
    auto shown = [&](fw::Point at) {
        return dlgtest::PixelAt(image, at.x + 17, at.y + 3) == *wxBLACK;
    };
    return {shown(dlg::kFromArrowAt), shown(dlg::kToArrowAt)};
}

class TimeEntryDlgTest : public dlgtest::GuiTest {};

TEST_F(TimeEntryDlgTest, OpensEmptyWithTheStartEditActiveAndEveryButtonEnabled) {
    CTimeYoteiDlg d;
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(d.GetFocusId(), IDC_EDIT_FROM_TIME);
    EXPECT_EQ(ArrowsShown(d), std::make_pair(true, false));
    EXPECT_EQ(ButtonGroups(d), std::make_pair(true, true));
    EXPECT_FALSE(d.IsDlgItemEnabled(IDOK));
    EXPECT_EQ(d.GetEditSel(IDC_EDIT_FROM_TIME), Sel(0, 0));
    EXPECT_EQ(d.m_cxFromArrow, 133);
    EXPECT_EQ(d.m_cyFromArrow, 24);
    EXPECT_EQ(d.m_cxToArrow, 50);
    EXPECT_EQ(d.m_cyToArrow, 24);
}

TEST_F(TimeEntryDlgTest, OpensForAChangeWithTheHourSelectedAndOnlyTheEndNormalized) {
    CTimeYoteiDlg d;
    d.m_strFrom = "9:5";
    d.m_strTo = "10:3";
    d.m_strText = Sjis("会議");
    ASSERT_TRUE(d.Create());
    EXPECT_TRUE(d.IsDlgItemEnabled(IDOK));
    EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "9:5");
    EXPECT_EQ(Shown(d, IDC_EDIT_TO_TIME), "10:03");
    EXPECT_EQ(d.GetEditSel(IDC_EDIT_FROM_TIME), Sel(0, 2));
}

// The focus table, row by row, on one dialog opened with start 9:5, end 10:3, as the user
// sees it: texts, arrows, buttons and selection. The table's flags themselves are checked
// on the toolkit-free logic (EnterEditTest.FollowsTheFocusTable).
TEST_F(TimeEntryDlgTest, FollowsTheFocusTable) {
    struct Row {
        const char* event;
        int edit;
        int flag;
        const char *from, *to;  // what the edits show afterwards
        std::pair<bool, bool> arrows;
        std::pair<bool, bool> buttons;
        std::optional<Sel> selection;  // only where the handler sets one
    };
    // clang-format off
    const Row rows[] = {
        {"end edit, flag 0", IDC_EDIT_TO_TIME, 0, "09:05", "10:03", {false, true},
         {true, false}, Sel(0, 2)},
        {"start edit, flag 0", IDC_EDIT_FROM_TIME, 0, "09:05", "10:03", {true, false},
         {true, false}, Sel(0, 2)},
        {"entry text, flag 0", IDC_EDIT_YOTEI_TEXT, 0, "09:05", "10:03", {false, false},
         {false, false}, std::nullopt},
        {"end edit, flag 1: buttons unchanged", IDC_EDIT_TO_TIME, 1, "09:05", "10:03",
         {false, true}, {false, false}, std::nullopt},
        {"entry text, flag 1", IDC_EDIT_YOTEI_TEXT, 1, "09:05", "10:03", {false, false},
         {false, false}, std::nullopt},
        {"start edit, flag 1: buttons unchanged", IDC_EDIT_FROM_TIME, 1, "09:05", "10:03",
         {true, false}, {false, false}, std::nullopt},
    };
    // clang-format on
    CTimeYoteiDlg d;
    d.m_strFrom = "9:5";
    d.m_strTo = "10:3";
    d.m_strText = "x";
    ASSERT_TRUE(d.Create());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.event);
        d.m_bFocusByCode = row.flag;
        drive::UserFocus(d, row.edit);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), row.from);
        EXPECT_EQ(Shown(d, IDC_EDIT_TO_TIME), row.to);
        EXPECT_EQ(ArrowsShown(d), row.arrows);
        EXPECT_EQ(ButtonGroups(d), row.buttons);
        if (row.selection) {
            EXPECT_EQ(d.GetEditSel(row.edit), *row.selection);
        }
    }
}

// A time the user leaves is shown as HH:MM when it reads as a time; a text that does not
// stays as typed, without a message, and the focus goes where the user moved it: OK
// refuses it.
TEST_F(TimeEntryDlgTest, LeavingATimeEditNormalizesItButNotTheEditEntered) {
    CTimeYoteiDlg d;
    ASSERT_TRUE(d.Create());
    fw::ScopedMessageBoxCapture boxes;
    drive::Typing(d, IDC_EDIT_FROM_TIME, "9");
    drive::Typing(d, IDC_EDIT_TO_TIME, "1730");
    drive::UserFocus(d, IDC_EDIT_TO_TIME);
    EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "09:00");
    EXPECT_EQ(Shown(d, IDC_EDIT_TO_TIME), "1730");
    drive::UserFocus(d, IDC_EDIT_YOTEI_TEXT);
    EXPECT_EQ(Shown(d, IDC_EDIT_TO_TIME), "17:30");
    drive::Typing(d, IDC_EDIT_FROM_TIME, "25:00");
    drive::UserFocus(d, IDC_EDIT_TO_TIME);
    EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "25:00");
    EXPECT_EQ(d.GetFocusId(), IDC_EDIT_TO_TIME);
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(TimeEntryDlgTest, OkIsEnabledExactlyWhileTheEntryTextIsNotEmpty) {
    CTimeYoteiDlg d;
    d.m_strText = "x";
    ASSERT_TRUE(d.Create());
    const std::pair<const char*, bool> steps[] = {
        {"", false}, {"a", true}, {" ", true}, {"", false}};
    for (const auto& [text, enabled] : steps) {
        drive::Typing(d, IDC_EDIT_YOTEI_TEXT, Wx(text));
        EXPECT_EQ(d.IsDlgItemEnabled(IDOK), enabled) << "\"" << text << "\"";
    }
}

// OK pressed while a time is still being typed: a time typed as users write one goes
// back as HH:MM, a text already of that form byte for byte, an empty time stays empty.
TEST_F(TimeEntryDlgTest, ATimeConfirmedAtOnceComesBackAsHhMm) {
    struct Case {
        int edit;
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {IDC_EDIT_TO_TIME, "17:30", "17:30"},  {IDC_EDIT_TO_TIME, "1730", "17:30"},
        {IDC_EDIT_FROM_TIME, "0930", "09:30"}, {IDC_EDIT_FROM_TIME, "930", "09:30"},
        {IDC_EDIT_FROM_TIME, "9", "09:00"},    {IDC_EDIT_FROM_TIME, "9:5", "09:05"},
        {IDC_EDIT_TO_TIME, " 9:30 ", "09:30"}, {IDC_EDIT_TO_TIME, "24:00", "24:00"},
        {IDC_EDIT_TO_TIME, "24", "24:00"},     {IDC_EDIT_FROM_TIME, "00:00", "00:00"},
        {IDC_EDIT_FROM_TIME, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CTimeYoteiDlg d;
        d.m_strText = "x";
        int result = 0;
        wxTEST_DIALOG(result = d.DoModal(), dlgtest::ExpectTimeEntry([&](CTimeYoteiDlg& t) {
                          drive::Typing(t, c.edit, c.typed);
                          drive::Click(t, IDOK);
                          return drive::Result(t);
                      }));
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(c.edit == IDC_EDIT_FROM_TIME ? d.m_strFrom : d.m_strTo, c.stored);
        EXPECT_EQ(c.edit == IDC_EDIT_FROM_TIME ? d.m_strTo : d.m_strFrom, "");
        EXPECT_EQ(d.m_strText, "x");
    }
}

// OK with a text that is not a time of day, a start of 24:00 or an end before the start
// keeps the dialog open: a message says what to type, the focus is on the time to mend
// with its text selected, and nothing is handed back until it is mended.
TEST_F(TimeEntryDlgTest, TimesThatAreNoTimeOfDayAreRefusedAtOk) {
    struct Case {
        const char *from, *to;
        const char* message;  // the whole message, UTF-8
        int focus;
    };
    const char* const kStartForms =
        "開始時刻は「9:30」「0930」「930」「9」のように入力してください。\n（00:00～23:59）";
    const char* const kEndForms =
        "終了時刻は「9:30」「0930」「930」「9」のように入力してください。\n（00:00～24:00）";
    const Case cases[] = {
        {"25:00", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"24:30", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"abc", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"-1:05", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"9.30", "", kStartForms, IDC_EDIT_FROM_TIME},
        {":45", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"9:60", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"12345", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"０９３０", "", kStartForms, IDC_EDIT_FROM_TIME},
        {"09:00", "25:00", kEndForms, IDC_EDIT_TO_TIME},
        {"", "24:01", kEndForms, IDC_EDIT_TO_TIME},
        {"24:00", "", "24:00は終了時刻にだけ使えます。\n開始時刻は00:00～23:59で入力してください。",
         IDC_EDIT_FROM_TIME},
        {"10:00", "09:30", "終了時刻が開始時刻より前です。", IDC_EDIT_TO_TIME},
        {"1730", "930", "終了時刻が開始時刻より前です。", IDC_EDIT_TO_TIME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " / " + c.to);
        CTimeYoteiDlg d;
        d.m_strText = "x";
        ASSERT_TRUE(d.Create());
        fw::ScopedMessageBoxCapture boxes;
        drive::Typing(d, IDC_EDIT_FROM_TIME, Wx(c.from));
        drive::Typing(d, IDC_EDIT_TO_TIME, Wx(c.to));
        drive::UserFocus(d, IDC_EDIT_YOTEI_TEXT);
        drive::Click(d, IDOK);
        EXPECT_EQ(drive::Result(d), -1);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, Wx(c.message));
        EXPECT_EQ(boxes.Requests()[0].style & fw::MB_ICONMASK, unsigned(fw::MB_ICONEXCLAMATION));
        EXPECT_EQ(d.GetFocusId(), c.focus);
        EXPECT_EQ(d.GetEditSel(c.focus), Sel(0, long(Shown(d, c.focus).length())));
        EXPECT_EQ(ArrowsShown(d),
                  std::make_pair(c.focus == IDC_EDIT_FROM_TIME, c.focus == IDC_EDIT_TO_TIME));
        EXPECT_EQ(ButtonGroups(d), std::make_pair(true, false));

        // Mended with a quick pick, OK hands the entry back.
        drive::Click(d, IDC_HOUR_23);
        drive::Click(d, IDC_MINUTE_30);
        drive::Click(d, IDOK);
        EXPECT_EQ(drive::Result(d), IDOK);
        EXPECT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(c.focus == IDC_EDIT_FROM_TIME ? d.m_strFrom : d.m_strTo, "23:30");
    }
}

// The members may hold partly refreshed texts afterwards; the caller ignores them.
TEST_F(TimeEntryDlgTest, CancelEscapeAndCloseEndWithTwo) {
    const std::pair<const char*, std::function<void(CTimeYoteiDlg&)>> ways[] = {
        {"cancel", [](CTimeYoteiDlg& t) { drive::Click(t, IDCANCEL); }},
        {"escape", [](CTimeYoteiDlg& t) { drive::Key(t, WXK_ESCAPE); }},
        {"close box", [](CTimeYoteiDlg& t) { drive::Close(t); }},
    };
    for (const auto& [name, end] : ways) {
        SCOPED_TRACE(name);
        CTimeYoteiDlg d;
        d.m_strText = "x";
        int result = 0;
        wxTEST_DIALOG(result = d.DoModal(), dlgtest::ExpectTimeEntry([&](CTimeYoteiDlg& t) {
                          drive::Typing(t, IDC_EDIT_YOTEI_TEXT, "changed");
                          drive::Typing(t, IDC_EDIT_FROM_TIME, "12:00");
                          end(t);
                          return drive::Result(t);
                      }));
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST_F(TimeEntryDlgTest, FourClicksSetStartAndEndAndRestInTheText) {
    struct Click {
        int id;
        const char *from, *to;
        std::pair<bool, bool> buttons;
        int focusId;
        std::optional<Sel> selection;  // in the focused edit; nullopt: nothing selected
    };
    const Click clicks[] = {
        {IDC_HOUR_9, "09:00", "", {false, true}, IDC_EDIT_FROM_TIME, Sel(3, 5)},
        {IDC_MINUTE_30, "09:30", "", {true, false}, IDC_EDIT_TO_TIME, std::nullopt},
        {IDC_HOUR_10, "09:30", "10:00", {false, true}, IDC_EDIT_TO_TIME, Sel(3, 5)},
        {IDC_MINUTE_00, "09:30", "10:00", {false, false}, IDC_EDIT_YOTEI_TEXT, Sel(0, 3)},
    };
    CTimeYoteiDlg d;
    d.m_strText = Sjis("打合せ");
    ASSERT_TRUE(d.Create());
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.id);
        drive::Click(d, c.id);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), c.from);
        EXPECT_EQ(Shown(d, IDC_EDIT_TO_TIME), c.to);
        EXPECT_EQ(ButtonGroups(d), c.buttons);
        EXPECT_EQ(d.GetFocusId(), c.focusId);
        if (c.selection) {
            EXPECT_EQ(d.GetEditSel(c.focusId), *c.selection);
        } else {
            const Sel sel = d.GetEditSel(c.focusId);
            EXPECT_EQ(sel.first, sel.second);
        }
    }
    EXPECT_EQ(ArrowsShown(d), std::make_pair(false, false));
    drive::Click(d, IDOK);
    EXPECT_EQ(drive::Result(d), IDOK);
    EXPECT_EQ(d.m_strFrom, "09:30");
    EXPECT_EQ(d.m_strTo, "10:00");
    EXPECT_EQ(d.m_strText, Sjis("打合せ"));
}

// The number a quick-pick button shows, in full-width digits ("２３" -> 23).
int LabelNumber(const CTimeYoteiDlg& d, int id) {
    int number = 0;
    for (const wxUniChar c : d.GetDlgItem(id)->GetLabel()) {
        number = number * 10 + int(c.GetValue() - 0xFF10);
    }
    return number;
}

// Each button puts the number on its face into the start time of a new entry.
TEST_F(TimeEntryDlgTest, EveryQuickPickButtonPutsTheNumberItShows) {
    struct Group {
        const TimePickButton* begin;
        const TimePickButton* end;
        const char* format;
    };
    const Group groups[] = {{std::begin(kHourButtons), std::end(kHourButtons), "%02d:00"},
                            {std::begin(kMinuteButtons), std::end(kMinuteButtons), "00:%02d"}};
    for (const Group& group : groups) {
        for (const TimePickButton* button = group.begin; button != group.end; ++button) {
            CTimeYoteiDlg d;
            ASSERT_TRUE(d.Create());
            const int shown = LabelNumber(d, button->id);
            drive::Click(d, button->id);
            EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), wxString::Format(group.format, shown))
                << "button " << button->id;
        }
    }
}

TEST_F(TimeEntryDlgTest, PickEdgeCases) {
    {
        SCOPED_TRACE("a minute first after opening");
        CTimeYoteiDlg d;
        ASSERT_TRUE(d.Create());
        drive::Click(d, IDC_MINUTE_30);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "00:30");
        EXPECT_EQ(d.GetFocusId(), IDC_EDIT_TO_TIME);
        EXPECT_TRUE(ArrowsShown(d).second);
    }
    {
        SCOPED_TRACE("a minute on the start selects the hour of a full end time");
        CTimeYoteiDlg d;
        d.m_strTo = "10:30";
        ASSERT_TRUE(d.Create());
        drive::Click(d, IDC_MINUTE_45);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "00:45");
        EXPECT_EQ(d.GetEditSel(IDC_EDIT_TO_TIME), Sel(0, 2));
    }
    {
        SCOPED_TRACE("a minute on 930 keeps its hour 9");
        CTimeYoteiDlg d;
        d.m_strFrom = "930";
        ASSERT_TRUE(d.Create());
        drive::Click(d, IDC_MINUTE_45);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "09:45");
    }
    {
        SCOPED_TRACE("an hour keeps a minute out of range until the focus leaves");
        CTimeYoteiDlg d;
        d.m_strFrom = "9:75";
        ASSERT_TRUE(d.Create());
        drive::Click(d, IDC_HOUR_14);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "14:75");
        // The hour buttons stay disabled until a minute is picked or the user moves.
        EXPECT_EQ(ButtonGroups(d), std::make_pair(false, true));
        drive::UserFocus(d, IDC_EDIT_TO_TIME);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "14:75");  // left for OK to refuse
        EXPECT_EQ(ButtonGroups(d), std::make_pair(true, false));
    }
    {
        SCOPED_TRACE("no target: the text edit was the last focused");
        CTimeYoteiDlg d;
        d.m_strFrom = "9:5";
        ASSERT_TRUE(d.Create());
        drive::UserFocus(d, IDC_EDIT_YOTEI_TEXT);
        d.PickHour(14);
        d.PickMinute(45);
        EXPECT_EQ(Shown(d, IDC_EDIT_FROM_TIME), "09:05");
        EXPECT_EQ(d.GetFocusId(), IDC_EDIT_YOTEI_TEXT);
    }
}

// The arrows are drawn with the grey 192 of the bitmaps left out.
TEST_F(TimeEntryDlgTest, ArrowUnderTheActiveTimeEditIsDrawnTransparently) {
    const wxColour green(0, 200, 0);
    auto check = [&](const wxImage& image, fw::Point at, bool shown) {
        SCOPED_TRACE(at.x);
        const wxColour black(0, 0, 0), white(255, 255, 255), grey(128, 128, 128);
        EXPECT_EQ(dlgtest::PixelAt(image, at.x + 17, at.y + 3), shown ? black : green);
        EXPECT_EQ(dlgtest::PixelAt(image, at.x + 17, at.y + 2), shown ? white : green);
        EXPECT_EQ(dlgtest::PixelAt(image, at.x + 17, at.y + 4), shown ? grey : green);
        EXPECT_EQ(dlgtest::PixelAt(image, at.x + 0, at.y + 0), green);    // transparent
        EXPECT_EQ(dlgtest::PixelAt(image, at.x + 30, at.y + 10), green);  // transparent
    };
    CTimeYoteiDlg d;
    ASSERT_TRUE(d.Create());
    wxImage image = dlgtest::PaintedClient(d, green);
    check(image, {36, 57}, true);
    check(image, {119, 57}, false);

    drive::UserFocus(d, IDC_EDIT_TO_TIME);
    image = dlgtest::PaintedClient(d, green);
    check(image, {36, 57}, false);
    check(image, {119, 57}, true);

    drive::UserFocus(d, IDC_EDIT_YOTEI_TEXT);
    image = dlgtest::PaintedClient(d, green);
    check(image, {36, 57}, false);
    check(image, {119, 57}, false);
}

TEST_F(TimeEntryDlgTest, TextsTheTableCannotHoldAreRefusedWhereTyped) {
    struct Case {
        int id;
        const char* typed;
        const char* inMessage;
    };
    const Case cases[] = {
        {IDC_EDIT_YOTEI_TEXT, "say \"hi\"", "＂"}, {IDC_EDIT_YOTEI_TEXT, "Café", "é"},
        {IDC_EDIT_YOTEI_TEXT, "a\nb", "改行"},     {IDC_EDIT_FROM_TIME, "9\"30", "＂"},
        {IDC_EDIT_TO_TIME, "１０時😀", "😀"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CTimeYoteiDlg d;
        d.m_strFrom = "09:00";
        d.m_strTo = "10:00";
        d.m_strText = Sjis("会議");
        ASSERT_TRUE(d.Create());
        const wxString before = Shown(d, c.id);
        fw::ScopedMessageBoxCapture boxes;
        drive::UserFocus(d, c.id);
        drive::Typing(d, c.id, Wx(c.typed));
        // Said in a balloon under the field; no message box takes the keys typed next.
        EXPECT_TRUE(boxes.Requests().empty());
        EXPECT_NE(d.NoteText().find(Wx(c.inMessage)), wxString::npos) << d.NoteText();
        EXPECT_EQ(d.GetFocusId(), c.id);
        EXPECT_EQ(Shown(d, c.id), before);
        drive::Click(d, IDOK);
        EXPECT_EQ(drive::Result(d), IDOK);
        EXPECT_EQ(d.m_strText, Sjis("会議"));
        EXPECT_EQ(d.m_strFrom, "09:00");
        EXPECT_EQ(d.m_strTo, "10:00");
    }
}

TEST_F(TimeEntryDlgTest, UntouchedTextsGoBackAsTheirBytes) {
    CTimeYoteiDlg d;
    d.m_strText = "\x95\x5c\x8e\xa6 \x82\x80";  // "表示" and bytes that are no character
    d.m_strFrom = "09:05";
    d.m_strTo = "24:00";
    ASSERT_TRUE(d.Create());
    drive::UserFocus(d, IDC_EDIT_TO_TIME);
    drive::UserFocus(d, IDC_EDIT_YOTEI_TEXT);
    drive::Click(d, IDOK);
    EXPECT_EQ(drive::Result(d), IDOK);
    EXPECT_EQ(d.m_strText, "\x95\x5c\x8e\xa6 \x82\x80");
    EXPECT_EQ(d.m_strFrom, "09:05");
    EXPECT_EQ(d.m_strTo, "24:00");
}

// A stored time that is no time of day (a lead byte without its second byte here) is not
// handed back as it is: OK refuses it like a typed one.
TEST_F(TimeEntryDlgTest, AStoredTimeThatIsNoTimeIsRefusedAtOk) {
    CTimeYoteiDlg d;
    d.m_strText = "x";
    d.m_strFrom =
        "\x82"
        "0:00";
    ASSERT_TRUE(d.Create());
    fw::ScopedMessageBoxCapture boxes;
    drive::Click(d, IDOK);
    EXPECT_EQ(drive::Result(d), -1);
    EXPECT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(d.GetFocusId(), IDC_EDIT_FROM_TIME);
}

}  // namespace

namespace {

// Tab moves through the three edits, OK and Cancel, and an edit it enters has its whole
// text selected, to be typed over (the start time too, though a click there selects the
// hour for the quick picks).
TEST_F(TimeEntryDlgTest, TabSelectsTheWholeTextOfTheEditItEnters) {
    CTimeYoteiDlg d;
    d.m_strFrom = "09:00";
    d.m_strTo = "10:30";
    d.m_strText = Sjis("定例会議");
    ASSERT_TRUE(d.Create());
    ASSERT_EQ(d.GetFocusId(), IDC_EDIT_FROM_TIME);
    const std::pair<int, Sel> steps[] = {
        {IDC_EDIT_TO_TIME, {0, 5}}, {IDC_EDIT_YOTEI_TEXT, {0, 4}}, {IDOK, {0, 0}},
        {IDCANCEL, {0, 0}},         {IDC_EDIT_FROM_TIME, {0, 5}},
    };
    dlgtest::RealKeys keys(d);
    for (const auto& [id, selection] : steps) {
        keys.Press(WXK_TAB);
        ASSERT_TRUE(guitest::YieldUntil([&] { return d.GetFocusId() == id; }, 10))
            << "expected " << id << ", focus on " << d.GetFocusId();
        if (id != IDOK && id != IDCANCEL) {
            EXPECT_EQ(d.GetEditSel(id), selection) << id;
        }
    }
    EXPECT_EQ(drive::Result(d), -1);
}

}  // namespace
