#include "MonthScale.h"

#include <algorithm>
#include <cmath>

fw::Point MonthFit::MonthPoint(fw::Point window) const {
    return {static_cast<int>(std::floor((window.x - left) / scale)),
            static_cast<int>(std::floor((window.y - top) / scale))};
}

MonthFit FitMonth(const MonthLayout& layout, int clientWidth, int clientHeight) {
    const int width = layout.ClientWidth();
    const int height = layout.ClientHeight();
    if (clientWidth < width || clientHeight < height) {
        return {};
    }
    const double scale = std::min(clientWidth / double(width), clientHeight / double(height));
    // The month's scaled size, in whole pixels, centred; whatever the rounding, it starts
    // inside the window.
    const int shownWidth = static_cast<int>(std::lround(width * scale));
    const int shownHeight = static_cast<int>(std::lround(height * scale));
    return {scale, std::max(0, (clientWidth - shownWidth) / 2),
            std::max(0, (clientHeight - shownHeight) / 2)};
}

double TextScaleFromXftDpi(int xftDpi1024) {
    constexpr double kNormalDpi = 96.0;
    constexpr double kLargest = 3.0;
    if (xftDpi1024 <= 0) {
        return 1.0;
    }
    const double scale = xftDpi1024 / 1024.0 / kNormalDpi;
    return std::clamp(scale, 1.0, kLargest);
}

MonthClientSize DefaultMonthClientSize(const MonthLayout& layout, double textScale) {
    const double scale = std::isfinite(textScale) ? std::max(1.0, textScale) : 1.0;
    return {static_cast<int>(std::lround(layout.ClientWidth() * scale)),
            static_cast<int>(std::lround(layout.ClientHeight() * scale))};
}
