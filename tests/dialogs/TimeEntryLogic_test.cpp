#include "TimeEntryLogic.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using dlg::ButtonGroups;
using dlg::EditSelection;

constexpr ButtonGroups kHoursOnly{true, false};
constexpr ButtonGroups kMinutesOnly{false, true};
constexpr ButtonGroups kNone{false, false};

// One row of the focus table of the time entry dialog.
struct FocusRow {
    const char* event;
    int edit;
    bool flag;
    std::string expectFrom, expectTo;  // from the inputs "9:5" and "10:3"
    bool fromArrow, toArrow;
    std::optional<ButtonGroups> buttons;
    std::optional<EditSelection> selection;
    bool flagAfter;
};

TEST(EnterEditTest, FollowsTheFocusTable) {
    const FocusRow rows[] = {
        {"start edit, flag clear", 1, false, "9:5", "10:03", true, false, kHoursOnly,
         EditSelection{0, 2}, false},
        {"start edit, flag set (also the opening)", 1, true, "9:5", "10:03", true, false,
         std::nullopt, std::nullopt, false},
        {"end edit, flag clear", 2, false, "09:05", "10:3", false, true, kHoursOnly,
         EditSelection{0, 2}, false},
        {"end edit, flag set", 2, true, "09:05", "10:3", false, true, std::nullopt, std::nullopt,
         false},
        {"entry text, flag clear", 3, false, "09:05", "10:03", false, false, kNone, std::nullopt,
         false},
        {"entry text, flag set: left as it is", 3, true, "09:05", "10:03", false, false, kNone,
         std::nullopt, true},
    };
    for (const FocusRow& row : rows) {
        SCOPED_TRACE(row.event);
        const dlg::FocusStep step = dlg::EnterEdit(row.edit, "9:5", "10:3", row.flag);
        EXPECT_EQ(step.strFrom, row.expectFrom);
        EXPECT_EQ(step.strTo, row.expectTo);
        EXPECT_EQ(step.bShowFromArrow, row.fromArrow);
        EXPECT_EQ(step.bShowToArrow, row.toArrow);
        EXPECT_EQ(step.buttons, row.buttons);
        EXPECT_EQ(step.nFocusEdit, row.edit);
        EXPECT_EQ(step.selection, row.selection);
        EXPECT_EQ(step.bFocusByCode, row.flagAfter);
    }
}

TEST(EnterEditTest, EmptyTimesStayEmpty) {
    const dlg::FocusStep step = dlg::EnterEdit(dlg::kEditText, "", "", false);
    EXPECT_EQ(step.strFrom, "");
    EXPECT_EQ(step.strTo, "");
}

TEST(PickTest, NoTargetChangesNothing) {
    for (int focus : {dlg::kEditNone, dlg::kEditText}) {
        for (const dlg::PickStep& step :
             {dlg::PickHour(focus, "9:5", "x", 14), dlg::PickMinute(focus, "9:5", "x", 45)}) {
            EXPECT_EQ(step.nTarget, dlg::kEditNone);
            EXPECT_EQ(step.strFrom, "9:5");
            EXPECT_EQ(step.strTo, "x");
            EXPECT_EQ(step.nFocusTo, dlg::kEditNone);
        }
    }
}

TEST(PickTest, HourWritesTheTargetAndReturnsToItWithTheMinuteSelected) {
    for (int focus : {dlg::kEditFrom, dlg::kEditTo}) {
        const dlg::PickStep step = dlg::PickHour(focus, "09:30", "9:75", 14);
        EXPECT_EQ(step.nTarget, focus);
        EXPECT_EQ(step.strFrom, focus == dlg::kEditFrom ? "14:30" : "09:30");
        EXPECT_EQ(step.strTo, focus == dlg::kEditTo ? "14:75" : "9:75");
        EXPECT_EQ(step.buttons, kMinutesOnly);
        EXPECT_EQ(step.nFocusTo, focus);
        EXPECT_TRUE(step.bSetFocusByCode);
        EXPECT_EQ(step.selection, (EditSelection{3, 5}));
    }
}

TEST(PickTest, MinuteOnTheStartMovesToTheEndAndSelectsAFiveByteHour) {
    struct Case {
        std::string to;
        std::optional<EditSelection> selection;
    };
    const Case cases[] = {{"10:30", EditSelection{0, 2}},
                          {"", std::nullopt},
                          {"9:5", std::nullopt},
                          {"abcde", EditSelection{0, 2}}};
    for (const Case& c : cases) {
        const dlg::PickStep step = dlg::PickMinute(dlg::kEditFrom, "14:30", c.to, 45);
        EXPECT_EQ(step.strFrom, "14:45");
        EXPECT_EQ(step.strTo, c.to);
        EXPECT_EQ(step.buttons, kHoursOnly);
        EXPECT_EQ(step.nFocusTo, dlg::kEditTo);
        EXPECT_TRUE(step.bSetFocusByCode);
        EXPECT_EQ(step.selection, c.selection) << "end \"" << c.to << "\"";
    }
}

TEST(PickTest, MinuteOnTheEndMovesToTheTextWithoutTheFlag) {
    const dlg::PickStep step = dlg::PickMinute(dlg::kEditTo, "09:30", "930", 45);
    EXPECT_EQ(step.strTo, "09:45");
    EXPECT_EQ(step.nFocusTo, dlg::kEditText);
    EXPECT_FALSE(step.bSetFocusByCode);
    EXPECT_EQ(step.selection, (EditSelection{0, -1}));
}

// What OK does with the two times: HH:MM or empty back, or the refusal with the edit to
// mend and what to type.
TEST(CheckTimesTest, AcceptsTimesOfDayInOrderOnly) {
    using P = dlg::TimesProblem;
    struct Case {
        const char *from, *to;
        P problem;
        const char *backFrom, *backTo;  // when accepted
    };
    const Case cases[] = {
        {"", "", P::kNone, "", ""},
        {"0930", "1730", P::kNone, "09:30", "17:30"},
        {"930", "", P::kNone, "09:30", ""},
        {"", "9", P::kNone, "", "09:00"},
        {"09:30", "09:30", P::kNone, "09:30", "09:30"},  // an end at the start is fine
        {"23:59", "24:00", P::kNone, "23:59", "24:00"},
        {"00:00", "24", P::kNone, "00:00", "24:00"},
        {"25:00", "", P::kStartNotATime, "", ""},
        {"abc", "24:00", P::kStartNotATime, "", ""},
        {"-1:05", "x", P::kStartNotATime, "", ""},  // the start is named first
        {"09:00", "24:30", P::kEndNotATime, "", ""},
        {"", "9.30", P::kEndNotATime, "", ""},
        {"24:00", "", P::kStartAtEndOfDay, "", ""},
        {"2400", "24:00", P::kStartAtEndOfDay, "", ""},
        {"10:00", "09:59", P::kEndBeforeStart, "", ""},
        {"1730", "930", P::kEndBeforeStart, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " / " + c.to);
        const dlg::TimesVerdict verdict = dlg::CheckTimes(c.from, c.to);
        EXPECT_EQ(verdict.problem, c.problem);
        if (c.problem == P::kNone) {
            EXPECT_EQ(verdict.strFrom, c.backFrom);
            EXPECT_EQ(verdict.strTo, c.backTo);
            EXPECT_EQ(verdict.message, "");
        } else {
            const bool start = c.problem == P::kStartNotATime || c.problem == P::kStartAtEndOfDay;
            EXPECT_EQ(verdict.nEdit, start ? dlg::kEditFrom : dlg::kEditTo);
            EXPECT_NE(verdict.message, "");
        }
    }
}

}  // namespace
