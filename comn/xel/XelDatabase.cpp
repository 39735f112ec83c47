#include "XelDatabase.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "XelFile.h"

// The scans of rows and lines go sixteen bytes at a time where the processor has SSE2;
// XEL_NO_SSE2 (the build option PEMDARO_PORTABLE_SCAN) makes them take the portable
// code, so that code is built and tested too.
#if defined(__SSE2__) && !defined(XEL_NO_SSE2)
#define XEL_SSE2 1
#include <emmintrin.h>
#else
#define XEL_SSE2 0
#endif

namespace {

const char kEmptyText[] = "";
// The store's source path as its diagnostics name it.
const char kSourcePath[] = "comn\\xel\\XelDatabase";

const char* const kKelnovaColumns[] = {"DATE",  "FROM_TIME", "TO_TIME",
                                       "INDEX", "YOTEI",     "SYUKUJITU"};
DbTable g_kelnovaTables[] = {{"kelnova", 6, kKelnovaColumns, {}, {}, 0, {}, {}}};

DbRegistry* g_registry = nullptr;

// Where the diagnostics of a read on a thread of its own go instead of standard output:
// they are printed when the table it read is opened, where a plain open prints them.
thread_local std::string* t_heldDiagnostics = nullptr;

// "comn\xel\XelDatabase(<number>):" then the message, which brings its own line break.
template <typename... Args>
void Diagnose(int number, const char* format, Args... args) {
    if (t_heldDiagnostics != nullptr) {
        std::string& out = *t_heldDiagnostics;
        out += std::string(kSourcePath) + "(" + std::to_string(number) + "):";
        const int size = std::snprintf(nullptr, 0, format, args...);
        if (size > 0) {
            const size_t at = out.size();
            out.resize(at + static_cast<size_t>(size) + 1);
            std::snprintf(out.data() + at, static_cast<size_t>(size) + 1, format, args...);
            out.pop_back();
        }
        return;
    }
    std::printf("%s(%d):", kSourcePath, number);
    std::printf(format, args...);
    std::fflush(stdout);
}

// The field splitter. Scanning from the start of a field: a line feed (or a NUL) ends
// the field's text but the scan goes on; a double quote restarts the field after it and
// takes every byte up to the next double quote, commas included, dropping whatever
// stands between that closing quote and the next comma; a comma or the end of the line
// ends the field. After a field has ended at the end of the line there are no more.
//
// Splits a line into at most `columns` fields so, writing each field's text and a
// terminator back over the line from its start: a field's text never starts before the
// bytes written so far end, since each field before it took its text and a separator.
// Returns the number of fields; `end` is set past the last terminator, which is at most
// one byte past the line.
size_t SplitLineInPlace(char* line, size_t size, size_t columns, char*& end) {
    char* out = line;
    size_t fields = 0;
    for (size_t pos = 0; fields < columns;) {
        size_t start = pos;
        size_t stop = SIZE_MAX;  // where the text ends, once a NUL or a line feed is met
        size_t p = pos;
        for (; p < size && line[p] != ','; ++p) {
            const char c = line[p];
            if (c == '"') {
                start = p + 1;
                const void* close = std::memchr(line + start, '"', size - start);
                const size_t closeAt =
                    close != nullptr ? static_cast<size_t>(static_cast<const char*>(close) - line)
                                     : size;
                for (stop = start; stop < closeAt && line[stop] != '\n' && line[stop] != '\0';) {
                    ++stop;
                }
                for (p = close != nullptr ? closeAt + 1 : size; p < size && line[p] != ',';) {
                    ++p;
                }
                break;
            }
            if ((c == '\n' || c == '\0') && stop == SIZE_MAX) {
                stop = p;
            }
        }
        for (size_t i = start; i < std::min(stop, p); ++i) {
            *out++ = line[i];
        }
        *out++ = '\0';
        ++fields;
        if (p >= size) {
            break;
        }
        pos = p + 1;
    }
    end = out;
    return fields;
}

int32_t ColumnIndex(const DbTable* table, const char* column) {
    if (column == nullptr) {
        return -1;
    }
    for (int32_t c = 0; c < table->columnCount; ++c) {
        if (std::strcmp(table->columnNames[c], column) == 0) {
            return c;
        }
    }
    return -1;
}

const char* CellAt(const DbTable* table, int32_t row, int32_t column) {
    if (column < 0) {
        return kEmptyText;
    }
    const char* cell = table->rows[static_cast<size_t>(row)].cells;
    for (int32_t c = 0; c < column; ++c) {
        cell += std::strlen(cell) + 1;
    }
    return cell;
}

bool g_useIndex = true;

// The bytes a row line cannot carry as they are: the double quote and line breaks.
constexpr bool NeedsReplacing(char c) {
    return c == '"' || c == '\n' || c == '\r';
}

// Whether row r matches the second and third pair of a search (its first pair already
// matched); a null column ends the pairs.
bool MatchesRest(const DbTable* table, int32_t r, const char* column2, int32_t c2,
                 const char* value2, const char* column3, int32_t c3, const char* value3) {
    if (column2 == nullptr) {
        return true;
    }
    if (std::strcmp(CellAt(table, r, c2), value2) != 0) {
        return false;
    }
    return column3 == nullptr || std::strcmp(CellAt(table, r, c3), value3) == 0;
}

// The first cell of a row; a table without columns keys every row by the empty text.
// A row's text may be read kDbReadSlack bytes past its end, so a short cell (a date) is
// measured without a call.
std::string_view FirstCell(const char* cells, size_t columns) {
    if (columns == 0) {
        return std::string_view();
    }
#if XEL_SSE2
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells));
    const uint32_t ends =
        static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
    if (ends != 0) {
        return std::string_view(cells, static_cast<size_t>(std::countr_zero(ends)));
    }
#endif
    return std::string_view(cells);
}

// The index is made when the file is read; rows added to a table that was never read
// (or was closed) are indexed at the next search. `rows` is the number of rows expected.
const DbFirstCellIndex& IndexOf(DbTable* table, size_t rows = 0) {
    DbFirstCellIndex& index = table->index;
    if (!index.Built()) {
        const size_t columns = static_cast<size_t>(table->columnCount);
        index.BuildStart(std::max(rows, table->rows.size()));
        for (size_t r = 0; r < table->rows.size(); ++r) {
            index.Append(static_cast<int32_t>(r), FirstCell(table->rows[r].cells, columns));
        }
    }
    return index;
}

// Appends a row whose cells lie back to back at `cells`.
void AppendRow(DbTable* table, const char* cells) {
    if (table->index.Built()) {
        table->index.Append(DbRowCount(table),
                            FirstCell(cells, static_cast<size_t>(table->columnCount)));
    }
    table->rows.push_back(DbRow{cells});
    table->rowFlags.push_back(0);
}

// Writes an empty cell at `out`, with diagnostic 503, for each column from `fields` on
// (the columns the line had no field for). Returns the end.
char* AddMissingCells(const DbTable* table, size_t fields, char* out) {
    for (size_t c = fields; c < static_cast<size_t>(table->columnCount); ++c) {
        Diagnose(503, "WARNING:Object file format is Iregural!!(%s)\n", table->columnNames[c]);
        *out++ = '\0';
    }
    return out;
}

// Set bits of a 64-bit mask. std::popcount becomes a library call where the processor is
// not known to count bits itself.
int CountBits(uint64_t mask) {
#if defined(__POPCNT__)
    return std::popcount(mask);
#else
    mask -= (mask >> 1) & 0x5555555555555555ull;
    mask = (mask & 0x3333333333333333ull) + ((mask >> 2) & 0x3333333333333333ull);
    mask = (mask + (mask >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((mask * 0x0101010101010101ull) >> 56);
#endif
}

// Bits, one per byte of the 64 bytes at p, for the bytes that matter to the reading of a
// file's lines: line feeds, commas, CRs, and the bytes that send a line to the field
// splitter (double quotes and NULs).
struct BlockBits {
    uint64_t feeds;
    uint64_t commas;
    uint64_t returns;
    uint64_t specials;
};

#if XEL_SSE2
uint64_t Bits16(__m128i bytes, __m128i wanted) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
}

BlockBits ClassifyBlock(const char* p) {
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i ret = _mm_set1_epi8('\r');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i zero = _mm_setzero_si128();
    const auto* blocks = reinterpret_cast<const __m128i*>(p);
    const __m128i b0 = _mm_loadu_si128(blocks);
    const __m128i b1 = _mm_loadu_si128(blocks + 1);
    const __m128i b2 = _mm_loadu_si128(blocks + 2);
    const __m128i b3 = _mm_loadu_si128(blocks + 3);
    auto bits = [&](__m128i wanted) {
        return Bits16(b0, wanted) | Bits16(b1, wanted) << 16 | Bits16(b2, wanted) << 32 |
               Bits16(b3, wanted) << 48;
    };
    return {bits(feed), bits(comma), bits(ret), bits(quote) | bits(zero)};
}

// Turns the commas and CRs among the n bytes at p into terminators, reading and writing
// back 16 bytes. Line feeds stay (see FileRowReader).
void EndBlockCells(char* p, size_t n) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i inRange = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(n)), index);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_andnot_si128(_mm_and_si128(ends, inRange), bytes));
}
#else
BlockBits ClassifyBlock(const char* p) {
    BlockBits bits{0, 0, 0, 0};
    for (int i = 0; i < 64; ++i) {
        const char c = p[i];
        const uint64_t bit = uint64_t{1} << i;
        bits.feeds |= c == '\n' ? bit : 0;
        bits.commas |= c == ',' ? bit : 0;
        bits.returns |= c == '\r' ? bit : 0;
        bits.specials |= c == '"' || c == '\0' ? bit : 0;
    }
    return bits;
}

void EndBlockCells(char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        p[i] = p[i] == ',' || p[i] == '\r' ? '\0' : p[i];
    }
}
#endif

// Adds the row of a line that the fast path of FileRowReader leaves alone: one with a
// double quote, a NUL or a CR of its own, or with fewer fields than columns. Its cells are
// written over the line where it lies; when the line has fewer fields than columns, they
// are copied into room of their own, followed by the missing cells.
void LoadSplitRow(DbTable* table, char* line, size_t size) {
    const size_t columns = static_cast<size_t>(table->columnCount);
    char* end = line;
    const size_t fields = SplitLineInPlace(line, size, columns, end);
    if (fields == columns) {
        AppendRow(table, line);
        return;
    }
    const size_t written = static_cast<size_t>(end - line);
    char* const cells = table->text.Reserve(written + columns - fields);
    std::memcpy(cells, line, written);
    end = AddMissingCells(table, fields, cells + written);
    table->text.Commit(static_cast<size_t>(end - cells));
    AppendRow(table, cells);
}

// Reads the rows of a file's bytes, splitting each line where it lies. Lines end with LF,
// or CR LF, whose CR goes; lines that are empty or start with '#' are comments.
//
// The bytes are scanned 64 at a time for line feeds, commas, CRs and the bytes that need
// the field splitter. Most lines hold none of those and at least a comma per column but
// the last: their fields are the runs between commas, so the row's cells are the line
// itself once every comma, and the CR or LF after it, is a terminator. That is done in a
// second pass over each window of the file, after the first pass has found its lines;
// the line feed of a CR LF stays as it is, after the row's last terminator, where the save
// writes such a row's bytes back as its line (kDbRowAsRead, RowLineWriter::AppendAsRead);
// the few other lines go through the field splitter as they are found (their bytes are
// still as read) and the second pass leaves them alone. A window is small enough to stay
// in the processor's cache between the passes.
class FileRowReader {
  public:
    FileRowReader(DbTable* table, char* data, size_t size)
        : m_table(table), m_data(data), m_size(size) {}

    // Needs kDbFileSlack readable bytes after the file's.
    void Read() {
        constexpr size_t kWindow = 16 * 1024;
        size_t lineStart = 0;
        uint64_t commas = 0;   // in the line so far, before the current block
        bool special = false;  // the same for the bytes that need the splitter
        size_t ended = 0;      // the bytes before this have their terminators
        for (size_t window = 0; window < m_size; window += kWindow) {
            const size_t windowEnd = std::min(window + kWindow, m_size);
            for (size_t base = window; base < windowEnd; base += 64) {
                BlockBits bits = ClassifyBlock(m_data + base);
                if (m_size - base < 64) {
                    const uint64_t inFile = (uint64_t{1} << (m_size - base)) - 1;
                    bits = {bits.feeds & inFile, bits.commas & inFile, bits.returns & inFile,
                            bits.specials & inFile};
                }
                // A CR belongs to the line break only right before a line feed.
                const uint64_t feedNext =
                    base + 64 < m_size && m_data[base + 64] == '\n' ? uint64_t{1} << 63 : 0;
                const uint64_t specials =
                    bits.specials | (bits.returns & ~((bits.feeds >> 1) | feedNext));
                uint64_t done = 0;  // the bits of lines already finished
                for (uint64_t feeds = bits.feeds; feeds != 0; feeds &= feeds - 1) {
                    const int at = std::countr_zero(feeds);
                    const uint64_t upTo = at == 63 ? ~uint64_t{0} : (uint64_t{2} << at) - 1;
                    const uint64_t line = upTo & ~done;
                    FinishLine(lineStart, base + static_cast<size_t>(at),
                               commas + static_cast<uint64_t>(CountBits(bits.commas & line)),
                               special || (specials & line) != 0);
                    lineStart = base + static_cast<size_t>(at) + 1;
                    commas = 0;
                    special = false;
                    done = upTo;
                }
                commas += static_cast<uint64_t>(CountBits(bits.commas & ~done));
                special = special || (specials & ~done) != 0;
            }
            EndCells(ended, lineStart);
            ended = lineStart;
        }
        if (lineStart < m_size) {
            FinishLine(lineStart, m_size, commas, special);
            EndCells(ended, m_size);
        }
        m_data[m_size] = '\0';  // the last cell's terminator when no line break follows
    }

  private:
    // The line from `start` up to `end` (its line feed, or the end of the file).
    void FinishLine(size_t start, size_t end, uint64_t commas, bool special) {
        size_t size = end - start;
        if (end < m_size && size > 0 && m_data[end - 1] == '\r') {
            --size;
        }
        if (size == 0 || m_data[start] == '#') {
            return;
        }
        char* const line = m_data + start;
        const int32_t columns = m_table->columnCount;
        if (!special && columns > 0 && commas + 1 >= static_cast<uint64_t>(columns)) {
            const bool crLf = end < m_size && size + 1 == end - start;
            if (end < m_size && size == end - start) {
                m_data[end] = '\0';  // a line feed alone ends the last cell
            }
            uint8_t flags = 0;
            if (crLf && commas + 1 == static_cast<uint64_t>(columns)) {
                flags = kDbRowAsRead | (start == m_asReadEnd ? kDbRowFollows : 0);
                m_asReadEnd = end + 1;
            } else {
                m_asReadEnd = SIZE_MAX;
            }
            m_table->index.Append(DbRowCount(m_table), PlainFirstCell(line, size));
            m_table->rows.push_back(DbRow{line});
            m_table->rowFlags.push_back(flags);
            return;
        }
        m_asReadEnd = SIZE_MAX;
        LoadSplitRow(m_table, line, size);
        m_split.push_back({start, start + size});
    }

    // The first cell of a line on the fast path, whose commas are still in place: up to
    // its first comma. Most are dates of eight bytes.
    static std::string_view PlainFirstCell(const char* line, size_t size) {
        if (size > 8 && line[8] == ',') {
            uint64_t word;
            std::memcpy(&word, line, 8);
            word ^= 0x2C2C2C2C2C2C2C2Cull;  // a comma becomes a zero byte
            if (((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) == 0) {
                return std::string_view(line, 8);
            }
        }
        const void* comma = std::memchr(line, ',', size);
        return std::string_view(
            line,
            comma != nullptr ? static_cast<size_t>(static_cast<const char*>(comma) - line) : size);
    }

    // Gives the lines in [from, to) their terminators, leaving out the split lines.
    void EndCells(size_t from, size_t to) {
        for (const auto& [start, end] : m_split) {
            EndCellsIn(from, start);
            from = end;
        }
        m_split.clear();
        EndCellsIn(from, to);
    }

    void EndCellsIn(size_t from, size_t to) {
        for (size_t p = from; p < to; p += 16) {
            EndBlockCells(m_data + p, std::min<size_t>(16, to - p));
        }
    }

    DbTable* m_table;
    char* m_data;
    size_t m_size;
    // The lines of the current window that went through the splitter, in file order.
    std::vector<std::pair<size_t, size_t>> m_split;
    // Where the line after the last row read as kDbRowAsRead starts (SIZE_MAX after any
    // other row).
    size_t m_asReadEnd = SIZE_MAX;
};

// Lines end with LF or CR LF. A file without a single LF but with CRs comes from an
// editor that ends lines with CR alone; read as one line it would be one row of
// everything (or, starting with the header, one comment), so its CRs become line ends.
void EndLinesWithCrAlone(char* data, size_t size) {
    if (std::memchr(data, '\n', size) == nullptr) {
        std::replace(data, data + size, '\r', '\n');
    }
}

// Appends one cell of a row line to `out` (see DbJoinField), whole runs of ordinary
// bytes at a time.
void AppendCell(std::string& out, bool first, std::string_view cell) {
    if (!first) {
        out += ',';
    }
    // A comma needs the quotes; so does a "#" starting the line, which would otherwise
    // make the row a comment when the file is read again.
    const bool quoted = std::memchr(cell.data(), ',', cell.size()) != nullptr ||
                        (first && !cell.empty() && cell[0] == '#');
    if (quoted) {
        out += '"';
    }
    size_t i = 0;
    while (i < cell.size()) {
        size_t plain = i;
        while (plain < cell.size() && !NeedsReplacing(cell[plain])) {
            ++plain;
        }
        out.append(cell.data() + i, plain - i);
        if (plain == cell.size()) {
            break;
        }
        i = plain + 1;
        const char c = cell[plain];
        if (c == '"') {
            out += "\xFA\x57";  // ＂ FULLWIDTH QUOTATION MARK
        } else if (c == '\n') {
            out += ' ';
        } else if (i < cell.size() && cell[i] == '\n') {  // CR LF
            out += ' ';
            ++i;
        } else {
            out += c;  // a lone CR stays
        }
    }
    if (quoted) {
        out += '"';
    }
}

// What ComposePlainLine gives for a row that is not plain.
constexpr size_t kNotPlainLine = SIZE_MAX;

#if XEL_SSE2
// Composes the line of a row into `line` (room for `room` bytes and one block more),
// sixteen bytes at a time: its cells with commas for their terminators. Returns the
// line's length without a line break, or kNotPlainLine when a cell holds a byte that
// needs quoting or replacing or the line is longer than the room. Reads at most
// kDbReadSlack bytes past the row's last terminator.
size_t ComposePlainLine(const char* cells, int32_t columns, char* line, size_t room) {
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i ret = _mm_set1_epi8('\r');
    int32_t ended = 0;
    for (size_t n = 0;; n += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + n));
        const __m128i zeros = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
        const __m128i specials =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, quote)),
                         _mm_or_si128(_mm_cmpeq_epi8(bytes, feed), _mm_cmpeq_epi8(bytes, ret)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(line + n),
                         _mm_or_si128(_mm_andnot_si128(zeros, bytes), _mm_and_si128(zeros, comma)));
        uint32_t ends = static_cast<uint32_t>(_mm_movemask_epi8(zeros));
        const uint32_t special = static_cast<uint32_t>(_mm_movemask_epi8(specials));
        const int32_t found = CountBits(ends);
        if (ended + found >= columns) {
            for (int32_t i = ended + 1; i < columns; ++i) {
                ends &= ends - 1;  // the terminators before the last cell's
            }
            const int end = std::countr_zero(ends);
            return (special & ((1u << end) - 1)) != 0 ? kNotPlainLine
                                                      : n + static_cast<size_t>(end);
        }
        if (special != 0 || n + 16 > room) {
            return kNotPlainLine;
        }
        ended += found;
    }
}
#else
size_t ComposePlainLine(const char* cells, int32_t columns, char* line, size_t room) {
    size_t n = 0;
    for (int32_t ended = 0;; ++cells) {
        const char c = *cells;
        if (c == '\0') {
            if (++ended == columns) {
                return n;
            }
            line[n++] = ',';
        } else if (c == ',' || NeedsReplacing(c) || n == room) {
            return kNotPlainLine;
        } else {
            line[n++] = c;
        }
    }
}
#endif

// Bits, one per byte of 16 bytes of a row's cells, for what decides how they are written:
// the terminators, the line feeds, the commas, and the double quotes and CRs.
struct CellBits {
    uint32_t ends;
    uint32_t feeds;
    uint32_t commas;
    uint32_t others;
};

#if XEL_SSE2
// Classifies the 16 bytes at p.
CellBits ClassifyCellBlock(const char* p) {
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zeros = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
    const __m128i others = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    return {static_cast<uint32_t>(_mm_movemask_epi8(zeros)),
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')))),
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma))),
            static_cast<uint32_t>(_mm_movemask_epi8(others))};
}
#else
CellBits ClassifyCellBlock(const char* p) {
    CellBits bits{0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        const char c = p[i];
        const uint32_t bit = uint32_t{1} << i;
        bits.ends |= c == '\0' ? bit : 0;
        bits.feeds |= c == '\n' ? bit : 0;
        bits.commas |= c == ',' ? bit : 0;
        bits.others |= c == '"' || c == '\r' ? bit : 0;
    }
    return bits;
}
#endif

// Composes the line of a row whose cells hold nothing to replace but may need quoting (a
// comma, or a "#" starting the first cell) into `line` (room for `room` bytes), without
// its line break: what AppendCell gives for such cells. Returns kNotPlainLine for a row
// with a double quote, a CR or a line feed, or a line longer than the room.
size_t ComposeQuotedLine(const char* cells, int32_t columns, char* line, size_t room) {
    size_t n = 0;
    const char* cell = cells;
    for (int32_t c = 0; c < columns; ++c) {
        size_t size = 0;
        bool comma = false;
        for (;;) {
            const CellBits bits = ClassifyCellBlock(cell + size);
            const uint32_t before = bits.ends != 0 ? (bits.ends & (0u - bits.ends)) - 1 : 0xFFFFu;
            if (((bits.feeds | bits.others) & before) != 0) {
                return kNotPlainLine;
            }
            comma = comma || (bits.commas & before) != 0;
            if (bits.ends != 0) {
                size += static_cast<size_t>(std::countr_zero(bits.ends));
                break;
            }
            size += 16;
        }
        const bool quoted = comma || (c == 0 && size > 0 && cell[0] == '#');
        if (n + size + 3 > room) {
            return kNotPlainLine;
        }
        if (c > 0) {
            line[n++] = ',';
        }
        if (quoted) {
            line[n++] = '"';
        }
        std::memcpy(line + n, cell, size);
        n += size;
        if (quoted) {
            line[n++] = '"';
        }
        cell += size + 1;
    }
    return n;
}

#if XEL_SSE2
// The lines of rows read as kDbRowAsRead from the n bytes at `from` into `out`, 16 bytes at
// a time (the last block whole): a terminator becomes a comma, or the CR before a line
// feed. Reads 17 bytes past the n.
void LinesAsRead(const char* from, size_t n, char* out) {
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i ret = _mm_set1_epi8('\r');
    for (size_t i = 0; i < n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 1));
        const __m128i zeros = _mm_cmpeq_epi8(bytes, _mm_setzero_si128());
        const __m128i before = _mm_cmpeq_epi8(next, feed);
        const __m128i ends =
            _mm_or_si128(_mm_and_si128(before, ret), _mm_andnot_si128(before, comma));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_or_si128(_mm_andnot_si128(zeros, bytes), _mm_and_si128(zeros, ends)));
    }
}
#else
void LinesAsRead(const char* from, size_t n, char* out) {
    for (size_t i = 0; i < n; ++i) {
        out[i] = from[i] != '\0' ? from[i] : from[i + 1] == '\n' ? '\r' : ',';
    }
}
#endif

// The line feed ending the line of a row read as kDbRowAsRead, whose cells hold none.
// Reads up to 15 bytes past it (within the file's kDbFileSlack).
const char* LineFeedAfter(const char* cells) {
#if XEL_SSE2
    for (;; cells += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells));
        const int feeds = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
        if (feeds != 0) {
            return cells + std::countr_zero(static_cast<uint32_t>(feeds));
        }
    }
#else
    while (*cells != '\n') {
        ++cells;
    }
    return cells;
#endif
}

// Composes row lines straight into a string that is kept larger than its contents:
// most rows hold no byte that needs quoting or replacing, and no first cell starting
// with "#", and their line is their cells with commas for the terminators, composed in
// place; any other row goes cell by cell. With a writer, whatever is composed goes to it
// whenever the string holds a chunk, and the string is used again from its start: a save
// touches one chunk of memory, not a second copy of the table.
class RowLineWriter {
  public:
    static constexpr size_t kChunk = 256 * 1024;

    RowLineWriter(std::string& out, size_t expected, const XelContentWriter* write = nullptr)
        : m_out(out), m_used(out.size()), m_write(write) {
        m_out.resize(m_used + (write != nullptr ? kChunk : expected) + kLineRoom);
    }
    ~RowLineWriter() { m_out.resize(m_used); }

    // False once the writer failed; nothing more is written then.
    bool Ok() const { return m_ok; }

    void Append(const char* cells, int32_t columns) {
        if (m_write != nullptr && m_used >= kChunk) {
            m_ok = m_ok && (*m_write)(std::string_view(m_out.data(), m_used));
            m_used = 0;
        }
        if (m_out.size() - m_used < kLineRoom) {
            m_out.resize(2 * m_out.size() + kLineRoom);
        }
        char* const line = m_out.data() + m_used;
        size_t n = columns > 0 && cells[0] != '#'
                       ? ComposePlainLine(cells, columns, line, kLineRoom - 16 - 2)
                       : kNotPlainLine;
        if (n == kNotPlainLine && columns > 0) {
            n = ComposeQuotedLine(cells, columns, line, kLineRoom - 2);
        }
        if (n == kNotPlainLine) {
            AppendCells(cells, columns);
            return;
        }
        line[n] = '\r';
        line[n + 1] = '\n';
        m_used += n + 2;
    }

    // The lines of rows read as kDbRowAsRead, each following the one before: the `size`
    // bytes at `from`, up to and with the last row's line feed, with every terminator made
    // a comma and each one before a line feed the CR. Reads 16 bytes past the end (the
    // file's bytes have kDbFileSlack after them).
    void AppendAsRead(const char* from, size_t size) {
        while (size > 0) {
            if (m_write != nullptr && m_used >= kChunk) {
                m_ok = m_ok && (*m_write)(std::string_view(m_out.data(), m_used));
                m_used = 0;
            }
            if (m_out.size() - m_used < kLineRoom) {
                m_out.resize(2 * m_out.size() + kLineRoom);
            }
            // Up to the room's end, less the last block's store; with a writer, up to the
            // chunk's end.
            size_t piece = std::min(size, m_out.size() - m_used - 16);
            if (m_write != nullptr) {
                piece = std::min(piece, std::max<size_t>(kChunk - m_used, 16));
            }
            LinesAsRead(from, piece, m_out.data() + m_used);
            m_used += piece;
            from += piece;
            size -= piece;
        }
    }

  private:
    static constexpr size_t kLineRoom = 1024 + 16 + 2;

    void AppendCells(const char* cells, int32_t columns) {
        m_line.clear();
        for (int32_t c = 0; c < columns; ++c) {
            const size_t size = std::strlen(cells);
            AppendCell(m_line, c == 0, std::string_view(cells, size));
            cells += size + 1;
        }
        m_line += "\r\n";
        if (m_out.size() - m_used < m_line.size()) {
            m_out.resize(2 * m_out.size() + m_line.size());
        }
        std::memcpy(m_out.data() + m_used, m_line.data(), m_line.size());
        m_used += m_line.size();
    }

    std::string& m_out;
    size_t m_used;
    const XelContentWriter* m_write;
    bool m_ok = true;
    std::string m_line;  // of a row that is not plain
};

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

// The table's file, given to `write` in pieces of about RowLineWriter::kChunk bytes, or,
// without a writer, composed whole into `out`. False when the writer failed.
bool ComposeTableFile(const DbTable* table, std::string& out, const XelContentWriter* write) {
    // A row line is its cells, a comma between two of them, maybe two quotes per cell
    // and CR LF; the cells with their terminators take the text's bytes or fewer.
    const size_t perRow = 2 * static_cast<size_t>(table->columnCount) + 2;
    out.reserve(256);
    AppendLine(out, "# X-- Database Version 1.0");
    AppendLine(out, std::string("# Table Name : ") + table->name);
    std::string format = "# Format : ";
    for (int32_t c = 0; c < table->columnCount; ++c) {
        format += c == 0 ? "[" : ",[";
        format += table->columnNames[c];
        format += "]";
    }
    AppendLine(out, format);
    bool ok = true;
    {
        RowLineWriter writer(out, table->text.Used() + perRow * table->rows.size(), write);
        const size_t count = table->rows.size();
        const std::vector<uint8_t>& flags = table->rowFlags;
        for (size_t r = 0; r < count;) {
            if ((flags[r] & kDbRowAsRead) == 0) {
                writer.Append(table->rows[r].cells, table->columnCount);
                ++r;
            } else {
                // The rows read as they lie, one after the other in the file, go at once
                // (each next one after a line feed past the row before, as a check).
                constexpr uint8_t kFollowing = kDbRowAsRead | kDbRowFollows;
                size_t last = r;
                while (last + 1 < count && (flags[last + 1] & kFollowing) == kFollowing &&
                       table->rows[last + 1].cells > table->rows[last].cells &&
                       table->rows[last + 1].cells[-1] == '\n') {
                    ++last;
                }
                const char* const from = table->rows[r].cells;
                const char* const feed = LineFeedAfter(table->rows[last].cells);
                writer.AppendAsRead(from, static_cast<size_t>(feed + 1 - from));
                r = last + 1;
            }
            if (!writer.Ok()) {
                return false;
            }
        }
        ok = writer.Ok();
    }
    AppendLine(out, "# [END OF FILE]");
    return ok && (write == nullptr || (*write)(out));
}

// Every row goes at once, as deleting row 0 until none is left would leave it.
void ReleaseRows(DbTable* table) {
    std::vector<DbRow>().swap(table->rows);
    std::vector<uint8_t>().swap(table->rowFlags);
    table->index.Clear();
    table->text.Clear();
    table->loaded = 0;
}

}  // namespace

DbRegistry& DbKelnovaRegistry() {
    static DbRegistry registry{1, g_kelnovaTables, ""};
    return registry;
}

void DbSetRegistry(DbRegistry* registry) {
    g_registry = registry;
}

void DbTerminate() {}

DbTable* DbFindTable(const char* tableName) {
    if (g_registry == nullptr || tableName == nullptr) {
        return nullptr;
    }
    for (int32_t i = 0; i < g_registry->tableCount; ++i) {
        if (std::strcmp(g_registry->tables[i].name, tableName) == 0) {
            return &g_registry->tables[i];
        }
    }
    return nullptr;
}

std::string DbTablePath(const DbTable* table) {
    return DbTablePathIn(g_registry->dataFolder, table->name);
}

std::string DbTablePathIn(const std::string& dataFolder, const char* tableName) {
    return dataFolder + tableName + ".txt";
}

namespace {

// Splits a file's bytes (read with kDbFileSlack) into the rows of a table that holds none
// from a file; false, with the table's rows released, when they do not fit in the memory.
bool LoadRows(DbTable* table, XelFileBytes&& bytes) {
    const size_t size = bytes.size;
    try {
        // The bytes read become the rows' storage.
        char* const data = table->text.Adopt(std::move(bytes));
        EndLinesWithCrAlone(data, size);
        // Rows take 30 bytes or more (a date, two times, an INDEX, commas and a line
        // break) in the files the program writes; more rows than that make the array grow.
        const size_t expected = table->rows.size() + size / 30 + 16;
        table->rows.reserve(expected);
        table->rowFlags.reserve(expected);
        IndexOf(table, expected);  // made now, and kept through the reading
        FileRowReader(table, data, size).Read();
    } catch (const std::bad_alloc&) {
        // Rows that do not fit in the memory: the table stays closed and its file as it is.
        ReleaseRows(table);
        return false;
    }
    table->loaded = 1;
    return true;
}

// Whether the rows read ahead can stand for the table's own read: read whole from the
// table's file, and the table holding no rows yet (rows added to a table never read
// come before the file's).
bool TakesPrefetched(const DbTable* table, const std::string& path,
                     const DbPrefetchedTable* prefetched) {
    return prefetched != nullptr && prefetched->read && prefetched->path == path &&
           prefetched->table.columnCount == table->columnCount && table->rows.empty() &&
           table->text.Used() == 0;
}

DbTable* OpenTable(const char* tableName, bool mayWrite, DbPrefetchedTable* prefetched) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr) {
        return nullptr;
    }
    if (table->loaded) {
        return table;
    }
    const std::string path = DbTablePath(table);
    // A save cut short by a crash leaves its temporary file; it is never read.
    if (mayWrite) {
        XelRemoveStaleTemps(path);
    }
    if (TakesPrefetched(table, path, prefetched)) {
        // Moved, not copied: the rows stay where they were read, and so do the index's keys.
        DbTable& from = prefetched->table;
        table->rows = std::exchange(from.rows, {});
        table->rowFlags = std::exchange(from.rowFlags, {});
        table->text = std::exchange(from.text, {});
        table->index = std::exchange(from.index, {});
        table->loaded = 1;
        from.loaded = 0;
        prefetched->read = false;
        std::fputs(prefetched->diagnostics.c_str(), stdout);
        std::fflush(stdout);
        return table;
    }
    XelFileBytes bytes;
    XelReadResult read = XelReadFile(path, bytes, kDbFileSlack);
    if (read == XelReadResult::kMissing && mayWrite) {
        Diagnose(108, "WARNING:Table File is not Found (%s)!!\n", path.c_str());
        // Only a file that is not there is created: an existing file that merely could
        // not be opened is never emptied.
        if (XelCreateEmpty(path) != 0) {
            Diagnose(111, "Can't Create Table File (%s)!!\n", path.c_str());
            return nullptr;
        }
        read = XelReadFile(path, bytes, kDbFileSlack);
    }
    if (read != XelReadResult::kOk || !LoadRows(table, std::move(bytes))) {
        Diagnose(118, "Can't Open Table File (%s)!!\n", path.c_str());
        return nullptr;
    }
    return table;
}

}  // namespace

DbTable* DbOpenTable(const char* tableName) {
    return OpenTable(tableName, true, nullptr);
}

DbTable* DbOpenTableForReading(const char* tableName) {
    return OpenTable(tableName, false, nullptr);
}

DbTable* DbOpenTableFrom(const char* tableName, bool mayWrite, DbPrefetchedTable* prefetched) {
    return OpenTable(tableName, mayWrite, prefetched);
}

void DbPrepareRead(DbPrefetchedTable& into, const char* tableName, const std::string& dataFolder) {
    into = DbPrefetchedTable{};
    const DbRegistry& registry = DbKelnovaRegistry();
    for (int32_t i = 0; i < registry.tableCount; ++i) {
        const DbTable& table = registry.tables[i];
        if (std::strcmp(table.name, tableName) == 0) {
            into.table.name = table.name;
            into.table.columnCount = table.columnCount;
            into.table.columnNames = table.columnNames;
            into.path = DbTablePathIn(dataFolder, table.name);
        }
    }
}

bool DbReadTableFile(DbPrefetchedTable& into, const std::atomic<bool>* cancel) {
    into.read = false;
    if (into.table.name == nullptr || into.table.loaded || !into.table.rows.empty()) {
        return false;
    }
    // Diagnostics are kept for the open that takes the rows; a read that fails says
    // nothing: the open reads the file itself then, and says what it finds.
    std::string diagnostics;
    t_heldDiagnostics = &diagnostics;
    XelFileBytes bytes;
    const bool read = XelReadFile(into.path, bytes, kDbFileSlack, cancel) == XelReadResult::kOk &&
                      !(cancel != nullptr && cancel->load()) &&
                      LoadRows(&into.table, std::move(bytes));
    t_heldDiagnostics = nullptr;
    into.diagnostics = read ? std::move(diagnostics) : std::string();
    into.read = read;
    return read;
}

int DbWriteTable(const char* tableName) {
    return DbWriteTable(tableName, nullptr);
}

int DbWriteTable(const char* tableName, DbSaveError* why) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        if (why != nullptr) {
            *why = DbSaveError{};
        }
        return 0;
    }
    return DbWriteTableTo(tableName, DbTablePath(table), why);
}

namespace {

int WriteTableTo(const char* tableName, const std::string& path, DbSaveError* why,
                 const std::function<void(std::string_view piece)>* written) {
    DbSaveError failure;
    if (why != nullptr) {
        *why = failure;
    }
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        return 0;
    }
    const XelWriteResult result = XelReplaceFile(
        path,
        [table, written](const XelContentWriter& write) {
            std::string chunk;
            if (written == nullptr) {
                return ComposeTableFile(table, chunk, &write);
            }
            const XelContentWriter seen = [&](std::string_view piece) {
                (*written)(piece);
                return write(piece);
            };
            return ComposeTableFile(table, chunk, &seen);
        },
        &failure);
    if (why != nullptr) {
        *why = failure;
    }
    if (result == XelWriteResult::kOk) {
        return 0;
    }
    if (result == XelWriteResult::kOpenFailed) {
        Diagnose(158, "Can't Open Object File (%s)!!\n", path.c_str());
    }
    Diagnose(160, "Can't Save Table File (%s)!! %s failed: %s (errno %d)\n", path.c_str(),
             DbSaveStepName(failure.step), DbErrnoText(failure.errnoValue).c_str(),
             failure.errnoValue);
    if (failure.undoStep != DbSaveStep::kNone) {
        Diagnose(161, "WARNING:Old File is not Restored (%s)!! %s failed: %s (errno %d)\n",
                 path.c_str(), DbSaveStepName(failure.undoStep),
                 DbErrnoText(failure.undoErrno).c_str(), failure.undoErrno);
    }
    return -1;
}

}  // namespace

int DbWriteTableTo(const char* tableName, const std::string& path, DbSaveError* why) {
    return WriteTableTo(tableName, path, why, nullptr);
}

int DbWriteTable(const char* tableName, DbSaveError* why,
                 const std::function<void(std::string_view piece)>& written) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        if (why != nullptr) {
            *why = DbSaveError{};
        }
        return 0;
    }
    return WriteTableTo(tableName, DbTablePath(table), why, &written);
}

int DbCloseTable(const char* tableName, int save) {
    return DbCloseTable(tableName, save, nullptr);
}

int DbCloseTable(const char* tableName, int save, DbSaveError* why) {
    if (why != nullptr) {
        *why = DbSaveError{};
    }
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        return 0;
    }
    int result = save == 1 ? DbWriteTable(tableName, why) : 0;
    ReleaseRows(table);
    return result;
}

void DbAddRow(DbTable* table, std::string_view line) {
    // The line is split where it is copied to: its fields take at most the line and one
    // terminator, and each column without a field a terminator more.
    const size_t columns = static_cast<size_t>(table->columnCount);
    char* const cells = table->text.Reserve(line.size() + columns);
    if (!line.empty()) {
        std::memcpy(cells, line.data(), line.size());
    }
    char* end = cells;
    const size_t fields = SplitLineInPlace(cells, line.size(), columns, end);
    end = AddMissingCells(table, fields, end);
    table->text.Commit(static_cast<size_t>(end - cells));
    AppendRow(table, cells);
}

void DbDeleteRow(DbTable* table, int32_t row) {
    if (row < 0 || row >= DbRowCount(table)) {
        return;
    }
    auto& rows = table->rows;
    const int32_t last = DbRowCount(table) - 1;
    if (table->index.Built()) {
        const size_t columns = static_cast<size_t>(table->columnCount);
        table->index.Remove(row, FirstCell(rows[static_cast<size_t>(row)].cells, columns));
        if (row != last) {
            table->index.MoveLast(last, row, FirstCell(rows.back().cells, columns));
        }
        table->index.PopBack();
    }
    auto& flags = table->rowFlags;
    if (row != last) {
        rows[static_cast<size_t>(row)] = rows.back();
        // The moved row, and the row after the hole, no longer follow the rows before them.
        flags[static_cast<size_t>(row)] = flags.back() & kDbRowAsRead;
        if (row + 1 < last) {
            flags[static_cast<size_t>(row) + 1] &= kDbRowAsRead;
        }
    }
    rows.pop_back();
    flags.pop_back();
}

int32_t DbRowCount(const DbTable* table) {
    return static_cast<int32_t>(table->rows.size());
}

int32_t DbFindRow(DbTable* table, const char* column1, const char* value1, const char* column2,
                  const char* value2) {
    return DbFindRow3(table, column1, value1, column2, value2, nullptr, nullptr);
}

int32_t DbFindRow3(DbTable* table, const char* column1, const char* value1, const char* column2,
                   const char* value2, const char* column3, const char* value3) {
    const int32_t c1 = ColumnIndex(table, column1);
    if (!g_useIndex || c1 != 0) {
        return DbFindRow3Linear(table, column1, value1, column2, value2, column3, value3);
    }
    const int32_t c2 = ColumnIndex(table, column2);
    const int32_t c3 = ColumnIndex(table, column3);
    const DbFirstCellIndex& index = IndexOf(table);
    for (int32_t r = index.First(value1); r >= 0; r = index.Next(r)) {
        if (MatchesRest(table, r, column2, c2, value2, column3, c3, value3)) {
            return r;
        }
    }
    return -1;
}

int32_t DbFindRow3Linear(const DbTable* table, const char* column1, const char* value1,
                         const char* column2, const char* value2, const char* column3,
                         const char* value3) {
    const int32_t c1 = ColumnIndex(table, column1);
    const int32_t c2 = ColumnIndex(table, column2);
    const int32_t c3 = ColumnIndex(table, column3);
    for (int32_t r = 0; r < DbRowCount(table); ++r) {
        if (std::strcmp(CellAt(table, r, c1), value1) == 0 &&
            MatchesRest(table, r, column2, c2, value2, column3, c3, value3)) {
            return r;
        }
    }
    return -1;
}

void DbUseIndex(bool use) {
    g_useIndex = use;
}

const char* DbGetCell(const DbTable* table, int32_t row, const char* column) {
    if (row < 0 || row >= DbRowCount(table)) {
        return kEmptyText;
    }
    return CellAt(table, row, ColumnIndex(table, column));
}

void DbJoinField(DbLine& line, std::string_view cell) {
    AppendCell(line.text, line.cells++ == 0, cell);
}
