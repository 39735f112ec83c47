// How a table keeps its rows in memory: the cell texts where the file's bytes were read
// or in a few large blocks, and an index of the rows by their first cell.
//
// Texts: every row's cells lie back to back, each ended by a NUL byte:
//
//   "20070305\0" "0930\0" "1000\0" "1\0" "Meeting\0" "\0"
//
// A row read from the file is split where its line lies in the file's bytes (its commas
// and its line break become the terminators, but the line feed of a CR LF stays after the
// row's last terminator); the table keeps those bytes. Rows added
// later, and the rare line with fewer fields than columns, go into blocks filled one row
// after the other. Nothing is released before the table is closed, so a cell text, once
// handed out, never moves; the bytes of a deleted row stay unused until then (an edit
// deletes a handful of rows, so this stays small).
//
// Index: for each first-cell text, the rows that hold it in ascending row order, as a
// chain through `next` (one entry per row). It is made as the file is read, and the
// table keeps the chains right through every append, delete (which moves the last row
// into the hole) and close, so a search on the first column visits only the rows holding
// the searched text, lowest index first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "XelFile.h"

// What a table knows of a row's bytes, for the save. A row read from a file's line that
// holds one comma per column but the last, no double quote, NUL or CR of its own and ends
// with CR LF lies in the file's bytes as its line with the commas and the CR made
// terminators and the line feed kept: its line is those bytes with the terminators made
// commas again and the last one the CR (kDbRowAsRead). kDbRowFollows: such a row whose line
// starts right after the line of the row before it, itself such a row.
inline constexpr uint8_t kDbRowAsRead = 1;
inline constexpr uint8_t kDbRowFollows = 2;

// Every row's text may be read (never written) this many bytes past its last terminator:
// the save scans rows sixteen bytes at a time, and the index measures first cells so.
inline constexpr size_t kDbReadSlack = 16;
// A file's bytes are read with this many zero bytes after them: the reading of its lines
// scans whole blocks of 64 bytes and one byte more.
inline constexpr size_t kDbFileSlack = 128;

struct DbTextArena {
    // Room for at least `size` bytes at the returned pointer; Commit takes what was used.
    char* Reserve(size_t size);
    void Commit(size_t used);
    // Keeps a file's bytes (read with kDbFileSlack), whose rows are split where they lie,
    // and returns them.
    char* Adopt(XelFileBytes&& bytes);
    // Bytes held for texts: the blocks' used parts and the files, deleted rows included.
    size_t Used() const { return m_nUsed; }
    void Clear();

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<std::unique_ptr<char[]>> m_files;
    char* m_pFree = nullptr;  // the free part of the last block
    size_t m_nLeft = 0;
    size_t m_nUsed = 0;
};

class DbFirstCellIndex {
  public:
    // The table makes the index when it reads its file (BuildStart, then Append for every
    // row in order) and keeps it from then on; after Clear it is not Built, and the table
    // makes it again before its next search.
    bool Built() const { return m_built; }
    void BuildStart(size_t rows);
    // Row `row`, just appended as the table's last row, holds `key`.
    void Append(int32_t row, std::string_view key) {
        // Most rows hold the date of the row before them: its chain grows at the tail.
        if (m_last != kNone && key.size() == 8) {
            Chain& chain = m_chains[m_last];
            uint64_t head;
            std::memcpy(&head, key.data(), 8);
            if (chain.size == 8 && chain.head == head) {
                m_next.push_back(-1);
                LinkLast(chain, row);
                return;
            }
        }
        AppendOther(row, key);
    }
    // Row `row` holding `key` goes away; the last row's entry then moves into its place
    // with MoveLast. Afterwards `next` is one entry longer than the rows until PopBack.
    void Remove(int32_t row, std::string_view key);
    // The last row `from` (holding `key`) becomes row `to`, which is free.
    void MoveLast(int32_t from, int32_t to, std::string_view key);
    void PopBack() { m_next.pop_back(); }
    // The lowest row holding `key`, or -1; the next higher one after `row`, or -1.
    int32_t First(std::string_view key) const;
    int32_t Next(int32_t row) const { return m_next[static_cast<size_t>(row)]; }
    void Clear();

  private:
    // A key as the chains compare it: its first eight bytes (zeros past its end) at once.
    struct Key {
        const char* text;
        uint32_t size;
        uint32_t hash;
        uint64_t head;
    };
    // One key and its rows. Keys point at a row's first cell in the arena, which outlives
    // the row; a key whose rows all went keeps its chain, empty.
    struct Chain {
        uint64_t head;  // of the key, as in Key
        const char* text;
        uint32_t size;
        int32_t first;  // the lowest row, or -1
        int32_t tail;   // the highest row, or -1
    };

    void AppendOther(int32_t row, std::string_view key);
    // Row `row`, the highest of all, ends the chain.
    void LinkLast(Chain& chain, int32_t row) {
        if (chain.tail < 0) {
            chain.first = row;
        } else {
            m_next[static_cast<size_t>(chain.tail)] = row;
        }
        chain.tail = row;
    }
    // The key's bytes; MakeKey also its hash.
    static Key KeyBytes(std::string_view text);
    static Key MakeKey(std::string_view text);
    static bool Same(const Chain& chain, const Key& key);
    // The chain of a key, or kNone.
    uint32_t Find(const Key& key) const;
    uint32_t FindOrAdd(const Key& key);
    void Place(uint64_t slot);
    void Grow();
    void Insert(Chain& chain, int32_t row);
    void Unlink(Chain& chain, int32_t row);

    static constexpr uint32_t kNone = UINT32_MAX;
    // The chains by hash: open addressing with linear probing over slots that hold a key's
    // hash (high half) and its chain's number plus one (low half; 0 is a free slot), small
    // enough to stay in the processor's cache. The size is a power of two, at most 70 %
    // used.
    std::vector<uint64_t> m_slots;
    std::vector<Chain> m_chains;
    std::vector<int32_t> m_next;
    // The chain of the last append: rows of one date mostly come together.
    uint32_t m_last = kNone;
    bool m_built = false;
};
