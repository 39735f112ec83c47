#include "DialogPaint.h"

#include <string>

#include "Cp932.h"

namespace dlg {

namespace {

constexpr const char* kGothic = "ＭＳ ゴシック";
constexpr const char* kPGothic = "ＭＳ Ｐゴシック";
constexpr int kBold = 700;
constexpr fw::Rgb kBlack{0, 0, 0};

// The CP932 bytes of a text written in the source (UTF-8); every literal here is CP932.
std::string Sjis(std::string_view utf8) {
    return Utf8ToCp932(utf8).value_or(std::string{});
}

}  // namespace

fw::FontSpec TimeHeadingFont() {
    return {kPGothic, 14, kBold};
}
fw::FontSpec TimeUnitFont() {
    return {kPGothic, 24, kBold};
}
fw::FontSpec DayTitleFont() {
    return {kGothic, 22, kBold};
}
fw::FontSpec DayLabelFont() {
    return {kPGothic, 14, kBold};
}

void PaintTimeYoteiTexts(fw::Canvas& canvas, const fw::FontSpec& heading,
                         const fw::FontSpec& unit) {
    static const std::string kTimeHeading = Sjis("予定時間");
    static const std::string kTextHeading = Sjis("予定内容");
    static const std::string kHour = Sjis("時");
    static const std::string kMinute = Sjis("分");

    canvas.SetBkModeTransparent(true);
    canvas.SetTextColor(kBlack);
    canvas.SelectFont(heading);
    canvas.TextOut({13, 11}, kTimeHeading);
    canvas.TextOut({13, 180}, kTextHeading);
    canvas.SelectFont(unit);
    canvas.TextOut({295, 55}, kHour);
    canvas.TextOut({405, 55}, kMinute);
}

void PaintYoteiEditTexts(fw::Canvas& canvas, std::string_view title, fw::Rgb titleColor,
                         const fw::FontSpec& titleFont, const fw::FontSpec& labelFont) {
    static const std::string kPeriodLabel = Sjis("期間予定");
    static const std::string kListLabel = Sjis("時間予定リスト");

    canvas.SetBkModeTransparent(true);
    canvas.SelectFont(titleFont);
    canvas.SetTextColor(titleColor);
    canvas.TextOut({10, 24}, title);
    canvas.SetBkModeTransparent(true);
    canvas.SetTextColor(kBlack);
    canvas.SelectFont(labelFont);
    canvas.TextOut({30, 75}, kPeriodLabel);
    canvas.TextOut({30, 189}, kListLabel);
}

}  // namespace dlg
