#include "XelRowStore.h"

#include <algorithm>

namespace {

// Rows added after the file was read share blocks of this size.
constexpr size_t kBlockSize = 64 * 1024;

// Keys are short (a date has eight bytes): a loop beats a call of memcmp.
bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

char* DbTextArena::Reserve(size_t size) {
    if (size > m_nLeft) {
        const size_t block = std::max(size, kBlockSize);
        m_blocks.emplace_back(new char[block + kDbReadSlack]());
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

std::string& DbTextArena::Adopt(std::string&& contents) {
    m_nUsed += contents.size();
    if (contents.capacity() < contents.size() + kDbReadSlack) {
        contents.reserve(contents.size() + kDbReadSlack);
    }
    // On the heap, so that even a short text keeps its address.
    m_files.push_back(std::make_unique<std::string>(std::move(contents)));
    return *m_files.back();
}

void DbTextArena::Clear() {
    std::vector<std::unique_ptr<char[]>>().swap(m_blocks);
    std::vector<std::unique_ptr<std::string>>().swap(m_files);
    m_pFree = nullptr;
    m_nLeft = 0;
    m_nUsed = 0;
}

void DbFirstCellIndex::Append(int32_t row, std::string_view key) {
    m_next.push_back(-1);
    if (m_pLastChain == nullptr || !SameKey(key, m_lastKey)) {
        auto [it, added] = m_chains.try_emplace(key, Chain{-1, -1});
        m_pLastChain = &it->second;
        m_lastKey = it->first;
    }
    // The new row is the highest of all, so it ends its chain.
    Chain& chain = *m_pLastChain;
    if (chain.tail < 0) {
        chain.head = row;
    } else {
        m_next[static_cast<size_t>(chain.tail)] = row;
    }
    chain.tail = row;
}

void DbFirstCellIndex::Remove(int32_t row, std::string_view key) {
    m_pLastChain = nullptr;  // the chain may go
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
    m_pLastChain = nullptr;
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
