#include "XelRowStore.h"

#include <algorithm>

namespace {

// Rows added after the file was read share blocks of this size.
constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

char* DbTextArena::Reserve(size_t size) {
    if (size > m_nLeft) {
        const size_t block = std::max({size, kBlockSize, m_nExpected});
        m_nExpected = 0;
        m_blocks.emplace_back(new char[block]);
        m_pFree = m_blocks.back().get();
        m_nLeft = block;
    }
    return m_pFree;
}

void DbTextArena::Commit(size_t used) {
    m_pFree += used;
    m_nLeft -= used;
    m_nUsed += used;
}

void DbTextArena::Clear() {
    std::vector<std::unique_ptr<char[]>>().swap(m_blocks);
    m_pFree = nullptr;
    m_nLeft = 0;
    m_nUsed = 0;
    m_nExpected = 0;
}

void DbFirstCellIndex::Append(int32_t row, std::string_view key) {
    m_next.push_back(-1);
    auto [it, added] = m_chains.try_emplace(key, Chain{row, row});
    if (!added) {
        // The new row is the highest of all, so it ends its chain.
        m_next[static_cast<size_t>(it->second.tail)] = row;
        it->second.tail = row;
    }
}

void DbFirstCellIndex::Remove(int32_t row, std::string_view key) {
    auto it = m_chains.find(key);
    Unlink(it->second, row);
    if (it->second.head < 0) {
        m_chains.erase(it);
    }
}

void DbFirstCellIndex::MoveLast(int32_t from, int32_t to, std::string_view key) {
    Chain& chain = m_chains.find(key)->second;
    Unlink(chain, from);
    Insert(chain, to);
}

int32_t DbFirstCellIndex::First(std::string_view key) const {
    auto it = m_chains.find(key);
    return it == m_chains.end() ? -1 : it->second.head;
}

void DbFirstCellIndex::Clear() {
    std::unordered_map<std::string_view, Chain>().swap(m_chains);
    std::vector<int32_t>().swap(m_next);
}

// Links `row` in at its place in ascending order; the chain may be empty.
void DbFirstCellIndex::Insert(Chain& chain, int32_t row) {
    int32_t prev = -1;
    int32_t at = chain.head;
    while (at >= 0 && at < row) {
        prev = at;
        at = Next(at);
    }
    m_next[static_cast<size_t>(row)] = at;
    if (prev < 0) {
        chain.head = row;
    } else {
        m_next[static_cast<size_t>(prev)] = row;
    }
    if (at < 0) {
        chain.tail = row;
    }
}

// Unlinks `row`, which is in the chain; an emptied chain has head and tail -1.
void DbFirstCellIndex::Unlink(Chain& chain, int32_t row) {
    int32_t prev = -1;
    for (int32_t at = chain.head; at != row; at = Next(at)) {
        prev = at;
    }
    const int32_t after = Next(row);
    if (prev < 0) {
        chain.head = after;
    } else {
        m_next[static_cast<size_t>(prev)] = after;
    }
    if (chain.tail == row) {
        chain.tail = prev;
    }
    m_next[static_cast<size_t>(row)] = -1;
}
