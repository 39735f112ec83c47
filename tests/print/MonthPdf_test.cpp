#include "MonthPdf.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its configuration and the fonts it found until FcFini, which pango
// never calls: memory held for the run, which the leak checker would report at exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace {

namespace fs = std::filesystem;

const char kTable[] =
    "# X-- Database Version 1.0\r\n"
    "# Table Name : kelnova\r\n"
    "# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n"
    "20261208,0930,1000,1,Meeting,\r\n"
    "20261208,,,,,1\r\n"
    "# [END OF FILE]\r\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every file under the folder with its bytes, to see that nothing was created, removed
// or changed.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] = entry.is_regular_file() ? ReadAll(entry.path()) : "<dir>";
    }
    return files;
}

// A working folder holding kelnova.ini (DATA_DIR=data/) and the data folder with its
// table; the command runs from it.
class PdfCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_old = fs::current_path();
        m_work = fs::temp_directory_path() / ("pemdaro-pdf-" + std::to_string(::getpid()));
        fs::remove_all(m_work);
        fs::create_directories(m_work / "data");
        WriteAll(m_work / "data" / "kelnova.txt", kTable);
        // A temporary file of a save by a process that is gone: a window copy would remove
        // it, reading for the PDF must not.
        WriteAll(m_work / "data" / "kelnova.txt.tmp-999999999-1", "half a save");
        WriteAll(m_work / "kelnova.ini", "DATA_DIR=" + (m_work / "data").string() + "/\r\n");
        fs::current_path(m_work);
    }
    void TearDown() override {
        fs::current_path(m_old);
        fs::remove_all(m_work);
    }

    fs::path m_old;
    fs::path m_work;
};

TEST_F(PdfCommandTest, WritesTheWholePageOrNothingAndNeverTouchesTheTable) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> prepare;  // changes the working folder first
        std::vector<std::string> args;
        int status;
        const char* message;  // a part of the message on err; "" for none
    };
    const auto none = [](const fs::path&) {};
    const Case cases[] = {
        {"a month with its table", none, {"2026-12", "out.pdf"}, 0, ""},
        {"a month without a leading zero", none, {"2026-1", "out.pdf"}, 0, ""},
        {"a month past December", none, {"2026-13", "out.pdf"}, 2, "\"2026-13\""},
        {"month zero", none, {"2026-00", "out.pdf"}, 2, "\"2026-00\""},
        {"a two-digit year", none, {"26-12", "out.pdf"}, 2, "\"26-12\""},
        {"a year before 1000", none, {"0999-12", "out.pdf"}, 2, "\"0999-12\""},
        {"a slash", none, {"2026/12", "out.pdf"}, 2, "\"2026/12\""},
        {"letters after the month", none, {"2026-1x", "out.pdf"}, 2, "\"2026-1x\""},
        {"no file", none, {"2026-12"}, 2, "使い方"},
        {"a third operand", none, {"2026-12", "out.pdf", "more"}, 2, "使い方"},
        {"a folder that does not exist",
         none,
         {"2026-12", "nowhere/out.pdf"},
         1,
         "nowhere/out.pdf"},
        {"a folder as the file",
         [](const fs::path& w) { fs::create_directory(w / "dir.pdf"); },
         {"2026-12", "dir.pdf"},
         1,
         "dir.pdf"},
        {"the table itself as the file",
         none,
         {"2026-12", "data/kelnova.txt"},
         2,
         "データファイル"},
        {"the table through a link",
         [](const fs::path& w) { fs::create_symlink(w / "data" / "kelnova.txt", w / "link.pdf"); },
         {"2026-12", "link.pdf"},
         2,
         "データファイル"},
        {"no table",
         [](const fs::path& w) { fs::remove(w / "data" / "kelnova.txt"); },
         {"2026-12", "out.pdf"},
         1,
         "がありません"},
        {"a data folder that does not exist",
         [](const fs::path& w) {
             WriteAll(w / "kelnova.ini", "DATA_DIR=" + (w / "gone").string());
         },
         {"2026-12", "out.pdf"},
         1,
         "がありません"},
        {"another program's file",
         [](const fs::path& w) { WriteAll(w / "data" / "kelnova.txt", "<html>\n"); },
         {"2026-12", "out.pdf"},
         1,
         "予定表の形式ではありません"},
        {"a DATA_DIR that is not CP932",
         [](const fs::path& w) { WriteAll(w / "kelnova.ini", "DATA_DIR=\x81\xff/\r\n"); },
         {"2026-12", "out.pdf"},
         1,
         "DATA_DIR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        // An older PDF stands where the new one goes: replaced whole, or left as it was.
        WriteAll(m_work / "out.pdf", "older");
        c.prepare(m_work);
        const auto before = Snapshot(m_work);

        std::ostringstream err;
        EXPECT_EQ(RunPdfCommand(c.args, err), c.status);
        if (c.status == 0) {
            EXPECT_EQ(err.str(), "");
            EXPECT_EQ(ReadAll(m_work / "out.pdf").substr(0, 5), "%PDF-");
            // Nothing else changed: the table, the stale temporary file, no lock, no
            // backup, no temporary file of the PDF left.
            auto after = Snapshot(m_work);
            auto expected = before;
            after.erase((m_work / "out.pdf").string());
            expected.erase((m_work / "out.pdf").string());
            EXPECT_EQ(after, expected);
        } else {
            EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
            EXPECT_EQ(Snapshot(m_work), before);
        }
    }
}

TEST(PlaceOnPageTest, TheMonthFitsTheA4PageInsideItsMargins) {
    const MonthLayout layout;
    const PagePlacement place = PlaceOnPage(kPdfPageWidth, kPdfPageHeight, kPdfMargin,
                                            layout.ClientWidth(), layout.ClientHeight());
    // 770 pixels across 595 - 2 x 28 points: the width decides.
    EXPECT_DOUBLE_EQ(place.scale, 0.7);
    EXPECT_DOUBLE_EQ(place.left, 28);
    EXPECT_DOUBLE_EQ(place.top, 28);
    // A tall area: the height decides, centred across.
    const PagePlacement tall = PlaceOnPage(kPdfPageWidth, kPdfPageHeight, kPdfMargin, 100, 786);
    EXPECT_DOUBLE_EQ(tall.scale, 1);
    EXPECT_DOUBLE_EQ(tall.left, 247.5);
}

}  // namespace
