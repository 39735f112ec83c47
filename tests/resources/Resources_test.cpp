#include "Resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "DialogUnits.h"

namespace {

constexpr fw::Rgb kBlack{0, 0, 0};
constexpr fw::Rgb kGrey{128, 128, 128};
constexpr fw::Rgb kWhite{255, 255, 255};

// One run of pixels of the arrow: row, first and last column (-1: the right edge), colour.
struct Run {
    int row, first, last;
    fw::Rgb color;
};

// The etched arrow of bitmaps 136 and 137, run by run.
std::vector<Run> ArrowRuns() {
    std::vector<Run> runs = {
        {2, 17, 17, kWhite},  {3, 17, 17, kBlack},  {3, 18, 18, kWhite},  {4, 16, 16, kBlack},
        {4, 17, 18, kGrey},   {4, 19, 19, kWhite},  {5, 15, 15, kBlack},  {5, 16, 19, kGrey},
        {5, 20, 20, kWhite},  {6, 14, 14, kBlack},  {6, 15, 20, kGrey},   {6, 21, 21, kWhite},
        {16, 16, 16, kBlack}, {16, 17, 18, kGrey},  {16, 19, -1, kBlack}, {17, 17, 17, kBlack},
        {17, 18, -1, kGrey},  {18, 18, -1, kWhite},
    };
    for (int row = 7; row <= 15; ++row) {
        runs.push_back({row, 16, 16, kBlack});
        runs.push_back({row, 17, 17, kGrey});
        runs.push_back({row, 18, 18, kWhite});
    }
    return runs;
}

std::vector<std::vector<fw::Rgb>> ExpectedArrow(int width) {
    std::vector<std::vector<fw::Rgb>> pixels(24,
                                             std::vector<fw::Rgb>(width, res::kTransparentGrey));
    for (const Run& run : ArrowRuns()) {
        const int last = run.last < 0 ? width - 1 : run.last;
        for (int x = run.first; x <= last; ++x) {
            pixels[run.row][x] = run.color;
        }
    }
    return pixels;
}

class ArrowBitmapTest : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ArrowBitmapTest, EveryPixelFollowsTheArrowTable) {
    const auto [id, width] = GetParam();
    const res::IndexedImage* image = res::FindBitmap(id);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, 24);
    ASSERT_EQ(image->rows.size(), 24u);
    const auto expected = ExpectedArrow(width);
    for (int y = 0; y < 24; ++y) {
        ASSERT_EQ(image->rows[y].size(), static_cast<size_t>(width)) << "row " << y;
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(image->PixelAt(x, y), expected[y][x]) << "pixel " << x << "," << y;
            EXPECT_FALSE(image->IsTransparent(x, y));
        }
    }
}

TEST_P(ArrowBitmapTest, BarReachesTheRightEdgeAndTheRestIsTransparentGrey) {
    const auto [id, width] = GetParam();
    const res::IndexedImage* image = res::FindBitmap(id);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->PixelAt(width - 1, 16), kBlack);
    EXPECT_EQ(image->PixelAt(width - 1, 17), kGrey);
    EXPECT_EQ(image->PixelAt(width - 1, 18), kWhite);
    EXPECT_EQ(image->PixelAt(width - 1, 15), res::kTransparentGrey);
    EXPECT_EQ(image->PixelAt(width - 1, 19), res::kTransparentGrey);
    // Rows 0-1 and 19-23 hold nothing but the transparent colour.
    for (int y : {0, 1, 19, 20, 21, 22, 23}) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(image->PixelAt(x, y), res::kTransparentGrey) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, ArrowBitmapTest,
                         testing::Values(std::pair{IDB_FROM_ARROW, 133},
                                         std::pair{IDB_TO_ARROW, 50}));

TEST(IconTest, BothSizesExistUseThePaletteAndHaveATransparentMargin) {
    for (int size : {32, 16}) {
        const res::IndexedImage* icon = res::FindIcon(IDR_MAINFRAME, size);
        ASSERT_NE(icon, nullptr) << size;
        ASSERT_EQ(icon->width, size);
        ASSERT_EQ(icon->height, size);
        ASSERT_EQ(icon->rows.size(), static_cast<size_t>(size));
        for (std::string_view row : icon->rows) {
            ASSERT_EQ(row.size(), static_cast<size_t>(size));
            EXPECT_EQ(row.find_first_not_of("0123456789abcdef."), std::string_view::npos);
        }
        EXPECT_TRUE(icon->IsTransparent(0, 0));
        EXPECT_TRUE(icon->IsTransparent(size - 1, size - 1));
    }
    EXPECT_EQ(res::FindIcon(IDR_MAINFRAME, 48), nullptr);
    EXPECT_EQ(res::FindBitmap(135), nullptr);
}

TEST(StringTest, AboutEntryText) {
    EXPECT_EQ(res::LoadStringResource(IDS_ABOUTBOX), "ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
    EXPECT_TRUE(res::LoadStringResource(999).empty());
}

// Ids of the controls that take part in tabbing, in template order.
std::vector<int> TabStops(const res::DialogTemplate& t) {
    std::vector<int> ids;
    for (const res::ControlTemplate& c : t.controls) {
        if (c.style & res::kTabStop) {
            ids.push_back(c.id);
        }
    }
    return ids;
}

TEST(DialogTemplateTest, TabOrderAndDefaultButtons) {
    struct Case {
        int id;
        std::vector<int> tabStops;
    };
    const Case cases[] = {
        {IDD_ABOUTBOX, {IDOK}},
        {IDD_CALENDAR_DIALOG, {}},
        {IDD_YOTEI_EDIT,
         {IDC_CHECK_HOLIDAY, IDC_CHECK_PAID_LEAVE, IDC_COMBO_PERIOD_FROM, IDC_COMBO_PERIOD_TO,
          IDC_EDIT_PERIOD_YOTEI, IDC_BUTTON_ADD, IDC_BUTTON_CHANGE, IDC_BUTTON_REMOVE,
          IDC_LIST_YOTEI, IDOK, IDCANCEL}},
        {IDD_TIME_YOTEI,
         {IDC_EDIT_FROM_TIME, IDC_EDIT_TO_TIME, IDC_EDIT_YOTEI_TEXT, IDOK, IDCANCEL}},
    };
    for (const Case& c : cases) {
        const res::DialogTemplate* t = res::FindDialogTemplate(c.id);
        ASSERT_NE(t, nullptr) << c.id;
        EXPECT_EQ(TabStops(*t), c.tabStops) << c.id;
        std::set<int> ids;
        for (const res::ControlTemplate& control : t->controls) {
            if (control.id != IDC_STATIC) {
                EXPECT_TRUE(ids.insert(control.id).second) << "duplicate id " << control.id;
            }
            if (control.style & res::kDefPush) {
                EXPECT_EQ(control.id, IDOK);
            }
            // Every control lies inside the dialog.
            EXPECT_LE(control.x + control.cx, t->cx) << control.id;
            EXPECT_LE(control.y + control.cy, t->cy) << control.id;
        }
    }
    EXPECT_EQ(res::FindDialogTemplate(103), nullptr);
}

TEST(DialogTemplateTest, TimeEntryHasTwentySixQuickPickButtonsWithoutTabStop) {
    const res::DialogTemplate* t = res::FindDialogTemplate(IDD_TIME_YOTEI);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, "時間予定記入");
    EXPECT_EQ(t->cx, 263);
    EXPECT_EQ(t->cy, 185);
    EXPECT_EQ(t->controls.size(), 37u);
    int picks = 0;
    for (const res::ControlTemplate& c : t->controls) {
        if (c.kind == res::ControlKind::kPushButton && c.id != IDOK && c.id != IDCANCEL) {
            ++picks;
            EXPECT_TRUE(c.style & res::kStaticEdge) << c.id;
            EXPECT_FALSE(c.style & res::kTabStop) << c.id;
        }
    }
    EXPECT_EQ(picks, 26);
    // Template row 37 is the "３０" minute button.
    EXPECT_EQ(t->controls.back().id, IDC_MINUTE_30);
    EXPECT_EQ(t->controls.back().text, "３０");
}

TEST(DialogTemplateTest, ArrowsLineUpWithTheTimeEditsAtTheFixedBase) {
    const res::DialogTemplate* t = res::FindDialogTemplate(IDD_TIME_YOTEI);
    ASSERT_NE(t, nullptr);
    auto pixels = [&](int id) {
        for (const res::ControlTemplate& c : t->controls) {
            if (c.id == id) {
                return fw::DialogRectToPixels(c.x, c.y, c.cx, c.cy);
            }
        }
        return fw::Rect{};
    };
    const fw::Rect from = pixels(IDC_EDIT_FROM_TIME);
    const fw::Rect to = pixels(IDC_EDIT_TO_TIME);
    EXPECT_EQ(from, (fw::Rect{37, 39, 70, 57}));
    EXPECT_EQ(to, (fw::Rect{119, 39, 152, 57}));
    // The arrows are drawn at x 36 and 119 with their tip in column 17: under the middle
    // of each edit (within a pixel), and the 133-pixel bar ends left of the hour frame.
    EXPECT_LE(std::abs(36 + 17 - (from.left + from.right) / 2), 1);
    EXPECT_LE(std::abs(119 + 17 - (to.left + to.right) / 2), 1);
    const res::ControlTemplate& hourFrame = t->controls[6];
    ASSERT_EQ(hourFrame.kind, res::ControlKind::kGroupBox);
    EXPECT_LT(36 + 133 - 1, fw::DialogXToPixels(hourFrame.x));
}

}  // namespace
