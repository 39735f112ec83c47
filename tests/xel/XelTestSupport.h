// Shared helpers of the store tests: a private data folder per test and file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "XelDatabase.h"

namespace xeltest {

// Windows has no mode bits, asks a privilege for symbolic links (Wine makes none), and its
// save replaces a link rather than the link's target: the tests of those are POSIX-only.
#ifdef _WIN32
inline constexpr bool kPosixFiles = false;
#else
inline constexpr bool kPosixFiles = true;
#endif

// A path with '/' between its parts: the program joins its folder and a name with '/',
// where a std::filesystem::path on Windows has '\\'.
inline std::string Slashed(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every row's cells, in row order.
inline std::vector<std::vector<std::string>> Rows(const DbTable* table) {
    std::vector<std::vector<std::string>> rows;
    for (int32_t r = 0; r < DbRowCount(table); ++r) {
        std::vector<std::string> cells;
        for (int32_t c = 0; c < table->columnCount; ++c) {
            cells.emplace_back(DbGetCell(table, r, table->columnNames[c]));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// A fresh data folder holding nothing, made current for the kelnova registry; the table
// is released again after the test.
class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int serial = 0;
        m_dir = std::filesystem::temp_directory_path() /
                ("pemdaro-xel-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        DbKelnovaRegistry().dataFolder = m_dir.string() + "/";
        DbSetRegistry(&DbKelnovaRegistry());
    }
    void TearDown() override {
        DbCloseTable("kelnova", 0);
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path TablePath() const { return m_dir / "kelnova.txt"; }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    DbTable* OpenWith(const std::string& bytes) {
        WriteBytes(TablePath(), bytes);
        return DbOpenTable("kelnova");
    }

    std::filesystem::path m_dir;
};

inline const char* const kHeader =
    "# X-- Database Version 1.0\r\n"
    "# Table Name : kelnova\r\n"
    "# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n";
inline const char* const kEndMark = "# [END OF FILE]\r\n";

}  // namespace xeltest
