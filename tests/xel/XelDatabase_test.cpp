#include "XelDatabase.h"

#include <gtest/gtest.h>

#include "XelTestSupport.h"

namespace {

using xeltest::kEndMark;
using xeltest::kHeader;
using xeltest::ReadBytes;
using xeltest::Rows;
using xeltest::StoreTest;
using xeltest::WriteBytes;
using Cells = std::vector<std::string>;

std::string Diag503(const char* column) {
    return std::string("comn\\xel\\XelDatabase(503):WARNING:Object file format is Iregural!!(") +
           column + ")\n";
}

TEST_F(StoreTest, SplitsRowLinesIntoCells) {
    struct Case {
        std::string line;
        Cells cells;
        int missing;  // cells filled in as empty, each with diagnostic 503
    };
    const Case cases[] = {
        {"a,b,c,d,e,f", {"a", "b", "c", "d", "e", "f"}, 0},
        {"a,b,c,d,e,", {"a", "b", "c", "d", "e", ""}, 0},
        {"x", {"x", "", "", "", "", ""}, 5},
        {"a,", {"a", "", "", "", "", ""}, 4},
        {"", {"", "", "", "", "", ""}, 5},
        {"1,2,3,4,5,6,7,8", {"1", "2", "3", "4", "5", "6"}, 0},
        {"a,\"b,c\",,d,e,f", {"a", "b,c", "", "d", "e", "f"}, 0},
        {"\"ab\"cd,e,,,,", {"ab", "e", "", "", "", ""}, 0},
        {"\"unclosed,x", {"unclosed,x", "", "", "", "", ""}, 5},
        {"a\"b\"c,d,e,f,g,h", {"b", "d", "e", "f", "g", "h"}, 0},
        {"a\nb,c,d,e,f,g", {"a", "c", "d", "e", "f", "g"}, 0},
        {std::string("a\0b,c,d,e,f,g", 13), {"a", "c", "d", "e", "f", "g"}, 0},
        {"\"\",,,,,", {"", "", "", "", "", ""}, 0},
    };
    DbTable* table = OpenWith("");
    ASSERT_NE(table, nullptr);
    for (const Case& c : cases) {
        DbCloseTable("kelnova", 0);
        table = DbOpenTable("kelnova");
        testing::internal::CaptureStdout();
        DbAddRow(table, c.line);
        std::string out = testing::internal::GetCapturedStdout();
        ASSERT_EQ(DbRowCount(table), 1);
        EXPECT_EQ(Rows(table)[0], c.cells) << c.line;
        std::string expected;
        for (int i = 6 - c.missing; i < 6; ++i) {
            expected += Diag503(table->columnNames[i]);
        }
        EXPECT_EQ(out, expected) << c.line;
    }
}

TEST_F(StoreTest, MissingFileIsCreatedEmptyAndSavedAsFourLines) {
    testing::internal::CaptureStdout();
    DbTable* table = DbOpenTable("kelnova");
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(xeltest::Slashed(out),
              xeltest::Slashed("comn\\xel\\XelDatabase(108):WARNING:Table File is not Found (" +
                               TablePath().string() + ")!!\n"));
    EXPECT_EQ(table->loaded, 1);
    EXPECT_EQ(DbRowCount(table), 0);
    EXPECT_EQ(ReadBytes(TablePath()), "");
    EXPECT_EQ(DbCloseTable("kelnova", 1), 0);
    EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) + kEndMark);
}

// A table name that is a symbolic link to a file not there yet: the file is made where
// the link points and the link stays, as a save through the link keeps it.
TEST_F(StoreTest, DanglingLinkGetsItsTargetCreated) {
    if (!xeltest::kPosixFiles) {
        GTEST_SKIP() << "no symbolic links on Windows";
    }
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        const char* target;  // relative to the test folder, which holds "real/"
        bool opens;
    };
    const Case cases[] = {
        {"target in an existing folder", "real/data.txt", true},
        {"target in a folder that does not exist", "nowhere/data.txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbCloseTable("kelnova", 0);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "real");
        fs::create_symlink(m_dir / c.target, TablePath());

        testing::internal::CaptureStdout();
        DbTable* table = DbOpenTable("kelnova");
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string path = TablePath().string();
        std::string expected =
            "comn\\xel\\XelDatabase(108):WARNING:Table File is not Found (" + path + ")!!\n";
        if (!c.opens) {
            expected += "comn\\xel\\XelDatabase(111):Can't Create Table File (" + path + ")!!\n";
        }
        EXPECT_EQ(out, expected);
        EXPECT_EQ(table != nullptr, c.opens);
        EXPECT_TRUE(fs::is_symlink(TablePath()));
        EXPECT_EQ(fs::exists(m_dir / c.target), c.opens);
        if (table != nullptr) {
            EXPECT_EQ(ReadBytes(m_dir / c.target), "");
            DbAddRow(table, "20070305,,,1,x,");
            ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
            EXPECT_TRUE(fs::is_symlink(TablePath()));
            EXPECT_EQ(ReadBytes(m_dir / c.target),
                      std::string(kHeader) + "20070305,,,1,x,\r\n" + kEndMark);
        }
    }
}

TEST_F(StoreTest, FolderThatDoesNotExistFailsAndCreatesNothing) {
    DbKelnovaRegistry().dataFolder = (m_dir / "nowhere").string() + "/";
    testing::internal::CaptureStdout();
    EXPECT_EQ(DbOpenTable("kelnova"), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    const std::string path = (m_dir / "nowhere" / "kelnova.txt").string();
    EXPECT_EQ(xeltest::Slashed(out),
              xeltest::Slashed("comn\\xel\\XelDatabase(108):WARNING:Table File is not Found (" +
                               path + ")!!\ncomn\\xel\\XelDatabase(111):Can't Create Table File (" +
                               path + ")!!\n"));
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_EQ(DbFindTable("kelnova")->loaded, 0);
}

TEST_F(StoreTest, DataFolderThatIsAFileFailsAndChangesNothing) {
    const std::filesystem::path file = m_dir / "plain";
    xeltest::WriteBytes(file, "not a folder");
    DbKelnovaRegistry().dataFolder = file.string() + "/";
    testing::internal::CaptureStdout();
    EXPECT_EQ(DbOpenTable("kelnova"), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("(111):Can't Create Table File"), std::string::npos) << out;
    EXPECT_EQ(ReadBytes(file), "not a folder");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"plain"});
}

TEST_F(StoreTest, UnreadableTableIsNeverEmptied) {
    // A folder where the file should be: it exists but cannot be read as a table.
    std::filesystem::create_directory(TablePath());
    testing::internal::CaptureStdout();
    EXPECT_EQ(DbOpenTable("kelnova"), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("(118):Can't Open Table File"), std::string::npos) << out;
    EXPECT_TRUE(std::filesystem::is_directory(TablePath()));
}

// A table file reporting a size far beyond the memory (as a damaged file system may) is a
// file that cannot be opened, not a crash; the file stays as it is.
TEST_F(StoreTest, TableLargerThanTheMemoryFailsAndIsLeftAlone) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer stops the process at an allocation this large";
#endif
    if (ReadBytes("/proc/sys/vm/overcommit_memory").substr(0, 1) == "1") {
        GTEST_SKIP() << "the kernel grants any allocation here; the read would run for hours";
    }
    const std::uintmax_t huge = std::uintmax_t{1} << 42;  // 4 TiB, sparse
    WriteBytes(TablePath(), "20070305,0930,1000,1,x,\r\n");
    std::error_code error;
    std::filesystem::resize_file(TablePath(), huge, error);
    if (error) {
        GTEST_SKIP() << "no sparse file of 4 TiB here: " << error.message();
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(DbOpenTable("kelnova"), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(xeltest::Slashed(out),
              xeltest::Slashed("comn\\xel\\XelDatabase(118):Can't Open Table File (" +
                               TablePath().string() + ")!!\n"));
    EXPECT_EQ(std::filesystem::file_size(TablePath()), huge);
    std::filesystem::resize_file(TablePath(), 25);
    DbTable* table = DbOpenTable("kelnova");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Rows(table), (std::vector<Cells>{{"20070305", "0930", "1000", "1", "x", ""}}));
}

TEST_F(StoreTest, WritesTheExactFileBytes) {
    DbTable* table = OpenWith("");
    DbAddRow(table, "20070305,0930,1000,1,Meeting,");
    DbAddRow(table, "a,\"b,c\",,,,");
    EXPECT_EQ(DbWriteTable("kelnova"), 0);
    EXPECT_EQ(ReadBytes(TablePath()), std::string(kHeader) +
                                          "20070305,0930,1000,1,Meeting,\r\n"
                                          "a,\"b,c\",,,,\r\n" +
                                          kEndMark);
}

TEST_F(StoreTest, ReadsCommentsEmptyLinesAndRowsAfterTheEndMark) {
    DbTable* table = OpenWith(std::string(kHeader) +
                              "\r\n"
                              "# note\r\n"
                              "1,,,,,\n"
                              "\n" +
                              kEndMark + "2,,,,,\r\n# tail\r\n3,,,,,");
    ASSERT_NE(table, nullptr);
    std::vector<std::string> dates;
    for (const Cells& row : Rows(table)) {
        dates.push_back(row[0]);
    }
    EXPECT_EQ(dates, (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(StoreTest, CrLfAndLfFilesReadTheSame) {
    WriteBytes(TablePath(), ReadBytes(std::string(PEMDARO_TEST_DATA) + "/kelnova_crlf.txt"));
    auto crlf = Rows(DbOpenTable("kelnova"));
    DbCloseTable("kelnova", 0);
    WriteBytes(TablePath(), ReadBytes(std::string(PEMDARO_TEST_DATA) + "/kelnova_lf.txt"));
    auto lf = Rows(DbOpenTable("kelnova"));
    EXPECT_EQ(crlf.size(), 9u);
    EXPECT_EQ(crlf, lf);
    // 表 is 0x95 0x5C: its second byte is a backslash and must survive as it is.
    EXPECT_NE(crlf[8][4].find("\x95\x5C"), std::string::npos);
}

TEST_F(StoreTest, OpeningTwiceReturnsTheLoadedTable) {
    DbTable* first = OpenWith(std::string(kHeader) + "1,,,,,\r\n" + kEndMark);
    DbAddRow(first, "2,,,,,");
    WriteBytes(TablePath(), std::string(kHeader) + kEndMark);
    DbTable* second = DbOpenTable("kelnova");
    EXPECT_EQ(first, second);
    EXPECT_EQ(DbRowCount(second), 2);
}

TEST_F(StoreTest, CloseWithoutSavingLeavesTheFileAndReadsItAgainLater) {
    const std::string bytes = std::string(kHeader) + "1,,,,,\n" + kEndMark;
    DbTable* table = OpenWith(bytes);
    DbAddRow(table, "2,,,,,");
    EXPECT_EQ(DbCloseTable("kelnova", 0), 0);
    EXPECT_EQ(table->loaded, 0);
    EXPECT_EQ(DbRowCount(table), 0);
    EXPECT_EQ(ReadBytes(TablePath()), bytes);
    EXPECT_EQ(DbCloseTable("kelnova", 1), 0);  // not loaded: nothing happens
    EXPECT_EQ(ReadBytes(TablePath()), bytes);
    EXPECT_EQ(DbRowCount(DbOpenTable("kelnova")), 1);
    // Any save flag but exactly 1 skips the write.
    DbAddRow(table, "3,,,,,");
    EXPECT_EQ(DbCloseTable("kelnova", 2), 0);
    EXPECT_EQ(ReadBytes(TablePath()), bytes);
}

TEST_F(StoreTest, DeleteMovesTheLastRowIntoTheHole) {
    DbTable* table = OpenWith("");
    for (const char* line : {"W", "X", "Y", "Z"}) {
        testing::internal::CaptureStdout();
        DbAddRow(table, line);
        testing::internal::GetCapturedStdout();
    }
    auto firstCells = [&] {
        std::string s;
        for (const Cells& row : Rows(table)) {
            s += row[0];
        }
        return s;
    };
    DbDeleteRow(table, 1);
    EXPECT_EQ(firstCells(), "WZY");
    DbDeleteRow(table, -1);
    DbDeleteRow(table, 3);
    EXPECT_EQ(firstCells(), "WZY");
    DbDeleteRow(table, 2);
    EXPECT_EQ(firstCells(), "WZ");
    DbDeleteRow(table, 0);
    DbDeleteRow(table, 0);
    EXPECT_EQ(DbRowCount(table), 0);
    DbDeleteRow(table, 0);
    EXPECT_EQ(DbRowCount(table), 0);
}

TEST_F(StoreTest, FindsTheFirstMatchingRow) {
    DbTable* table = OpenWith(std::string(kHeader) +
                              "20070305,,,1,a,\r\n"
                              "20070305,,,0,p,\r\n"
                              "20070306,,,1,b,\r\n"
                              "20070305,0900,,1,c,\r\n"
                              "20070305,,,,,1\r\n");
    struct Case {
        const char *c1, *v1, *c2, *v2, *c3, *v3;
        int32_t row;
    };
    const Case cases[] = {
        {"DATE", "20070305", nullptr, nullptr, nullptr, nullptr, 0},
        {"DATE", "20070305", "INDEX", "0", nullptr, nullptr, 1},
        {"DATE", "20070306", "INDEX", "1", nullptr, nullptr, 2},
        {"DATE", "20070305", "INDEX", "1", "FROM_TIME", "0900", 3},
        {"DATE", "20070305", nullptr, nullptr, "INDEX", "0", 0},  // third pair ignored
        {"DATE", "20070305", "SYUKUJITU", "1", nullptr, nullptr, 4},
        {"DATE", "20070307", nullptr, nullptr, nullptr, nullptr, -1},
        {"DATE", "2007030", nullptr, nullptr, nullptr, nullptr, -1},
        {"NOPE", "", nullptr, nullptr, nullptr, nullptr, 0},  // unknown column reads as ""
        {"NOPE", "x", nullptr, nullptr, nullptr, nullptr, -1},
        {"DATE", "20070306", "NOPE", "", nullptr, nullptr, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DbFindRow3(table, c.c1, c.v1, c.c2, c.v2, c.c3, c.v3), c.row)
            << c.c1 << "=" << c.v1;
        if (c.c3 == nullptr) {
            EXPECT_EQ(DbFindRow(table, c.c1, c.v1, c.c2, c.v2), c.row);
        }
    }
}

TEST_F(StoreTest, GetCellGivesTheSharedEmptyTextWhenThereIsNoCell) {
    DbTable* table = OpenWith(std::string(kHeader) + "20070305,0930,,1,x,\r\n");
    EXPECT_STREQ(DbGetCell(table, 0, "FROM_TIME"), "0930");
    const char* empty = DbGetCell(table, 0, "NOPE");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(DbGetCell(table, -1, "DATE"), empty);
    EXPECT_EQ(DbGetCell(table, 1, "DATE"), empty);
}

TEST(DbJoinFieldTest, ComposesRowLines) {
    struct Case {
        std::vector<std::string> cells;
        std::string line;
    };
    const Case cases[] = {
        {{"a", "b,c", ""}, "a,\"b,c\","},
        {{"", ""}, ","},
        {{"x"}, "x"},
        {{"a", "say \"hi\""}, "a,say \xFA\x57hi\xFA\x57"},
        {{"a", "two\r\nlines\nhere"}, "a,two lines here"},
        {{"a", "lone\rcr"}, "a,lone\rcr"},
        {{"#tag", "#x"}, "\"#tag\",#x"},
        {{"\x95\x5C", "\x83\x5C,"}, "\x95\x5C,\"\x83\x5C,\""},  // 表 and ソ end in 0x5C
    };
    for (const Case& c : cases) {
        DbLine line;
        for (const std::string& cell : c.cells) {
            DbJoinField(line, cell);
        }
        EXPECT_EQ(line.text, c.line);
    }
}

// Whatever a file holds, what the store writes reads back as the same rows, and writing
// those rows again gives the same bytes.
TEST_F(StoreTest, EveryDataFileRoundTrips) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PEMDARO_TEST_DATA)) {
        if (entry.path().extension() != ".txt") {
            continue;
        }
        ++files;
        testing::internal::CaptureStdout();
        WriteBytes(TablePath(), ReadBytes(entry.path()));
        auto first = Rows(DbOpenTable("kelnova"));
        ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
        const std::string written = ReadBytes(TablePath());
        auto second = Rows(DbOpenTable("kelnova"));
        ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(first, second) << entry.path();
        EXPECT_EQ(ReadBytes(TablePath()), written) << entry.path();
    }
    EXPECT_GE(files, 5);
}

TEST_F(StoreTest, RowsTheFileCannotCarryAreWrittenSoTheyReadBack) {
    DbTable* table = OpenWith("");
    for (const char* text : {"say \"hi\"", "a\r\nb", "#1", "x,y", "end\r"}) {
        DbLine line;
        DbJoinField(line, text);
        for (const char* cell : {"", "", "1", text, ""}) {
            DbJoinField(line, cell);
        }
        DbAddRow(table, line.text);
    }
    auto before = Rows(table);
    ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
    EXPECT_EQ(Rows(DbOpenTable("kelnova")), before);
    EXPECT_EQ(before[0][4], "say \xFA\x57hi\xFA\x57");
}

TEST_F(StoreTest, LongLinesAreReadWhole) {
    const std::string text(10 * 1024 * 1024, 'x');
    DbTable* table = OpenWith(std::string(kHeader) + "20070305,,,1," + text + ",\r\n");
    ASSERT_EQ(DbRowCount(table), 1);
    EXPECT_EQ(std::string(DbGetCell(table, 0, "YOTEI")).size(), text.size());
    EXPECT_STREQ(DbGetCell(table, 0, "SYUKUJITU"), "");

    const std::string line2047 = "20070306,,,1," + std::string(2047 - 14, 'y') + ",";
    DbAddRow(table, line2047);
    ASSERT_EQ(DbCloseTable("kelnova", 1), 0);
    EXPECT_NE(ReadBytes(TablePath()).find(line2047 + "\r\n"), std::string::npos);
}

TEST_F(StoreTest, SaveKeepsPermissionBitsAndSymbolicLinks) {
    if (!xeltest::kPosixFiles) {
        GTEST_SKIP() << "no mode bits or symbolic links on Windows";
    }
    namespace fs = std::filesystem;
    fs::create_directory(m_dir / "real");
    const fs::path target = m_dir / "real" / "data.txt";
    WriteBytes(target, std::string(kHeader) + kEndMark);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, TablePath());

    DbTable* table = DbOpenTable("kelnova");
    DbAddRow(table, "20070305,,,1,x,");
    ASSERT_EQ(DbWriteTable("kelnova"), 0);

    EXPECT_TRUE(fs::is_symlink(TablePath()));
    EXPECT_EQ(ReadBytes(target), std::string(kHeader) + "20070305,,,1,x,\r\n" + kEndMark);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "real"), fs::directory_iterator()), 1);
}

}  // namespace
