#include "DateTime.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "Cp932.h"

namespace {

// The CP932 bytes of a UTF-8 literal, through the program's own converter.
std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

struct AddDaysCase {
    const char* date;
    int days;
    const char* expected;
};

TEST(DateAddDays, ShiftsOnTheCivilCalendar) {
    const AddDaysCase cases[] = {
        {"20071231", 1, "20080101"},
        {"20080301", -1, "20080229"},
        {"20070305", 0, "20070305"},
        {"20000228", 1, "20000229"},  // 2000 is a leap year
        {"19000228", 1, "19000301"},  // 1900 is not
        {"20080228", 1, "20080229"},
        {"21000228", 1, "21000301"},
        {"20000229", 366, "20010301"},
        {"19691231", 1, "19700101"},
        {"20380119", 1, "20380120"},
        {"20070305junk", 1, "20070306"},  // only the first eight bytes count
        {"10000102", -1, "10000101"},
        {"10000101", 0, "10000101"},
        {"99991230", 1, "99991231"},
        {"99991231", -3287181, "10000101"},
        {"10000101", 3287181, "99991231"},
        {"99991231", -3287182, ""},
        {"10000101", -1, ""},
        {"99991231", 1, ""},
        {"20070305", INT_MAX, ""},
        {"20070305", INT_MIN, ""},
    };
    for (const AddDaysCase& c : cases) {
        EXPECT_EQ(DateAddDays(c.date, c.days), c.expected) << c.date << " + " << c.days;
    }
}

// Texts that are not a real date are refused rather than rolled over into another month.
TEST(DateAddDays, RefusesTextsThatAreNotDates) {
    const char* const cases[] = {
        "",         "2007030",  "20070132", "20070230", "20070229",
        "19000229", "20071305", "20070005", "20070300", "2007030x",
        "2007-3-5", " 2007030", "09991231", "00000000", "        ",
    };
    for (const char* date : cases) {
        EXPECT_EQ(DateAddDays(date, 0), "") << '"' << date << '"';
        EXPECT_EQ(DateAddDays(date, 1), "") << '"' << date << '"';
    }
}

struct WeekdayCase {
    const char* date;
    int expected;
};

TEST(DateWeekday, CountsFromSundayAndGivesSundayForNonDates) {
    const WeekdayCase cases[] = {
        {"20070305", 1},
        {"20000101", 6},
        {"19700101", 4},
        {"20080229", 5},
        {"19000301", 4},
        {"21000301", 1},
        {"10000101", 3},
        {"99991231", 5},
        // Not representable: a rolled-over reading would give 4 (1 February) and 5 (2 March).
        {"20070132", 0},
        {"20070230", 0},
        {"2007030", 0},
        {"", 0},
        {"09991231", 0},
    };
    for (const WeekdayCase& c : cases) {
        EXPECT_EQ(DateWeekday(c.date), c.expected) << '"' << c.date << '"';
    }
}

// A zone whose daylight saving starts at midnight has a day without a local midnight; the
// calendar arithmetic must not notice.
TEST(DateAddDays, IgnoresTheLocalTimeZone) {
#ifdef _WIN32
    GTEST_SKIP() << "the C runtime of Windows reads no daylight-saving rule from TZ";
#else
    const char* saved = std::getenv("TZ");
    const std::string savedTz = saved ? saved : "";
    setenv("TZ", "BRT3BRST,M11.1.0/0,M2.3.0/0", 1);
    tzset();
    EXPECT_EQ(DateAddDays("20181103", 1), "20181104");
    EXPECT_EQ(DateAddDays("20181104", 1), "20181105");
    EXPECT_EQ(DateWeekday("20181104"), 0);
    EXPECT_EQ(DateWeekday("20181105"), 1);
    if (saved) {
        setenv("TZ", savedTz.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
#endif
}

TEST(DateMonth, ReadsBytesFiveAndSix) {
    EXPECT_EQ(DateMonth("20070305"), 3);
    EXPECT_EQ(DateMonth("200712"), 12);
    EXPECT_EQ(DateMonth("    03  "), 3);
    EXPECT_EQ(DateMonth("20071"), 0);
    EXPECT_EQ(DateMonth(""), 0);
}

TEST(DateConstants, AreTheCp932BytesOfTheirNames) {
    const char* const names[7] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(kDateWeekdayNamesJa[i], Sjis(names[i])) << i;
    }
    EXPECT_EQ(kDatePatternJa, Sjis("%Y年%M月%D日(%A)"));
}

struct FormatCase {
    std::string pattern;
    const char* date;
    std::optional<std::string> expected;
};

TEST(DateFormat, ExpandsCodes) {
    const FormatCase cases[] = {
        {kDatePatternJa, "20070305", Sjis("2007年03月05日(月)")},
        {"(%A)", "20070304", Sjis("(日)")},
        {"(%A)", "20070305", Sjis("(月)")},
        {"(%A)", "20070306", Sjis("(火)")},
        {"(%A)", "20070307", Sjis("(水)")},
        {"(%A)", "20070308", Sjis("(木)")},
        {"(%A)", "20070309", Sjis("(金)")},
        {"(%A)", "20070310", Sjis("(土)")},
        {"%E", "20070305", "MON"},
        {"%E %E", "20070310", "SAT SAT"},
        {"%E", "20070230", "SUN"},  // not a date: Sunday
        {"%Y/%M/%D", "20070305xyz", "2007/03/05"},
        {"100%%", "20070305", "100%"},
        {"%x%", "20070305", "x"},
        {"%Y%", "20070305", "2007"},
        {"", "20070305", ""},
        {"%Y", "2007030", std::nullopt},
        {"plain", "", std::nullopt},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(DateFormat(c.pattern, c.date), c.expected) << c.pattern << " " << c.date;
    }
}

struct ParseCase {
    std::string pattern;
    std::string text;
    std::size_t length;  // the part of `text` handed over; the rest must stay unread
    const char* expected;
};

TEST(DateParse, ReadsPartsByPosition) {
    const std::string ja = Sjis("2007年03月05日(月)");
    const ParseCase cases[] = {
        {kDatePatternJa, ja, ja.size(), "20070305"},
        {kDatePatternJa, ja, 0, ""},
        {"%M", "03", 2, "    03  "},
        {"%E%D", "MON05", 5, "      05"},
        {"%Y%", "2007", 4, "2007    "},
        {"%Y-%M-%D", "2007-03-05", 10, "20070305"},
        // Short texts: the bytes after `length` are there but must not be read.
        {kDatePatternJa, ja, 7, "20070   "},
        {kDatePatternJa, ja, 2, "20      "},
        {"%Y%M%D", "20070305", 5, "20070   "},
        {"xx%D", "xx5Z", 3, "      5 "},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(DateParse(c.pattern, std::string_view(c.text).substr(0, c.length)), c.expected)
            << c.pattern << " " << c.length;
    }
}

TEST(DateParse, ReadsBackWhatDateFormatWrote) {
    std::string date = "19991215";
    for (int i = 0; i < 800; ++i) {
        const std::optional<std::string> text = DateFormat(kDatePatternJa, date);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(DateParse(kDatePatternJa, *text), date);
        date = DateAddDays(date, 1);
    }
    EXPECT_EQ(date, "20020222");
}

struct TimeCase {
    std::string pattern;
    std::string text;
    std::size_t length;
    const char* expected;
};

TEST(TimeFormat, ExpandsHourAndMinute) {
    const TimeCase cases[] = {
        {"%H:%M", "0930", 4, "09:30"}, {"%H:%M", "0930xx", 6, "09:30"}, {"%H:%M", "0930", 3, ""},
        {"%H%%%", "0930", 4, "09%"},   {"%H:%A", "0930", 4, "09:A"},
    };
    for (const TimeCase& c : cases) {
        EXPECT_EQ(TimeFormat(c.pattern, std::string_view(c.text).substr(0, c.length)), c.expected)
            << c.pattern << " " << c.text;
    }
}

TEST(TimeParse, ReadsPartsByPosition) {
    const TimeCase cases[] = {
        {"%H:%M", "09:30", 5, "0930"}, {"%H:%M", "09:30", 0, ""},     {"%H:%M", "09:30", 2, "09  "},
        {"%H:%M", "09:30", 4, "093 "}, {"%H:%M", "09:30", 1, "0   "}, {"%M", "30", 2, "  30"},
        {"%A%H", "x12", 3, "12  "},  // unknown codes move one byte
    };
    for (const TimeCase& c : cases) {
        EXPECT_EQ(TimeParse(c.pattern, std::string_view(c.text).substr(0, c.length)), c.expected)
            << c.pattern << " " << c.length;
    }
}

}  // namespace
