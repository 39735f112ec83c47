// Damaged and hand-edited table files: each opens, paints, and saves back as the same
// rows, so nothing stored is lost or altered by running the program over it.
#include <gtest/gtest.h>

#include "../schedule/ScheduleTestSupport.h"
#include "MonthPainter.h"
#include "RecordingCanvas.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;

std::string WithHeader(const std::string& rows) {
    return std::string(kHeader) + rows + kEndMark;
}

std::string LongPeriod(int days) {
    std::string rows;
    std::string day = "20000101";
    for (int i = 0; i < days; ++i, day = DateAddDays(day, 1)) {
        rows += day + ",,,0,long,\r\n";
    }
    return rows;
}

class BadInputTest : public xeltest::StoreTest {};

TEST_F(BadInputTest, DamagedFilesOpenPaintAndSaveBackUnchanged) {
    struct Case {
        const char* what;
        std::string bytes;
        size_t rows;
        int year, month;  // the month painted
    };
    const Case cases[] = {
        {"empty", "", 0, 2007, 3},
        {"header only", WithHeader(""), 0, 2007, 3},
        {"no header", "20070305,,,1,a,\r\n20070306,,,2,b,", 2, 2007, 3},
        {"CR only", "# X-- Database Version 1.0\r20070305,,,1,a,\r20070306,,,1,b,\r", 2, 2007, 3},
        {"NUL bytes", WithHeader(std::string("20070305,,,1,a\0b,\r\n\0\0\r\n", 22)), 2, 2007, 3},
        {"not CP932", WithHeader("20070305,,,1,\xFF\xFE\x80\xA0\xFD,\r\n"), 1, 2007, 3},
        {"duplicated rows", WithHeader("20070305,0900,,1,a,\r\n20070305,0900,,1,a,\r\n"), 2, 2007,
         3},
        {"two periods on a day", WithHeader("20070305,,,0,p,\r\n20070305,,,0,q,\r\n"), 2, 2007, 3},
        {"unknown INDEX", WithHeader("20070305,,,7,x,\r\n20070305,,,x,y,\r\n20070305,,,,z,\r\n"), 3,
         2007, 3},
        {"short lines", WithHeader("20070305\r\n20070306,0900\r\n,\r\n"), 3, 2007, 3},
        {"DATE not eight digits",
         WithHeader("2007035,,,1,a,\r\nabcdefgh,,,1,b,\r\n200703050,,,1,c,\r\n,,,1,d,\r\n"), 4,
         2007, 3},
        {"times not HHMM", WithHeader("20070305,9,25:99,1,a,\r\n20070305,x,,2,b,\r\n"), 2, 2007, 3},
        {"a period of 5,000 days", WithHeader(LongPeriod(5000)), 5000, 2006, 6},
    };
    const MonthLayout layout;
    const LocalDateTime now{2007, 3, 15, 12, 0, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xeltest::WriteBytes(TablePath(), c.bytes);
        testing::internal::CaptureStdout();
        CScheduleModel model;
        ASSERT_TRUE(model.Open(m_dir.string() + "/"));
        DbTable* table = DbOpenTable("kelnova");
        const auto first = xeltest::Rows(table);
        EXPECT_EQ(first.size(), c.rows);

        fw::RecordingCanvas canvas;
        const MonthContent content = model.ReadMonth(c.year, c.month);
        PaintMonth(canvas, layout, c.year, c.month, now, &content);
        EXPECT_EQ(canvas.Count(fw::CanvasOp::kBlitToTarget), 1u);

        ASSERT_TRUE(model.Close(true));
        table = DbOpenTable("kelnova");
        EXPECT_EQ(xeltest::Rows(table), first);
        DbCloseTable("kelnova", 0);
        testing::internal::GetCapturedStdout();
    }
}

}  // namespace
