// How a table keeps its rows in memory: the cell texts in a few large blocks, and an
// index of the rows by their first cell.
//
// Texts: every row's cells lie back to back in a block, each ended by a NUL byte:
//
//   "20070305\0" "0930\0" "1000\0" "1\0" "Meeting\0" "\0"
//
// Blocks are filled one row after the other and are released only when the table is
// closed, so a cell text, once handed out, never moves; the bytes of a deleted row stay
// unused until then (an edit deletes a handful of rows, so this stays small).
//
// Index: for each first-cell text, the rows that hold it in ascending row order, as a
// chain through `next` (one entry per row). The table keeps the chains right through
// every append, delete (which moves the last row into the hole) and close, so a search on
// the first column visits only the rows holding the searched text, lowest index first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

struct DbTextArena {
    // Room for at least `size` bytes at the returned pointer; Commit takes what was used.
    char* Reserve(size_t size);
    void Commit(size_t used);
    // The next block holds at least `size` bytes: one block for a whole file at open.
    void ExpectBytes(size_t size) { m_nExpected = size; }
    // Bytes handed out so far, deleted rows included.
    size_t Used() const { return m_nUsed; }
    void Clear();

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_pFree = nullptr;  // the free part of the last block
    size_t m_nLeft = 0;
    size_t m_nUsed = 0;
    size_t m_nExpected = 0;
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
    void Reserve(size_t rows) { m_next.reserve(rows); }
    void Clear();

    struct Chain {
        int32_t head;
        int32_t tail;
    };
    // Keys point at a row's first cell in the arena, which outlives the row.
    std::unordered_map<std::string_view, Chain> m_chains;
    std::vector<int32_t> m_next;

  private:
    void Insert(Chain& chain, int32_t row);
    void Unlink(Chain& chain, int32_t row);
};
