#include "XelRowStore.h"

#include <algorithm>
#include <cstring>

namespace {

// Rows added after the file was read share blocks of this size.
constexpr size_t kBlockSize = 64 * 1024;

// A hash of the whole key, eight bytes at a time.
uint64_t Mix(uint64_t x) {
    x *= 0xBF58476D1CE4E5B9ull;
    return x ^ (x >> 31);
}

uint32_t MixedHash(std::string_view key) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
    size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, key.data() + i, 8);
        h = Mix(h ^ word);
    }
    if (i < key.size()) {
        uint64_t word = 0;
        std::memcpy(&word, key.data() + i, key.size() - i);
        h = Mix(h ^ word);
    }
    h = Mix(h);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

DbFirstCellIndex::Key DbFirstCellIndex::KeyBytes(std::string_view text) {
    Key key{text.data() != nullptr ? text.data() : "", static_cast<uint32_t>(text.size()), 0, 0};
    std::memcpy(&key.head, key.text, std::min<size_t>(text.size(), 8));
    return key;
}

DbFirstCellIndex::Key DbFirstCellIndex::MakeKey(std::string_view text) {
    Key key = KeyBytes(text);
    key.hash = MixedHash(text);
    return key;
}

bool DbFirstCellIndex::Same(const Chain& chain, const Key& key) {
    return chain.head == key.head && chain.size == key.size &&
           (key.size <= 8 || std::memcmp(chain.text + 8, key.text + 8, key.size - 8) == 0);
}

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

char* DbTextArena::Adopt(XelFileBytes&& bytes) {
    m_nUsed += bytes.size;
    m_files.push_back(std::move(bytes.data));
    return m_files.back().get();
}

void DbTextArena::Clear() {
    std::vector<std::unique_ptr<char[]>>().swap(m_blocks);
    std::vector<std::unique_ptr<char[]>>().swap(m_files);
    m_pFree = nullptr;
    m_nLeft = 0;
    m_nUsed = 0;
}

void DbFirstCellIndex::BuildStart(size_t rows) {
    Clear();
    m_next.reserve(rows);
    m_chains.reserve(rows / 8);  // a date holds a few rows
    m_built = true;
}

void DbFirstCellIndex::AppendOther(int32_t row, std::string_view text) {
    m_next.push_back(-1);
    if (m_last == kNone || !Same(m_chains[m_last], KeyBytes(text))) {
        m_last = FindOrAdd(MakeKey(text));
    }
    LinkLast(m_chains[m_last], row);
}

void DbFirstCellIndex::Remove(int32_t row, std::string_view text) {
    Unlink(m_chains[FindOrAdd(MakeKey(text))], row);
}

void DbFirstCellIndex::MoveLast(int32_t from, int32_t to, std::string_view text) {
    Chain& chain = m_chains[FindOrAdd(MakeKey(text))];
    Unlink(chain, from);
    Insert(chain, to);
}

int32_t DbFirstCellIndex::First(std::string_view text) const {
    const uint32_t chain = Find(MakeKey(text));
    return chain == kNone ? -1 : m_chains[chain].first;
}

void DbFirstCellIndex::Clear() {
    m_last = kNone;
    m_built = false;
    std::vector<uint64_t>().swap(m_slots);
    std::vector<Chain>().swap(m_chains);
    std::vector<int32_t>().swap(m_next);
}

uint32_t DbFirstCellIndex::Find(const Key& key) const {
    if (m_slots.empty()) {
        return kNone;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = m_slots[i];
        if (slot == 0) {
            return kNone;
        }
        const uint32_t chain = static_cast<uint32_t>(slot) - 1;
        if (slot >> 32 == key.hash && Same(m_chains[chain], key)) {
            return chain;
        }
    }
}

uint32_t DbFirstCellIndex::FindOrAdd(const Key& key) {
    const uint32_t found = Find(key);
    if (found != kNone) {
        return found;
    }
    if (10 * (m_chains.size() + 1) > 7 * m_slots.size()) {
        Grow();
    }
    const auto chain = static_cast<uint32_t>(m_chains.size());
    m_chains.push_back(Chain{key.head, key.text, key.size, -1, -1});
    Place(uint64_t{key.hash} << 32 | (chain + 1));
    return chain;
}

// Puts a slot into the first free place from its hash on.
void DbFirstCellIndex::Place(uint64_t slot) {
    const size_t mask = m_slots.size() - 1;
    size_t i = (slot >> 32) & mask;
    while (m_slots[i] != 0) {
        i = (i + 1) & mask;
    }
    m_slots[i] = slot;
}

void DbFirstCellIndex::Grow() {
    std::vector<uint64_t> old(std::max<size_t>(1024, 2 * m_slots.size()), 0);
    old.swap(m_slots);
    for (const uint64_t slot : old) {
        if (slot != 0) {
            Place(slot);
        }
    }
}

// Links `row` in at its place in ascending order; the chain may be empty.
void DbFirstCellIndex::Insert(Chain& chain, int32_t row) {
    int32_t prev = -1;
    int32_t at = chain.first;
    while (at >= 0 && at < row) {
        prev = at;
        at = Next(at);
    }
    m_next[static_cast<size_t>(row)] = at;
    if (prev < 0) {
        chain.first = row;
    } else {
        m_next[static_cast<size_t>(prev)] = row;
    }
    if (at < 0) {
        chain.tail = row;
    }
}

// Unlinks `row`, which is in the chain; an emptied chain has first and tail -1.
void DbFirstCellIndex::Unlink(Chain& chain, int32_t row) {
    int32_t prev = -1;
    for (int32_t at = chain.first; at != row; at = Next(at)) {
        prev = at;
    }
    const int32_t after = Next(row);
    if (prev < 0) {
        chain.first = after;
    } else {
        m_next[static_cast<size_t>(prev)] = after;
    }
    if (chain.tail == row) {
        chain.tail = prev;
    }
    m_next[static_cast<size_t>(row)] = -1;
}
