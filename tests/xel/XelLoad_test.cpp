// Rows read from a file are split where the file's bytes lie, most of them on a fast path
// for lines without quotes; rows are saved with a fast path for cells that need no
// quoting. Both must give exactly what the field splitter and DbJoinField give.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "XelDatabase.h"
#include "XelTestSupport.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::Rows;
using xeltest::StoreTest;
using Cells = std::vector<std::string>;

// The file the table's rows make when each is joined cell by cell, between the header and
// the end mark: what a save must write whatever path it takes.
std::string JoinedFile(DbTable* table) {
    std::string file = kHeader;
    for (const Cells& row : Rows(table)) {
        DbLine line;
        for (const std::string& text : row) {
            DbJoinField(line, text);
        }
        file += line.text + "\r\n";
    }
    return file + kEndMark;
}

// Rows and the diagnostics printed while they were made.
struct Made {
    std::vector<Cells> rows;
    std::string diagnostics;
    bool opened = true;
};

class ReferenceTest : public StoreTest {
  protected:
    // What DbAddRow makes of the lines, added one by one to a table of their own.
    Made AddedRows(const std::vector<std::string>& lines) {
        DbCloseTable("kelnova", 0);
        DbTable* table = OpenWith("");
        testing::internal::CaptureStdout();
        for (const std::string& line : lines) {
            DbAddRow(table, line);
        }
        Made made{Rows(table), testing::internal::GetCapturedStdout()};
        DbCloseTable("kelnova", 0);
        return made;
    }
    // What opening a file of these bytes makes; the table stays open.
    Made OpenedRows(const std::string& file) {
        DbCloseTable("kelnova", 0);
        testing::internal::CaptureStdout();
        DbTable* table = OpenWith(file);
        const std::string diagnostics = testing::internal::GetCapturedStdout();
        if (table == nullptr) {
            return Made{{}, diagnostics, false};
        }
        return Made{Rows(table), diagnostics};
    }
};

TEST_F(ReferenceTest, LinesReadFromTheFileSplitAsAddedRowsDo) {
    const std::string lines[] = {
        "a,b,c,d,e,f",
        "20070305,0930,1000,1,\x89\xEF\x8B\x63,",  // 会議
        "a,b,c,d,e,",
        "x",
        "a,",
        "1,2,3,4,5,6,7,8",
        "1,2,3,4,5,6,\"7,8\"",
        "a,\"b,c\",,d,e,f",
        "\"ab\"cd,e,,,,",
        "\"unclosed,x",
        "a\"b\"c,d,e,f,g,h",
        std::string("a\0b,c,d,e,f,g", 13),
        "a\tb,c\x7F,d,e,f,g",
        "lone\rcr,b,c,d,e,f",
        "\"\",,,,,",
        ",,,,,",
        ",,,,",
        // Longer than a block of sixteen bytes, commas on both sides of the border.
        "20070305,0930,1000,1,0123456789abcdef0123456789,",
        "0123456789abcde,0123456789abcd,,x,0123456789abcdef0123,end",
        "0123456789abcdef,0123456789abcdef,0123456789abcdef,\"q\",e,f",
        std::string(40, 'y') + ",,,,," + std::string(20, 'z'),
        // One field of every byte that ends or splits nothing, each five times over: a
        // scan that took any of them for a comma would take the line for six fields.
        [] {
            std::string line;
            for (int c = 1; c < 256; ++c) {
                if (c != '\n' && c != '\r' && c != ',' && c != '"') {
                    line.append(5, static_cast<char>(c));
                }
            }
            return line;
        }(),
    };
    const char* const endings[] = {"\r\n", "\n", ""};
    for (const std::string& line : lines) {
        const Made expected = AddedRows({line});
        for (const char* ending : endings) {
            // The line between two plain rows, or last in the file without a line end.
            const bool last = std::string(ending).empty();
            const std::string file = std::string(kHeader) + "p,q,r,s,t,u\r\n" + line + ending +
                                     (last ? "" : std::string("v,w,x,y,z,0\r\n") + kEndMark);
            const Made read = OpenedRows(file);
            ASSERT_TRUE(read.opened);
            const std::vector<Cells>& rows = read.rows;
            ASSERT_EQ(rows.size(), last ? 2u : 3u) << line;
            EXPECT_EQ(rows[0], (Cells{"p", "q", "r", "s", "t", "u"})) << line;
            EXPECT_EQ(rows[1], expected.rows[0]) << line << " ending " << last;
            if (!last) {
                EXPECT_EQ(rows[2], (Cells{"v", "w", "x", "y", "z", "0"})) << line;
            }
            EXPECT_EQ(read.diagnostics, expected.diagnostics) << line;
        }
    }
}

// Whole files of random lines, long and short, so that lines, quotes, CR LF pairs and
// commas fall on every side of the reader's 64-byte blocks and 16 KiB windows: the rows,
// their order and the diagnostics must be what adding each line gives, every search
// must agree with the scan, and the file saved must be the rows' cells joined.
TEST_F(ReferenceTest, RandomFilesReadAsTheirLinesAdded) {
    const std::vector<std::string> pieces = {"20070305",
                                             "0930",
                                             "",
                                             "1",
                                             "\x89\xEF\x8B\x63",
                                             "\"a,b\"",
                                             "\"ab\"cd",
                                             "a\"b\"c",
                                             "\"",
                                             std::string("n\0l", 3),
                                             "lone\rcr",
                                             "\t",
                                             "#",
                                             "\x95\x5C",
                                             "x,y",
                                             ",",
                                             std::string(63, 'w'),
                                             std::string(200, 'L')};
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        auto below = [&](size_t n) {
            return std::uniform_int_distribution<size_t>(0, n - 1)(random);
        };
        std::string file;
        std::vector<std::string> rowLines;  // as the store sees them, line breaks taken off
        for (int l = 0; l < 1500; ++l) {
            std::string line;
            const size_t kind = below(20);
            if (kind == 0) {
                line = below(2) == 0 ? "" : "# comment, with a comma";
            } else if (kind == 1) {
                line = std::string(1 + below(40000), 'z');  // over one or more windows
                for (int c = 0; c < 6; ++c) {
                    line[below(line.size())] = ',';
                }
            } else {
                const size_t cells = kind == 2 ? below(5) : 6 + below(2);
                for (size_t c = 0; c < cells; ++c) {
                    line += c == 0 ? "" : ",";
                    for (size_t n = below(3); n > 0; --n) {
                        line += pieces[below(pieces.size())];
                    }
                }
                if (!line.empty() && line[0] == '#') {
                    line[0] = '+';  // comments are made above
                }
            }
            const char* const endings[] = {"\r\n", "\n", "\r\r\n"};
            const std::string ending = endings[below(3)];
            file += line + ending;
            // The store takes off the line feed and the CR right before it.
            const std::string stored = ending == "\r\r\n" ? line + "\r" : line;
            if (!stored.empty() && stored[0] != '#') {
                rowLines.push_back(stored);
            }
        }
        const Made added = AddedRows(rowLines);
        const std::vector<Cells>& expected = added.rows;
        const Made read = OpenedRows(file);
        ASSERT_TRUE(read.opened);
        DbTable* table = DbFindTable("kelnova");
        ASSERT_EQ(read.rows.size(), expected.size()) << "seed " << seed;
        for (size_t r = 0; r < read.rows.size(); ++r) {
            // One row at a time: a mismatch names its line, not the whole table.
            ASSERT_EQ(read.rows[r], expected[r]) << "seed " << seed << " line " << rowLines[r];
        }
        EXPECT_EQ(read.diagnostics, added.diagnostics) << "seed " << seed;
        for (size_t r = 0; r < expected.size(); r += 7) {
            const char* date = expected[r][0].c_str();
            const char* slot = expected[r][3].c_str();
            EXPECT_EQ(DbFindRow(table, "DATE", date, "INDEX", slot),
                      DbFindRow3Linear(table, "DATE", date, "INDEX", slot, nullptr, nullptr))
                << "seed " << seed << " row " << r;
        }
        // Saved, the rows are their cells joined, whatever lay around them.
        std::string saved = kHeader;
        for (const Cells& row : expected) {
            DbLine line;
            for (const std::string& text : row) {
                DbJoinField(line, text);
            }
            saved += line.text + "\r\n";
        }
        ASSERT_EQ(DbWriteTable("kelnova"), 0);
        EXPECT_EQ(ReadBytes(TablePath()), saved + kEndMark) << "seed " << seed;
    }
}

TEST_F(StoreTest, OnlyTheCrOfALineBreakGoes) {
    DbTable* table = OpenWith(std::string(kHeader) + "a,b,c,d,e,\r\r\n" + "a,b,c,d,e,\r");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Rows(table), (std::vector<Cells>{{"a", "b", "c", "d", "e", "\r"},
                                               {"a", "b", "c", "d", "e", "\r"}}));
}

TEST_F(StoreTest, FilesShorterThanABlockAreRead) {
    // A file held in the string itself (no heap) must still give rows that stay put.
    for (const std::string file : {"a,b,c,d,e,f", "a,b\n", "1,,,,,\r\n2,,,,,"}) {
        DbCloseTable("kelnova", 0);
        testing::internal::CaptureStdout();
        DbTable* table = OpenWith(file);
        testing::internal::GetCapturedStdout();
        ASSERT_NE(table, nullptr);
        const std::vector<Cells> rows = Rows(table);
        for (int i = 0; i < 50; ++i) {
            DbAddRow(table, "filler,,,,,");  // the table grows; the first rows stay
        }
        for (size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(Rows(table)[r], rows[r]) << file;
        }
    }
}

// Random cells of every kind the store may hold, saved beside rows read from the file;
// the file must be each row's cells joined by DbJoinField, in row order.
TEST_F(StoreTest, SavedLinesAreTheCellsJoined) {
    std::mt19937 random(11);
    const std::vector<std::string> pieces = {"",
                                             "a",
                                             "20070305",
                                             "0930",
                                             "\x89\xEF\x8B\x63",
                                             "x,y",
                                             "say \"hi\"",
                                             "\r\n",
                                             "\n",
                                             "\r",
                                             "#tag",
                                             "\x95\x5C",
                                             "\t",
                                             std::string(70, 'w'),
                                             ",",
                                             std::string(600, 'L')};
    auto cell = [&] {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(0, 2)(random); i > 0; --i) {
            text += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
        }
        return text;
    };
    DbTable* table =
        OpenWith(std::string(kHeader) + "20070305,0930,1000,1,plain,\r\n" + "a,\"b,c\",,,,\r\n" +
                 "20070306,,,0,\x89\xEF\x8B\x63,\r\n" + kEndMark);
    for (int r = 0; r < 300; ++r) {
        DbLine line;
        for (int c = 0; c < 6; ++c) {
            DbJoinField(line, cell());
        }
        DbAddRow(table, line.text);
    }
    DbDeleteRow(table, 1);
    const std::string expected = JoinedFile(table);
    const auto before = Rows(table);
    ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
    EXPECT_EQ(ReadBytes(TablePath()), expected);
    EXPECT_EQ(Rows(DbOpenTable("kelnova")), before);
}

// The save copies a row whose bytes, as read, already are its line, and composes any
// other: the file written must be, byte for byte, every row's cells joined by DbJoinField,
// whatever the file read held around and inside its rows, and after deletes (the last row
// moves into the hole) and appends.
TEST_F(StoreTest, SavedFileIsTheRowsJoinedWhateverTheFileRead) {
    const std::string date = "20070305";
    const std::string long1 = std::string(1500, 'L');  // longer than a composed line's room
    struct Case {
        const char* name;
        std::string file;
    };
    std::vector<Case> cases = {
        {"crlf rows", "20070305,0930,1000,1,a,\r\n20070306,,,0,\x89\xEF\x8B\x63,\r\n"},
        {"lf rows", "20070305,0930,1000,1,a,\n20070306,,,0,b,\n"},
        {"mixed ends", "a,b,c,d,e,f\r\ng,h,i,j,k,l\nm,n,o,p,q,r\r\n"},
        {"no last break", "a,b,c,d,e,f\r\ng,h,i,j,k,l"},
        {"cr cr lf", "a,b,c,d,e,f\r\r\ng,h,i,j,k,l\r\n"},
        {"cr alone", "a,b,c,d,e,f\rg,h,i,j,k,l\r"},
        {"quoted cells", "a,\"b,c\",,d,e,f\r\n\"#x\",1,2,3,4,5\r\n\"ab\"cd,e,,,,\r\n"},
        {"empty cells", ",,,,,\r\n,,,,,\r\n" + date + ",,,,,\r\n"},
        {"extra cells", "1,2,3,4,5,6,7,8\r\n1,2,3,4,5,6,\r\n1,2,3,4,5,,\n,,,,,,,\r\n"},
        {"missing cells", "a,b\r\nx\r\n,,,,\r\na,b,c,d,e,f\r\n"},
        {"comments between", "a,b,c,d,e,f\r\n# c\r\n\r\n\ng,h,i,j,k,l\r\n#\r\nm,,,,,\r\n"},
        {"empty line after lf", "a,b,c,d,e,f\n\ng,h,i,j,k,l\r\n"},
        {"nul and lone cr", std::string("a\0b,c,d,e,f,g\r\nlone\rcr,b,c,d,e,f\r\n", 34)},
        {"long rows", long1 + ",,,,,\r\n" + date + ",," + long1 + ",1,x,\r\nz,,,,,\r\n"},
        {"rows over block borders",
         "0123456789abcde,0123456789abcd,,x,0123456789abcdef0123,end\r\n"
         "0123456789abcdef,0123456789abcdef,0123456789abcdef,q,e,f\r\n"
         "0123456789abcd,f,,,,\r\n0123456789ab,f,,,,\r\n"},
    };
    for (const auto& entry : std::filesystem::directory_iterator(PEMDARO_TEST_DATA)) {
        if (entry.path().extension() == ".txt") {
            cases.push_back({"data file", ReadBytes(entry.path())});
        }
    }
    // A table as the program writes it, with every kind of row it holds.
    std::mt19937 random(5);
    std::string big = kHeader;
    const char* const texts[] = {"\x89\xEF\x8B\x63", "\"\x95\x5C,x\"", "", "1", "ab"};
    for (int r = 0; r < 3000; ++r) {
        big += std::to_string(20070305 + r / 10) + "," + (r % 3 == 0 ? "0930,1000" : ",") + "," +
               std::to_string(r % 6) + "," + texts[random() % 5] + "," + (r % 40 == 0 ? "1" : "") +
               "\r\n";
    }
    cases.push_back({"program's table", big + kEndMark});
    for (const Case& c : cases) {
        for (int edits = 0; edits < 2; ++edits) {
            SCOPED_TRACE(std::string(c.name) + (edits == 1 ? ", edited" : ""));
            DbCloseTable("kelnova", 0);
            testing::internal::CaptureStdout();
            DbTable* table = OpenWith(c.file);
            testing::internal::GetCapturedStdout();
            ASSERT_NE(table, nullptr);
            if (edits == 1) {
                for (int32_t r = 0; r < DbRowCount(table); r += 3) {
                    DbDeleteRow(table, r);
                }
                DbAddRow(table, "20070305,0930,1000,1,added,");
                DbAddRow(table, "added,\"x,y\",,,,");
            }
            const std::string expected = JoinedFile(table);
            ASSERT_EQ(DbWriteTable("kelnova"), 0);
            EXPECT_EQ(ReadBytes(TablePath()), expected);
        }
    }
}

}  // namespace
