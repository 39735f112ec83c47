// The month as a PDF page, written without the toolkit and without a display: the
// command line's `pemdaro --pdf 2026-12 month.pdf`.
//
// The page is A4 portrait (595 x 842 points). The month is painted by PaintMonthOnPaper
// through a CairoCanvas, so it is the month of the screen, scaled to the page's width
// inside margins of kPdfMargin points; its texts are text (the fonts embedded), not
// pictures. The file is written as a temporary file beside the target and renamed over
// it only when complete, so a failure never leaves a partial file.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MonthLayout.h"
#include "ScheduleModel.h"

inline constexpr double kPdfPageWidth = 595;   // A4 in points
inline constexpr double kPdfPageHeight = 842;  //
inline constexpr double kPdfMargin = 28;       // about 10 mm

// Where the month's client area lands on a page: scale, then offset (page units).
struct PagePlacement {
    double scale = 1;
    double left = 0;
    double top = 0;
};
// The largest scale at which a client area of width x height fits inside the margins,
// centred across the page and at the top margin.
PagePlacement PlaceOnPage(double pageWidth, double pageHeight, double margin, int width,
                          int height);

// "2026-12" (year 1000 to 9999, month 1 to 12, with or without a leading zero).
struct YearMonth {
    int year = 0;
    int month = 0;
};
std::optional<YearMonth> ParseYearMonth(std::string_view text);

// Writes the month's page to path (file system encoding). False with a message for the
// user (UTF-8) in error when it could not be written; the target is then as it was.
bool WriteMonthPdf(const MonthLayout& layout, const MonthContent& content, const std::string& path,
                   std::string& error);

// `--pdf YEAR-MONTH FILE`: args are the operands after "--pdf". Reads the settings
// (kelnova.ini in the current folder: DATA_DIR and HOLIDAYS, as the window does), opens
// the table for reading only (no running-copy guard, no data lock, nothing written), and
// writes the page. Returns the exit status: 0 when written, 2 for a bad command line, 1
// for a table that cannot be used or a file that cannot be written, with a message on err.
int RunPdfCommand(const std::vector<std::string>& args, std::ostream& err);
