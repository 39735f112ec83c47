// Fuzz target: reading a table file. The input is the whole kelnova.txt; the table is
// opened from a private data folder through the program's own registry.
//
// The input also gives one row that the program composes itself: its NUL-separated
// pieces are the cells (up to six, the rest empty), joined with DbJoinField and added.
//
// Properties:
// - every row read has a cell (never a null) under each column;
// - the rows read are what DbAddRow makes of the file's lines one by one (lines end with
//   LF, a CR right before it goes, or with CR alone in a file without LF; empty lines and
//   lines starting with '#' are comments);
// - the composed row reads as its cells, with the bytes the file cannot carry replaced as
//   DbJoinField promises (a double quote by the full-width one, a line break by a blank),
//   and a search by its first cell and INDEX finds a row holding those cells;
// - what the store writes reads back as the same rows, cell for cell;
// - writing those rows again gives the same bytes (the written file is a fixed point);
// - a missing file is created empty; no temporary file is left in the folder.
//
// The safe replacement flushes every file to the disk; the fuzz runs replace fsync with a
// no-op through the store's system-call table, which changes nothing else.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "XelDatabase.h"
#include "XelFile.h"

namespace {

using fuzz::Check;
using fuzz::Escaped;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kTable = "kelnova";

std::filesystem::path g_folder;
std::filesystem::path g_file;
XelSysCalls g_sysCalls;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Rows Read(const DbTable* table) {
    Rows rows;
    for (int32_t r = 0; r < DbRowCount(table); ++r) {
        std::vector<std::string> cells;
        for (int32_t c = 0; c < table->columnCount; ++c) {
            const char* cell = DbGetCell(table, r, table->columnNames[c]);
            Check(cell != nullptr, "every cell reads as a text");
            cells.emplace_back(cell);
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The cells of the composed row: the input's pieces between NUL bytes.
std::vector<std::string> ComposedCells(std::string_view input, int32_t columns) {
    std::vector<std::string> cells(static_cast<std::size_t>(columns));
    std::size_t pos = 0;
    for (auto& cell : cells) {
        if (pos > input.size()) {
            break;
        }
        const std::size_t end = std::min(input.find('\0', pos), input.size());
        cell = input.substr(pos, end - pos);
        pos = end + 1;
    }
    return cells;
}

// A cell as it reads back after DbJoinField: a double quote becomes the full-width one
// (CP932 0xFA 0x57), a CR LF or LF one blank.
std::string AsStored(std::string_view cell) {
    std::string out;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] == '"') {
            out += "\xFA\x57";
        } else if (cell[i] == '\r' && i + 1 < cell.size() && cell[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else if (cell[i] == '\n') {
            out += ' ';
        } else {
            out += cell[i];
        }
    }
    return out;
}

// Adds the row composed from `cells` and checks it in memory; the rows expected now.
Rows AddComposedRow(DbTable* table, const std::vector<std::string>& cells, Rows rows) {
    DbLine line;
    std::vector<std::string> stored;
    for (const std::string& cell : cells) {
        DbJoinField(line, cell);
        stored.push_back(AsStored(cell));
    }
    DbAddRow(table, line.text);
    const int32_t added = DbRowCount(table) - 1;
    Check(added == static_cast<int32_t>(rows.size()), "DbAddRow adds one row");
    for (int32_t c = 0; c < table->columnCount; ++c) {
        Check(stored[static_cast<std::size_t>(c)] == DbGetCell(table, added, table->columnNames[c]),
              "a composed row reads as its cells", [&] { return "line " + Escaped(line.text); });
    }
    rows.push_back(stored);
    const int32_t found = DbFindRow(table, "DATE", stored[0].c_str(), "INDEX", stored[3].c_str());
    Check(found >= 0 && rows[static_cast<std::size_t>(found)][0] == stored[0] &&
              rows[static_cast<std::size_t>(found)][3] == stored[3],
          "the composed row is found by its DATE and INDEX");
    return rows;
}

// The row lines of a file, as the store's reading of whole files must see them.
std::vector<std::string> RowLines(std::string_view file) {
    std::string text(file);
    if (text.find('\n') == std::string::npos) {
        std::replace(text.begin(), text.end(), '\r', '\n');
    }
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t feed = text.find('\n', pos);
        const std::size_t end = feed == std::string::npos ? text.size() : feed;
        std::string line = text.substr(pos, end - pos);
        if (feed != std::string::npos && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back(std::move(line));
        }
        pos = end + 1;
    }
    return lines;
}

// The rows of the file's lines added one by one to an empty table.
Rows AddedLines(std::string_view file) {
    WriteFile(g_file, "");
    DbTable* table = DbOpenTable(kTable);
    Check(table != nullptr, "an empty table file opens");
    for (const std::string& line : RowLines(file)) {
        DbAddRow(table, line);
    }
    const Rows rows = Read(table);
    DbCloseTable(kTable, 0);
    return rows;
}

void CheckFolderHoldsOnlyTheTable() {
    for (const auto& entry : std::filesystem::directory_iterator(g_folder)) {
        Check(entry.path() == g_file, "no temporary file is left",
              [&] { return "found " + entry.path().string(); });
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The store's diagnostics (one per missing cell) would flood the fuzzer's output.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::abort();
    }
    g_folder = std::filesystem::temp_directory_path() /
               ("pemdaro-fuzz-table-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_folder);
    g_file = g_folder / (std::string(kTable) + ".txt");
    std::atexit(RemoveFolder);

    DbRegistry& registry = DbKelnovaRegistry();
    registry.dataFolder = g_folder.string() + "/";
    DbSetRegistry(&registry);
    g_sysCalls = XelRealSysCalls();
    g_sysCalls.fsync = [](int) { return 0; };
    XelSetSysCalls(&g_sysCalls);

    // A missing file is created empty and opens as a table without rows.
    std::filesystem::remove(g_file);
    DbTable* table = DbOpenTable(kTable);
    Check(table != nullptr && DbRowCount(table) == 0 && ReadFile(g_file).empty(),
          "a missing table file is created empty");
    DbCloseTable(kTable, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::CurrentInput() = input;
    WriteFile(g_file, input);

    DbTable* table = DbOpenTable(kTable);
    Check(table != nullptr, "an existing table file opens");
    const Rows read = Read(table);
    const Rows first = AddComposedRow(table, ComposedCells(input, table->columnCount), read);
    Check(DbCloseTable(kTable, 1) == 0, "the table is written");
    CheckFolderHoldsOnlyTheTable();
    const std::string written = ReadFile(g_file);

    table = DbOpenTable(kTable);
    Check(table != nullptr, "the written table file opens");
    const Rows second = Read(table);
    Check(DbCloseTable(kTable, 1) == 0, "the table is written again");
    CheckFolderHoldsOnlyTheTable();
    const std::string rewritten = ReadFile(g_file);

    Check(second == first, "the written file reads back as the same rows",
          [&] { return "wrote " + Escaped(written); });
    Check(rewritten == written, "writing the rows again gives the same bytes",
          [&] { return "wrote " + Escaped(written) + " then " + Escaped(rewritten); });
    Check(AddedLines(input) == read, "the rows read are the file's lines added one by one");
    return 0;
}
