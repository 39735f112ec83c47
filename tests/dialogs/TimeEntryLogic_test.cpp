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
    EXPECT_EQ(step.strTo, "930:45");
    EXPECT_EQ(step.nFocusTo, dlg::kEditText);
    EXPECT_FALSE(step.bSetFocusByCode);
    EXPECT_EQ(step.selection, (EditSelection{0, -1}));
}

// The dialog's state as the pick actions and the focus handlers leave it: each pick's
// focus move runs the focus handler of the edit it moves to, as the dialog does.
struct DialogModel {
    std::string from, to;
    int focusEdit = dlg::kEditNone;
    bool byCode = false;
    ButtonGroups buttons{true, true};
    bool fromArrow = false, toArrow = false;
    std::optional<EditSelection> selection;

    void Enter(int edit) {
        const dlg::FocusStep f = dlg::EnterEdit(edit, from, to, byCode);
        from = f.strFrom;
        to = f.strTo;
        fromArrow = f.bShowFromArrow;
        toArrow = f.bShowToArrow;
        if (f.buttons) {
            buttons = *f.buttons;
        }
        focusEdit = f.nFocusEdit;
        byCode = f.bFocusByCode;
        selection = f.selection;
    }
    void Open() {
        byCode = true;
        Enter(dlg::kEditFrom);
        selection = dlg::kOpeningSelection;
    }
    void Apply(const dlg::PickStep& p) {
        if (p.nTarget == dlg::kEditNone) {
            return;
        }
        from = p.strFrom;
        to = p.strTo;
        buttons = p.buttons;
        byCode = byCode || p.bSetFocusByCode;
        Enter(p.nFocusTo);
        selection = p.selection;
    }
};

TEST(PickTest, FourClicksFillStartAndEndThenRestInTheText) {
    DialogModel d;
    d.Open();
    EXPECT_EQ(d.buttons, (ButtonGroups{true, true}));
    EXPECT_TRUE(d.fromArrow);

    struct Click {
        const char* caption;
        bool hour;
        int value;
        std::string from, to;
        ButtonGroups buttons;
        int focus;
        std::optional<EditSelection> selection;
    };
    const Click clicks[] = {
        {"9", true, 9, "09:00", "", kMinutesOnly, dlg::kEditFrom, EditSelection{3, 5}},
        {"30", false, 30, "09:30", "", kHoursOnly, dlg::kEditTo, std::nullopt},
        {"10", true, 10, "09:30", "10:00", kMinutesOnly, dlg::kEditTo, EditSelection{3, 5}},
        {"00", false, 0, "09:30", "10:00", kNone, dlg::kEditText, EditSelection{0, -1}},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.caption);
        d.Apply(c.hour ? dlg::PickHour(d.focusEdit, d.from, d.to, c.value)
                       : dlg::PickMinute(d.focusEdit, d.from, d.to, c.value));
        EXPECT_EQ(d.from, c.from);
        EXPECT_EQ(d.to, c.to);
        EXPECT_EQ(d.buttons, c.buttons);
        EXPECT_EQ(d.focusEdit, c.focus);
        EXPECT_EQ(d.selection, c.selection);
        EXPECT_FALSE(d.byCode);
    }
    EXPECT_FALSE(d.fromArrow);
    EXPECT_FALSE(d.toArrow);
}

TEST(PickTest, MinuteFirstAfterOpeningAndItsNormalizingFocusMove) {
    DialogModel d;
    d.Open();
    d.Apply(dlg::PickMinute(d.focusEdit, d.from, d.to, 30));
    EXPECT_EQ(d.from, "00:30");
    EXPECT_EQ(d.focusEdit, dlg::kEditTo);
    EXPECT_TRUE(d.toArrow);

    // 930 picked to 930:45 is normalized by the focus move into the end edit.
    DialogModel e;
    e.from = "930";
    e.Open();
    e.Apply(dlg::PickMinute(e.focusEdit, e.from, e.to, 45));
    EXPECT_EQ(e.from, "24:45");
}

TEST(PickTest, HourPickKeepsAnOutOfRangeMinuteUntilTheFocusLeaves) {
    DialogModel d;
    d.from = "9:75";
    d.Open();
    d.Apply(dlg::PickHour(d.focusEdit, d.from, d.to, 14));
    EXPECT_EQ(d.from, "14:75");
    d.Enter(dlg::kEditTo);  // the user moves on
    EXPECT_EQ(d.from, "14:59");
    EXPECT_EQ(d.buttons, kHoursOnly);
}

}  // namespace
