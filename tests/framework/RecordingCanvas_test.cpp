#include "RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

const fw::Rgb kRed{255, 0, 0};
const fw::Rgb kGrey{220, 220, 220};

TEST(RecordingCanvasTest, EachCallCarriesTheStateInForceAtThatMoment) {
    fw::RecordingCanvas canvas;
    const fw::FontSpec dayFont{"ＭＳ ゴシック", 16, 700};
    canvas.FillRect({0, 0, 10, 10});  // the state of a fresh device context
    canvas.SelectFont(dayFont);
    canvas.SetTextColor(kRed);
    canvas.DrawText("7", {21, 183, 48, 210},
                    fw::kTextCenter | fw::kTextSingleLine | fw::kTextNoClip);
    canvas.SetTextColor({0, 0, 0});
    canvas.SetBkColor(kGrey);
    canvas.SelectPen({2, {0, 0, 0}});
    canvas.SelectBrush({kGrey, false});
    canvas.DrawText("8", {21, 210, 48, 237}, 289);
    canvas.SelectHollowBrush();
    canvas.SetBkModeTransparent(true);
    canvas.TextOut({30, 75}, "x");
    canvas.BlitToTarget();

    const fw::CanvasCall* fresh = canvas.Find(fw::CanvasOp::kFillRect).at(0);
    EXPECT_EQ(fresh->state, fw::CanvasState{});
    EXPECT_EQ(fresh->state.brush, (fw::BrushSpec{{255, 255, 255}, false}));
    EXPECT_FALSE(fresh->state.bkTransparent);

    const fw::CanvasCall* seven = canvas.FindText("7");
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->rect, (fw::Rect{21, 183, 48, 210}));
    EXPECT_EQ(seven->flags, 289u);
    EXPECT_EQ(seven->state.font, dayFont);
    EXPECT_EQ(seven->state.textColor, kRed);
    EXPECT_EQ(seven->state.bkColor, (fw::Rgb{255, 255, 255}));

    const fw::CanvasCall* eight = canvas.FindText("8");
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->state.textColor, (fw::Rgb{0, 0, 0}));
    EXPECT_EQ(eight->state.bkColor, kGrey);
    EXPECT_EQ(eight->state.pen, (fw::PenSpec{2, {0, 0, 0}}));
    EXPECT_EQ(eight->state.brush, (fw::BrushSpec{kGrey, false}));
    EXPECT_LT(canvas.IndexOf(seven), canvas.IndexOf(eight));

    const fw::CanvasCall* x = canvas.FindText("x");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->op, fw::CanvasOp::kTextOut);
    EXPECT_EQ(x->rect.left, 30);
    EXPECT_EQ(x->rect.top, 75);
    EXPECT_TRUE(x->state.brush.hollow);
    EXPECT_TRUE(x->state.bkTransparent);

    EXPECT_EQ(canvas.FindAt({21, 210, 48, 237}).size(), 1u);
    EXPECT_EQ(canvas.Count(fw::CanvasOp::kBlitToTarget), 1u);
    EXPECT_EQ(canvas.FindText("9"), nullptr);
}

TEST(RecordingCanvasTest, ShapesKeepTheirGeometry) {
    fw::RecordingCanvas canvas;
    canvas.Line({1, 2}, {3, 4});
    canvas.Polygon({{0, 0}, {5, 0}, {2, 4}});
    canvas.Ellipse({2, 17, 25, 27});
    canvas.DrawImage(fw::ImageId::kToArrow, {119, 57});

    const auto line = canvas.Find(fw::CanvasOp::kLine);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0]->points, (std::vector<fw::Point>{{1, 2}, {3, 4}}));
    EXPECT_EQ(canvas.Find(fw::CanvasOp::kPolygon).at(0)->points.size(), 3u);
    EXPECT_EQ(canvas.FindAt({2, 17, 25, 27}).at(0)->op, fw::CanvasOp::kEllipse);
    const fw::CanvasCall* image = canvas.Find(fw::CanvasOp::kDrawImage).at(0);
    EXPECT_EQ(image->image, fw::ImageId::kToArrow);
    EXPECT_EQ(image->rect.left, 119);
    EXPECT_EQ(image->rect.top, 57);

    canvas.SetTextColor(kRed);
    canvas.Clear();
    EXPECT_TRUE(canvas.Calls().empty());
    EXPECT_EQ(canvas.State(), fw::CanvasState{});
}

}  // namespace
