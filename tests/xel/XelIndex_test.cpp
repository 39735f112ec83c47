// The index of the rows by their first cell must never change an answer: every search
// gives what a scan of all rows from row 0 gives, through appends, deletes (the last row
// moving into the hole), close and a fresh read of the saved file.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "XelDatabase.h"
#include "XelTestSupport.h"

namespace {

using xeltest::Rows;
using xeltest::StoreTest;
using Cells = std::vector<std::string>;

const char* const kColumns[] = {"DATE",  "FROM_TIME", "TO_TIME",   "INDEX",
                                "YOTEI", "SYUKUJITU", "NO_COLUMN", nullptr};

// A small random world: few distinct values, so that most searches hit and many rows
// share their first cell.
class RandomRows {
  public:
    RandomRows(unsigned seed, int dates) : m_random(seed) {
        for (int d = 0; d < dates; ++d) {
            m_dates.push_back("200803" + std::to_string(10 + d));
        }
        // An empty first cell, a CP932 text ending in 0x5C (表) and a quoted comma.
        m_dates.insert(m_dates.end(), {"", "\x95\x5C", "a,b"});
    }

    std::string Value(int column) {
        static const std::vector<std::string> kOthers = {"", "0", "1", "2", "0930", "x,y"};
        return column == 0 ? Pick(m_dates) : Pick(kOthers);
    }
    Cells Row() {
        Cells cells;
        for (int c = 0; c < 6; ++c) {
            cells.push_back(Value(c));
        }
        return cells;
    }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    const char* Column() { return kColumns[Below(8)]; }

  private:
    const std::string& Pick(const std::vector<std::string>& values) {
        return values[static_cast<size_t>(Below(static_cast<int>(values.size())))];
    }

    std::mt19937 m_random;
    std::vector<std::string> m_dates;
};

std::string LineOf(const Cells& cells) {
    DbLine line;
    for (const std::string& cell : cells) {
        DbJoinField(line, cell);
    }
    return line.text;
}

// Random searches, most of them on the first column as the program makes them; every
// answer must equal the scan's, and a hit must really match.
void ExpectSearchesAgree(DbTable* table, RandomRows& world, int searches) {
    for (int i = 0; i < searches; ++i) {
        const char* c1 = world.Below(4) == 0 ? world.Column() : "DATE";
        const char* c2 = world.Column();
        const char* c3 = world.Column();
        const std::string v1 = world.Value(c1 != nullptr && std::string(c1) == "DATE" ? 0 : 1);
        const std::string v2 = world.Value(1);
        const std::string v3 = world.Value(1);
        if (c1 == nullptr) {
            continue;  // a search always names its first column
        }
        const int32_t expected =
            DbFindRow3Linear(table, c1, v1.c_str(), c2, v2.c_str(), c3, v3.c_str());
        ASSERT_EQ(DbFindRow3(table, c1, v1.c_str(), c2, v2.c_str(), c3, v3.c_str()), expected)
            << c1 << "=" << v1 << " " << (c2 ? c2 : "-") << "=" << v2 << " " << (c3 ? c3 : "-")
            << "=" << v3;
        ASSERT_EQ(DbFindRow(table, c1, v1.c_str(), c2, v2.c_str()),
                  DbFindRow3Linear(table, c1, v1.c_str(), c2, v2.c_str(), nullptr, nullptr));
        if (expected >= 0) {
            EXPECT_STREQ(DbGetCell(table, expected, c1), v1.c_str());
        }
    }
}

TEST_F(StoreTest, IndexedSearchesAgreeWithTheScanThroughAddsAndDeletes) {
    struct Case {
        unsigned seed;
        int dates;        // distinct first cells besides the three odd ones
        int initialRows;  // rows in the file read at open
        int operations;   // random appends and deletes afterwards
    };
    const Case cases[] = {
        {1, 3, 0, 300},      // grows from nothing, few keys: long chains
        {2, 20, 50, 400},    // mostly deletes and re-adds of a small table
        {3, 200, 500, 600},  // many keys, short chains
        {4, 1, 40, 200},     // nearly every row under one key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("seed " + std::to_string(c.seed));
        RandomRows world(c.seed, c.dates);
        std::string file = xeltest::kHeader;
        std::vector<Cells> model;  // the rows as the store must hold them, in order
        for (int r = 0; r < c.initialRows; ++r) {
            model.push_back(world.Row());
            file += LineOf(model.back()) + "\r\n";
        }
        DbTable* table = OpenWith(file + xeltest::kEndMark);
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(Rows(table), model);
        ExpectSearchesAgree(table, world, 200);

        for (int op = 0; op < c.operations; ++op) {
            // Deletes a little less often than appends, with indexes out of range too.
            if (world.Below(5) < 2 && !model.empty()) {
                const int row = world.Below(static_cast<int>(model.size()) + 2) - 1;
                DbDeleteRow(table, row);
                if (row >= 0 && row < static_cast<int>(model.size())) {
                    model[static_cast<size_t>(row)] = model.back();
                    model.pop_back();
                }
            } else {
                model.push_back(world.Row());
                DbAddRow(table, LineOf(model.back()));
            }
            ExpectSearchesAgree(table, world, 20);
        }
        ASSERT_EQ(Rows(table), model);

        // Saved, closed and read again, the rows come back in the same order and the
        // searches still agree.
        ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
        table = DbOpenTable("kelnova");
        ASSERT_EQ(Rows(table), model);
        ExpectSearchesAgree(table, world, 200);
        // Deleting every row from the front empties every chain.
        while (DbRowCount(table) > 0) {
            DbDeleteRow(table, 0);
        }
        EXPECT_EQ(DbFindRow(table, "DATE", "20080310", nullptr, nullptr), -1);
        EXPECT_EQ(DbFindRow(table, "DATE", "", nullptr, nullptr), -1);
        DbAddRow(table, "20080310,,,1,again,");
        EXPECT_EQ(DbFindRow(table, "DATE", "20080310", "INDEX", "1"), 0);
        ASSERT_EQ(DbCloseTable("kelnova", 0), 0);
    }
}

TEST_F(StoreTest, IndexedSearchFindsTheFirstOfRowsSharingADate) {
    // Rows of one date scattered by deletes: the search gives the lowest index that
    // matches, not the row added first.
    DbTable* table = OpenWith("");
    for (const char* line : {"d1,,,1,a,", "d2,,,1,b,", "d1,,,2,c,", "d1,,,1,d,", "d2,,,2,e,"}) {
        DbAddRow(table, line);
    }
    DbDeleteRow(table, 0);  // "d2,,,2,e," moves to row 0
    DbDeleteRow(table, 1);  // "d1,,,1,d," moves to row 1
    struct Case {
        const char* date;
        const char* index;
        int32_t row;
    };
    const Case cases[] = {
        {"d1", nullptr, 1}, {"d1", "1", 1},  {"d1", "2", 2},
        {"d2", nullptr, 0}, {"d2", "1", -1}, {"d3", nullptr, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DbFindRow(table, "DATE", c.date, c.index ? "INDEX" : nullptr, c.index), c.row)
            << c.date << " " << (c.index ? c.index : "-");
    }
    DbUseIndex(false);
    for (const Case& c : cases) {
        EXPECT_EQ(DbFindRow(table, "DATE", c.date, c.index ? "INDEX" : nullptr, c.index), c.row);
    }
    DbUseIndex(true);
}

}  // namespace
