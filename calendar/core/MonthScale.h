// How the month, laid out in its own pixels (770 x 452 with the defaults), fills a window
// of any size, and how large the window starts.
//
// One factor for both axes keeps the ovals round and the texts in proportion: the month
// is scaled by the largest factor at which it fits the client area whole, and centred in
// it; the rest stays white. At the layout's own size the factor is exactly 1 and nothing
// moves, so every geometry of MonthLayout holds pixel for pixel there. A window smaller
// than the layout (which the main window does not allow) shows the month at factor 1 from
// the top left corner, cut.
//
// The painter keeps painting in month pixels; the view scales the device context by the
// fit and maps every mouse position back through MonthPoint, so a click hits the day that
// is painted under it at every size.
#pragma once

#include "Canvas.h"
#include "MonthLayout.h"

struct MonthFit {
    double scale = 1.0;  // window pixels per month pixel, the same on both axes
    int left = 0;        // where the month's (0, 0) lies in the window
    int top = 0;

    // The month pixel painted at a window point: the one whose scaled square holds it.
    fw::Point MonthPoint(fw::Point window) const;
    friend bool operator==(const MonthFit&, const MonthFit&) = default;
};

MonthFit FitMonth(const MonthLayout& layout, int clientWidth, int clientHeight);

// The factor of the desktop's text size setting, from GTK's gtk-xft-dpi (the font
// resolution in 1/1024 dots per inch; 96 dpi is the normal size, and a "large text"
// setting raises it). Unset (-1, 0), smaller than normal or absurd values give 1; at most 3.
double TextScaleFromXftDpi(int xftDpi1024);

struct MonthClientSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const MonthClientSize&, const MonthClientSize&) = default;
};

// The client size a window starts with when none is remembered: the layout's own size
// grown by the text size factor (rounded to whole pixels), never smaller than the layout.
MonthClientSize DefaultMonthClientSize(const MonthLayout& layout, double textScale);
