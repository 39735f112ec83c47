#include "DialogPaint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Cp932.h"
#include "DialogUnits.h"
#include "RecordingCanvas.h"
#include "Resources.h"

namespace {

std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

struct TextAt {
    const char* text;  // UTF-8
    fw::Point at;
    fw::FontSpec font;
    fw::Rgb color;
};

void ExpectTexts(const fw::RecordingCanvas& canvas, const std::vector<TextAt>& texts) {
    EXPECT_EQ(canvas.Count(fw::CanvasOp::kTextOut), texts.size());
    for (const TextAt& t : texts) {
        SCOPED_TRACE(t.text);
        const fw::CanvasCall* call = canvas.FindText(Sjis(t.text));
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(call->op, fw::CanvasOp::kTextOut);
        EXPECT_EQ((fw::Point{call->rect.left, call->rect.top}), t.at);
        EXPECT_EQ(call->state.font, t.font);
        EXPECT_EQ(call->state.textColor, t.color);
        EXPECT_TRUE(call->state.bkTransparent);
    }
}

TEST(DialogPaintTest, TimeEntryHeadingsAndUnits) {
    fw::RecordingCanvas canvas;
    dlg::PaintTimeYoteiTexts(canvas, dlg::TimeHeadingFont(), dlg::TimeUnitFont());
    const fw::FontSpec heading{"ＭＳ Ｐゴシック", 14, 700};
    const fw::FontSpec unit{"ＭＳ Ｐゴシック", 24, 700};
    ExpectTexts(canvas, {{"予定時間", {13, 11}, heading, {0, 0, 0}},
                         {"予定内容", {13, 180}, heading, {0, 0, 0}},
                         {"時", {295, 55}, unit, {0, 0, 0}},
                         {"分", {405, 55}, unit, {0, 0, 0}}});
}

TEST(DialogPaintTest, DayTitleInItsColourAndBlackLabels) {
    const fw::FontSpec title{"ＭＳ ゴシック", 22, 700};
    const fw::FontSpec label{"ＭＳ Ｐゴシック", 14, 700};
    fw::RecordingCanvas canvas;
    dlg::PaintYoteiEditTexts(canvas, Sjis("3月8日(土)"), {0, 0, 255}, dlg::DayTitleFont(),
                             dlg::DayLabelFont());
    ExpectTexts(canvas, {{"3月8日(土)", {10, 24}, title, {0, 0, 255}},
                         {"期間予定", {30, 75}, label, {0, 0, 0}},
                         {"時間予定リスト", {30, 189}, label, {0, 0, 0}}});
}

// The painted positions line up with the controls of template 134 at the program's
// dialog base.
TEST(DialogPaintTest, ArrowsAndLabelsLineUpWithTheTimeEntryTemplate) {
    const res::DialogTemplate* t = res::FindDialogTemplate(IDD_TIME_YOTEI);
    ASSERT_NE(t, nullptr);
    auto control = [&](int id) -> const res::ControlTemplate& {
        for (const res::ControlTemplate& c : t->controls) {
            if (c.id == id) {
                return c;
            }
        }
        ADD_FAILURE() << "no control " << id;
        return t->controls[0];
    };
    auto pixels = [](const res::ControlTemplate& c) {
        return fw::DialogRectToPixels(c.x, c.y, c.cx, c.cy);
    };
    const int arrowTipColumn = 17;
    struct Arrow {
        int edit;
        fw::Point at;
        int width;
    };
    const fw::Rect hourFrame = pixels(t->controls[6]);  // the first group box
    ASSERT_EQ(t->controls[6].kind, res::ControlKind::kGroupBox);
    for (const Arrow& a : {Arrow{IDC_EDIT_FROM_TIME, dlg::kFromArrowAt, 133},
                           Arrow{IDC_EDIT_TO_TIME, dlg::kToArrowAt, 50}}) {
        const fw::Rect edit = pixels(control(a.edit));
        const int middle = (edit.left + edit.right) / 2;
        EXPECT_LE(std::abs(a.at.x + arrowTipColumn - middle), 1) << a.edit;
        EXPECT_EQ(a.at.y, edit.bottom) << a.edit;  // directly under the edit
        const int barEnd = a.at.x + a.width - 1;
        EXPECT_LT(barEnd, hourFrame.left);
        EXPECT_GE(barEnd, hourFrame.left - 4);
        EXPECT_LE(a.at.x + a.width, dlg::kArrowBand.right);
        EXPECT_LE(a.at.y + 24, dlg::kArrowBand.bottom);
    }
    // "時" and "分" 8 pixels right of the first row of their group, at its top.
    const fw::Rect hour12 = pixels(control(IDC_HOUR_12));
    const fw::Rect minute30 = pixels(control(IDC_MINUTE_30));
    fw::RecordingCanvas canvas;
    dlg::PaintTimeYoteiTexts(canvas, dlg::TimeHeadingFont(), dlg::TimeUnitFont());
    const fw::CanvasCall* hour = canvas.FindText(Sjis("時"));
    const fw::CanvasCall* minute = canvas.FindText(Sjis("分"));
    ASSERT_NE(hour, nullptr);
    ASSERT_NE(minute, nullptr);
    EXPECT_EQ(hour->rect.left, hour12.right + 8);
    EXPECT_EQ(minute->rect.left, minute30.right + 8);
    EXPECT_LE(std::abs(hour->rect.top - hour12.top), 1);
}

}  // namespace
