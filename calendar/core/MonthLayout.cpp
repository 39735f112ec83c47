#include "MonthLayout.h"

#include <ctime>

#include "SystemTime.h"

LocalDateTime LocalDateTimeNow() {
    const std::tm local = LocalTimeOf(std::time(nullptr));
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

MonthLayout::MonthLayout() {
    // The heights are declared after the fonts, so the fonts are set once they hold.
    m_fontDay = {kMonthFontFace, m_nDayFontHeight, 700};
    m_fontWeekday = {kMonthFontFace, m_nWeekdayFontHeight, 400};
    m_fontEntry = {kMonthFontFace, m_nEntryFontHeight, 400};
    m_fontHeader = {kMonthFontFace, m_nHeaderFontHeight, 700};
}

int MonthLayout::ClientWidth() const {
    return (m_nColumnWidth + m_nColumnGap) * (m_nColumns - 1) + 2 * m_nLeftMargin + m_nColumnWidth;
}

int MonthLayout::ClientHeight() const {
    return m_nHeaderHeight + m_nRowHeight * m_nDaysPerColumn;
}

int MonthLayout::ColumnLeft(int column) const {
    return m_nLeftMargin + column * (m_nColumnWidth + m_nColumnGap);
}

int MonthLayout::RowTop(int row) const {
    return m_nHeaderHeight + row * m_nRowHeight;
}

int MonthLayout::DayOfCell(int column, int row) const {
    return column * m_nDaysPerColumn + row + 1;
}

int MonthLayout::ColumnsRight() const {
    return m_nLeftMargin + m_nColumnWidth + (m_nColumnWidth + m_nColumnGap) * (m_nColumns - 1);
}

fw::Rect MonthLayout::HeaderBox() const {
    return {m_nLeftMargin + 1, 0, m_nLeftMargin + 1 + m_nColumnWidth, m_nHeaderHeight};
}

fw::Rect MonthLayout::DayNumberBox(int x0, int y) const {
    return {x0 + 1, y + 1, x0 + 1 + m_nRowHeight, y + 1 + m_nRowHeight};
}

fw::Rect MonthLayout::WeekdayBox(int x0, int y) const {
    const int top = y + m_nWeekdayOffset;
    return {x0 + 1, top, x0 + 1 + m_nRowHeight, top + m_nWeekdayFontHeight};
}

fw::Rect MonthLayout::PaidLeaveOval(int x0, int y) const {
    // A flat ellipse that takes in the label's corners, a pixel wider than the label at top
    // and bottom; it ends a pixel above the next row's line.
    const int top = y + m_nWeekdayOffset - 1;
    return {x0 + 2, top, x0 + m_nRowHeight, top + m_nWeekdayFontHeight + 2};
}

fw::Rect MonthLayout::PastDayShading(int x0, int y) const {
    return {x0, y + 1, x0 + m_nColumnWidth, y + m_nRowHeight - 1};
}

fw::Rect MonthLayout::EntryBox(int x0, int y, int slot, bool withPeriod) const {
    // The width right of the day square is cut in halves, or in thirds with the first
    // third left to the period bar and text.
    const int width = m_nColumnWidth - m_nRowHeight;
    const int parts = withPeriod ? 3 : 2;
    const int skip = withPeriod ? 1 : 0;
    const int left = x0 + m_nRowHeight + 1 + ((slot / 2) + skip) * width / parts;
    // Lines at y+2 and y+14: the lower line's glyphs end above the day cursor's band along
    // the row's foot.
    const int top = y + 2 + (slot % 2) * (m_nRowHeight / 2 - 1);
    return {left, top, left + width / 2, top + m_nRowHeight / 2};
}

int MonthLayout::PeriodAxis(int x0) const {
    return x0 + m_nRowHeight + 10;
}

fw::Rect MonthLayout::PeriodTextBox(int x0, int y) const {
    const int left = x0 + m_nRowHeight + 21;
    const int top = y + m_nRowHeight / 3 + 1;
    return {left, top, left + (m_nColumnWidth - m_nRowHeight) / 2, top + m_nRowHeight / 3};
}
