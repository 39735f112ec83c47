// What the two schedule dialogs paint onto their own client areas, through the Canvas.
// Coordinates are pixels of the client area; every text is anchored at its top left.
// The controls paint themselves; the arrows of the time entry dialog are drawn by the
// dialog from its image lists at kFromArrowAt and kToArrowAt after these texts.
#pragma once

#include <string_view>

#include "Canvas.h"

namespace dlg {

// ---- Time entry dialog ---------------------------------------------------------------------

// "予定時間" and "予定内容" stand directly above the two black rules; "時" and "分" beside
// the first button row of the hour and the minute group.
fw::FontSpec TimeHeadingFont();  // "ＭＳ Ｐゴシック", 14 px, bold
fw::FontSpec TimeUnitFont();     // "ＭＳ Ｐゴシック", 24 px, bold
void PaintTimeYoteiTexts(fw::Canvas& canvas, const fw::FontSpec& heading, const fw::FontSpec& unit);

// The arrow under the active time edit: its tip (column 17) under the middle of the edit,
// its bar ending just left of the hour group.
inline constexpr fw::Point kFromArrowAt{36, 57};
inline constexpr fw::Point kToArrowAt{119, 57};
// The band under the two time edits that holds both arrows, repainted on a focus move.
inline constexpr fw::Rect kArrowBand{36, 57, 176, 87};

// ---- Day schedule dialog -------------------------------------------------------------------

fw::FontSpec DayTitleFont();  // "ＭＳ ゴシック", 22 px, bold
fw::FontSpec DayLabelFont();  // "ＭＳ Ｐゴシック", 14 px, bold
// The title (CP932, see TitleText) in its colour at (10, 24), then "期間予定" at (30, 75)
// and "時間予定リスト" at (30, 189) in black.
void PaintYoteiEditTexts(fw::Canvas& canvas, std::string_view title, fw::Rgb titleColor,
                         const fw::FontSpec& titleFont, const fw::FontSpec& labelFont);
// The part of the client area the title takes, repainted when the holiday box changes.
inline constexpr fw::Rect kTitleBand{10, 20, 160, 50};

}  // namespace dlg
