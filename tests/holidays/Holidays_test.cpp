// National holidays against the Cabinet Office's own list (tests/data/syukujitsu), and the
// edges of each amendment the list does not reach (1948 to 1954, the years after it,
// the end of the equinox approximation).
#include "Holidays.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <map>

#include "Cp932.h"
#include "SystemTime.h"

namespace {

// date (YYYYMMDD) -> name, as the Cabinet Office lists them.
std::map<std::string, std::string> ReadOfficialList() {
    std::ifstream in(PEMDARO_TEST_DATA "/syukujitsu/index.csv", std::ios::binary);
    std::map<std::string, std::string> list;
    std::string line;
    std::getline(in, line);  // date,name
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // 1955-01-01,元日
        if (line.size() < 12 || line[4] != '-' || line[7] != '-' || line[10] != ',') {
            ADD_FAILURE() << "unexpected line: " << line;
            continue;
        }
        // The file is UTF-8 (the Cabinet Office's own download is CP932; this copy is not).
        EXPECT_TRUE(Utf8IsValid(line)) << line;
        list[line.substr(0, 4) + line.substr(5, 2) + line.substr(8, 2)] = line.substr(11);
    }
    return list;
}

// Every listed date is computed with the listed name, and every date computed for the
// years the list covers is listed. No difference is allowed: the names the list spells
// its own way (休日 for both kinds of rest day, 結婚の儀, 休日（祝日扱い）, 体育の日（スポ
// ーツの日） in 2019) are the names the module gives.
TEST(HolidaysTest, EveryDateAndNameOfTheOfficialList) {
    const std::map<std::string, std::string> list = ReadOfficialList();
    ASSERT_GT(list.size(), 1000u);
    const int firstYear = std::stoi(list.begin()->first.substr(0, 4));
    const int lastYear = std::stoi(list.rbegin()->first.substr(0, 4));
    EXPECT_EQ(firstYear, 1955);

    for (const auto& [date, name] : list) {
        const auto holiday =
            NationalHoliday(std::stoi(date.substr(0, 4)), std::stoi(date.substr(4, 2)),
                            std::stoi(date.substr(6, 2)));
        ASSERT_TRUE(holiday.has_value()) << date << " " << name << " not computed";
        EXPECT_EQ(holiday->nameUtf8, name) << date;
        EXPECT_FALSE(holiday->predicted) << date;
    }
    size_t computed = 0;
    for (int year = firstYear; year <= lastYear; ++year) {
        for (const DatedHoliday& h : HolidaysOfYear(year)) {
            ++computed;
            EXPECT_EQ(list.count(h.date), 1u)
                << h.date << " " << h.holiday.nameUtf8 << " not listed";
        }
    }
    EXPECT_EQ(computed, list.size());
}

TEST(HolidaysTest, EdgesOfEachAmendment) {
    struct Case {
        const char* date;
        const char* name;  // "" for an ordinary day
        bool predicted;
    };
    const Case cases[] = {
        // The law from 20 July 1948.
        {"19480429", "", false},
        {"19480505", "", false},
        {"19480923", "秋分の日", false},
        {"19481123", "勤労感謝の日", false},
        {"19490101", "元日", false},
        {"19490321", "春分の日", false},
        {"19490429", "天皇誕生日", false},
        // Substitute holidays from 12 April 1973.
        {"19730212", "", false},
        {"19730430", "休日", false},
        {"19730924", "休日", false},
        // Days between holidays from 27 December 1985, Sundays and substitute days left out
        // until 2006.
        {"19860504", "", false},
        {"19870504", "休日", false},
        {"19880504", "休日", false},
        {"20060504", "休日", false},
        {"20090922", "休日", false},
        {"20150922", "休日", false},
        {"20260922", "休日", false},
        // From 2007 a substitute holiday skips the holidays after the Sunday.
        {"20080506", "休日", false},
        {"20090506", "休日", false},
        // The Monday rules.
        {"19990115", "成人の日", false},
        {"20000110", "成人の日", false},
        {"20000115", "", false},
        {"19991011", "休日", false},
        {"20001009", "体育の日", false},
        {"20001010", "", false},
        {"19950720", "", false},
        {"19960720", "海の日", false},
        {"20020720", "海の日", false},
        {"20030721", "海の日", false},
        {"20030720", "", false},
        {"20020916", "休日", false},
        {"20040915", "", false},
        {"20040920", "敬老の日", false},
        {"19650915", "", false},
        {"19660915", "敬老の日", false},
        {"19661010", "体育の日", false},
        {"19660211", "", false},
        {"19670211", "建国記念の日", false},
        // 29 April, 4 May and the emperor's birthday.
        {"19880429", "天皇誕生日", false},
        {"19890429", "みどりの日", false},
        {"19891223", "天皇誕生日", false},
        {"20070429", "昭和の日", false},
        {"20070504", "みどりの日", false},
        {"20181224", "休日", false},
        {"20191223", "", false},
        {"20190223", "", false},
        {"20200223", "天皇誕生日", false},
        {"20200224", "休日", false},
        // 2019: the accession and its neighbours.
        {"20190430", "休日", false},
        {"20190501", "休日（祝日扱い）", false},
        {"20190502", "休日", false},
        {"20190506", "休日", false},
        {"20191022", "休日（祝日扱い）", false},
        // Mountain Day and the Olympic years.
        {"20150811", "", false},
        {"20160811", "山の日", false},
        {"20200720", "", false},
        {"20200723", "海の日", false},
        {"20200724", "スポーツの日", false},
        {"20200810", "山の日", false},
        {"20200811", "", false},
        {"20201012", "", false},
        {"20210722", "海の日", false},
        {"20210723", "スポーツの日", false},
        {"20210808", "山の日", false},
        {"20210809", "休日", false},
        {"20211011", "", false},
        {"20221010", "スポーツの日", false},
        // Equinox days: announced up to 2027, predicted after; what follows from a
        // predicted day is predicted, other days of those years are not.
        {"20270321", "春分の日", false},
        {"20270322", "休日", false},
        {"20280320", "春分の日", true},
        {"20290212", "休日", false},
        {"20290924", "休日", true},
        {"20320921", "休日", true},
        {"20330321", "休日", true},
        {"21500321", "春分の日", true},
        {"21500923", "秋分の日", true},
        // Past the approximation: no equinox day, the rest goes on.
        {"21510320", "", false},
        {"21510321", "", false},
        {"21510922", "", false},
        {"21510923", "", false},
        {"21510101", "元日", false},
        {"99991103", "文化の日", false},
        // Not real dates.
        {"20190230", "", false},
        {"2019010", "", false},
        {"2019O101", "", false},
    };
    for (const Case& c : cases) {
        const auto holiday = NationalHoliday(c.date);
        if (*c.name == '\0') {
            EXPECT_FALSE(holiday.has_value()) << c.date << " " << holiday->nameUtf8;
            continue;
        }
        ASSERT_TRUE(holiday.has_value()) << c.date;
        EXPECT_EQ(holiday->nameUtf8, c.name) << c.date;
        EXPECT_EQ(holiday->predicted, c.predicted) << c.date;
    }
    EXPECT_TRUE(HolidaysOfYear(1947).empty());
    EXPECT_TRUE(HolidaysOfYear(10000).empty());
    EXPECT_FALSE(SpringEquinoxDay(2151).has_value());
    EXPECT_FALSE(AutumnEquinoxDay(1899).has_value());
}

// Reads the clock on purpose: in February of year N the Cabinet Office announces the
// equinox days of N+1, so from 2 February of kLastAnnouncedEquinoxYear the constant is
// behind. Look up the announced days (暦要項), check them against SpringEquinoxDay and
// AutumnEquinoxDay (a difference needs a correction table), and raise the constant.
TEST(HolidaysTest, LastAnnouncedEquinoxYearIsCurrent) {
    const std::time_t now = std::time(nullptr);
    const std::tm utc = UtcTimeOf(now);
    const int today = (utc.tm_year + 1900) * 10000 + (utc.tm_mon + 1) * 100 + utc.tm_mday;
    EXPECT_LE(today, kLastAnnouncedEquinoxYear * 10000 + 201)
        << "the equinox days of " << kLastAnnouncedEquinoxYear + 1
        << " have been announced: update kLastAnnouncedEquinoxYear in holidays/Holidays.h";
}

}  // namespace
