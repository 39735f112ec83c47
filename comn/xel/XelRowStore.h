// How a table keeps its rows in memory: the cell texts where the file's bytes were read
// or in a few large blocks, and an index of the rows by their first cell.
//
// Texts: every row's cells lie back to back, each ended by a NUL byte:
//
//   "20070305\0" "0930\0" "1000\0" "1\0" "Meeting\0" "\0"
//
// A row read from the file is split where its line lies in the file's bytes (its commas
// and its line break become the terminators); the table keeps those bytes. Rows added
// later, and the rare line with fewer fields than columns, go into blocks filled one row
// after the other. Nothing is released before the table is closed, so a cell text, once
// handed out, never moves; the bytes of a deleted row stay unused until then (an edit
// deletes a handful of rows, so this stays small).
//
// Index: for each first-cell text, the rows that hold it in ascending row order, as a
// chain through `next` (one entry per row). The table keeps the chains right through
// every append, delete (which moves the last row into the hole) and close, so a search on
// the first column visits only the rows holding the searched text, lowest index first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Every row's text may be read (never written) this many bytes past its last terminator:
// the save scans rows sixteen bytes at a time.
inline constexpr size_t kDbReadSlack = 16;

struct DbTextArena {
    // Room for at least `size` bytes at the returned pointer; Commit takes what was used.
    char* Reserve(size_t size);
    void Commit(size_t used);
    // Keeps a file's contents, whose rows are split where they lie, and returns them
    // (with room for kDbReadSlack bytes past their end).
    std::string& Adopt(std::string&& contents);
    // Bytes held for texts: the blocks' used parts and the files, deleted rows included.
    size_t Used() const { return m_nUsed; }
    void Clear();

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::unique_ptr<std::string>> m_files;
    char* m_pFree = nullptr;  // the free part of the last block
    size_t m_nLeft = 0;
    size_t m_nUsed = 0;
};

struct DbFirstCellIndex {
    // Row `row`, just appended as the table's last row, holds `key`.
    void Append(int32_t row, std::string_view key);
    // Row `row` holding `key` goes away; the last row's entry then moves into its place
    // with MoveLast. Afterwards `next` is one entry longer than the rows until PopBack.
    void Remove(int32_t row, std::string_view key);
    // The last row `from` (holding `key`) becomes row `to`, which is free.
    void MoveLast(int32_t from, int32_t to, std::string_view key);
    void PopBack() { m_next.pop_back(); }
    // The lowest row holding `key`, or -1; the next higher one after `row`, or -1.
    int32_t First(std::string_view key) const;
    int32_t Next(int32_t row) const { return m_next[static_cast<size_t>(row)]; }
    void Reserve(size_t rows) {
        m_next.reserve(rows);
        m_chains.reserve(m_chains.size() + rows / 8);  // a date holds a few rows
    }
    void Clear();

    struct Chain {
        int32_t head;
        int32_t tail;
    };
    // Keys point at a row's first cell in the arena, which outlives the row.
    std::unordered_map<std::string_view, Chain> m_chains;
    std::vector<int32_t> m_next;
    // The chain of the last append: rows of one date mostly come together.
    Chain* m_pLastChain = nullptr;
    std::string_view m_lastKey;

  private:
    void Insert(Chain& chain, int32_t row);
    void Unlink(Chain& chain, int32_t row);
};
