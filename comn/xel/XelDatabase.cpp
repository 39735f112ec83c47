#include "XelDatabase.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "XelFile.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const char kEmptyText[] = "";
// The store's source path as its diagnostics name it.
const char kSourcePath[] = "comn\\xel\\XelDatabase";

const char* const kKelnovaColumns[] = {"DATE",  "FROM_TIME", "TO_TIME",
                                       "INDEX", "YOTEI",     "SYUKUJITU"};
DbTable g_kelnovaTables[] = {{"kelnova", 6, kKelnovaColumns, {}, 0, {}, {}}};

DbRegistry* g_registry = nullptr;

// "comn\xel\XelDatabase(<number>):" then the message, which brings its own line break.
template <typename... Args>
void Diagnose(int number, const char* format, Args... args) {
    std::printf("%s(%d):", kSourcePath, number);
    std::printf(format, args...);
    std::fflush(stdout);
}

// The field splitter. Scanning from the start of a field: a line feed (or a NUL) ends
// the field's text but the scan goes on; a double quote restarts the field after it and
// takes every byte up to the next double quote, commas included, dropping whatever
// stands between that closing quote and the next comma; a comma or the end of the line
// ends the field. After a field has ended at the end of the line there are no more.
class DbNextField {
  public:
    explicit DbNextField(std::string_view line) : m_line(line) {}

    std::optional<std::string_view> operator()() {
        if (m_done) {
            return std::nullopt;
        }
        const size_t n = m_line.size();
        size_t start = m_pos;
        size_t end = std::string_view::npos;  // end of the field's text, once known
        size_t p = m_pos;
        while (p < n && m_line[p] != ',') {
            char c = m_line[p];
            if (c == '"') {
                start = p + 1;
                size_t close = std::min(m_line.find('"', start), n);
                end = FirstTerminator(start, close);
                p = close < n ? close + 1 : n;
                while (p < n && m_line[p] != ',') {
                    ++p;
                }
                break;
            }
            if ((c == '\n' || c == '\0') && end == std::string_view::npos) {
                end = p;
            }
            ++p;
        }
        if (end == std::string_view::npos) {
            end = p;
        }
        if (p >= m_line.size()) {
            m_done = true;
        } else {
            m_pos = p + 1;
        }
        return m_line.substr(start, end - start);
    }

  private:
    size_t FirstTerminator(size_t from, size_t to) const {
        for (size_t i = from; i < to; ++i) {
            if (m_line[i] == '\n' || m_line[i] == '\0') {
                return i;
            }
        }
        return to;
    }

    std::string_view m_line;
    size_t m_pos = 0;
    bool m_done = false;
};

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
std::string_view FirstCell(const char* cells, size_t columns) {
    return columns == 0 ? std::string_view() : std::string_view(cells);
}

// Appends a row whose cells lie back to back at `cells`, the first of them `first`.
void AppendRow(DbTable* table, const char* cells, std::string_view first) {
    table->index.Append(DbRowCount(table), first);
    table->rows.push_back(DbRow{cells});
}
void AppendRow(DbTable* table, const char* cells) {
    AppendRow(table, cells, FirstCell(cells, static_cast<size_t>(table->columnCount)));
}

// The fields of a line as the splitter gives them, at most one per column.
void SplitFields(std::string_view line, size_t columns, std::vector<std::string_view>& fields) {
    fields.clear();
    DbNextField next(line);
    while (fields.size() < columns) {
        std::optional<std::string_view> field = next();
        if (!field) {
            break;
        }
        fields.push_back(*field);
    }
}

// Writes the cells back to back from `out`, each with its terminator; a column without a
// field gets the empty text and diagnostic 503. The fields may lie in the same bytes
// further on: each is moved down, never past the start of the next. Returns the end.
char* WriteCells(const DbTable* table, const std::vector<std::string_view>& fields, char* out) {
    for (size_t c = 0; c < static_cast<size_t>(table->columnCount); ++c) {
        if (c < fields.size()) {
            std::memmove(out, fields[c].data(), fields[c].size());
            out += fields[c].size();
        } else {
            Diagnose(503, "WARNING:Object file format is Iregural!!(%s)\n", table->columnNames[c]);
        }
        *out++ = '\0';
    }
    return out;
}

// The first line feed in [p, end), or end. Lines are short, so a call of memchr for each
// costs more than this inline search.
const char* FindLineFeed(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    for (; p + 16 <= end; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const uint32_t hits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
        if (hits != 0) {
            return p + std::countr_zero(hits);
        }
    }
#endif
    while (p < end && *p != '\n') {
        ++p;
    }
    return p;
}

// Set bits of a 16-bit mask. std::popcount becomes a library call where the processor
// is not known to count bits itself.
int CountBits16(uint32_t mask) {
    static constexpr std::array<uint8_t, 256> kBits = [] {
        std::array<uint8_t, 256> bits{};
        for (int i = 1; i < 256; ++i) {
            bits[static_cast<size_t>(i)] =
                static_cast<uint8_t>((i & 1) + bits[static_cast<size_t>(i / 2)]);
        }
        return bits;
    }();
    return kBits[mask & 0xFF] + kBits[(mask >> 8) & 0xFF];
}

// Bits, one per byte of up to 16 bytes at p (n of them), for the commas and for the bytes
// that send a line off the fast path: double quotes, NULs, line breaks (and the other
// control bytes up to CR, which only cost the slow path).
struct ByteBits {
    uint32_t commas;
    uint32_t specials;
};

ByteBits ClassifyBytes(const char* p, size_t n) {
    ByteBits bits{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        bits.commas |= static_cast<uint32_t>(c == ',') << i;
        bits.specials |= static_cast<uint32_t>(c == '"' || c <= '\r') << i;
    }
    return bits;
}

// Turns the commas among the n bytes at p into terminators.
void EndAtCommas(char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        p[i] = p[i] == ',' ? '\0' : p[i];
    }
}

#if defined(__SSE2__)
// The same for a whole block of 16 bytes that may be read.
ByteBits ClassifyBlock(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i commas = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(','));
    const __m128i quotes = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'));
    const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8('\r')), bytes);
    return {static_cast<uint32_t>(_mm_movemask_epi8(commas)),
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(quotes, controls)))};
}

// Bytes past the n that belong to the line are written back as they were.
void EndBlockAtCommas(char* p, size_t n) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i inLine = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(n)), index);
    const __m128i commas = _mm_and_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')), inLine);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_andnot_si128(commas, bytes));
}
#else
ByteBits ClassifyBlock(const char* p) {
    return ClassifyBytes(p, 16);
}
void EndBlockAtCommas(char* p, size_t n) {
    EndAtCommas(p, n);
}
#endif

// The common line, without double quotes, NULs or line breaks, and with a field for every
// column: its fields are the runs between commas, so every comma becomes a terminator
// where it stands, and so does the byte after the line. The commas after the last cell
// end fields that are dropped; nothing reads past the last cell's terminator. False,
// with the line untouched, for any other line. Whole 16-byte blocks are read and written
// back up to `readable`; `firstSize` is the length of the first cell.
bool SplitPlainLine(char* line, size_t size, int32_t columns, const char* readable,
                    size_t& firstSize) {
    size_t commas = 0;
    firstSize = size;
    for (size_t base = 0; base < size; base += 16) {
        const size_t n = std::min<size_t>(16, size - base);
        const ByteBits bits = line + base + 16 <= readable ? ClassifyBlock(line + base)
                                                           : ClassifyBytes(line + base, n);
        const uint32_t inLine = n == 16 ? 0xFFFFu : (1u << n) - 1;
        if ((bits.specials & inLine) != 0) {
            return false;
        }
        const uint32_t found = bits.commas & inLine;
        if (firstSize == size && found != 0) {
            firstSize = base + static_cast<size_t>(std::countr_zero(found));
        }
        commas += static_cast<size_t>(CountBits16(found));
    }
    if (commas + 1 < static_cast<size_t>(columns)) {
        return false;
    }
    for (size_t base = 0; base < size; base += 16) {
        const size_t n = std::min<size_t>(16, size - base);
        if (line + base + 16 <= readable) {
            EndBlockAtCommas(line + base, n);
        } else {
            EndAtCommas(line + base, n);
        }
    }
    line[size] = '\0';
    return true;
}

// Adds the row of one line of the file, splitting it where it lies: the line and the byte
// after it (its CR or LF, or the file's terminator) are overwritten by its cells, which
// are never longer. Only a line with fewer fields than columns needs room of its own.
void LoadRow(DbTable* table, char* line, size_t size, const char* readable,
             std::vector<std::string_view>& fields) {
    const int32_t columns = table->columnCount;
    size_t firstSize = 0;
    if (columns > 0 && SplitPlainLine(line, size, columns, readable, firstSize)) {
        AppendRow(table, line, std::string_view(line, firstSize));
        return;
    }
    SplitFields(std::string_view(line, size), static_cast<size_t>(columns), fields);
    if (fields.size() == static_cast<size_t>(columns)) {
        WriteCells(table, fields, line);
        AppendRow(table, line);
        return;
    }
    char* const cells = table->text.Reserve(size + static_cast<size_t>(columns));
    table->text.Commit(static_cast<size_t>(WriteCells(table, fields, cells) - cells));
    AppendRow(table, cells);
}

// Line feeds plus one: at least the number of lines.
size_t CountLines(const std::string& contents) {
    const char* p = contents.data();
    const char* const end = p + contents.size();
    size_t lines = 1;
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    for (; p + 16 <= end; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        lines += static_cast<size_t>(
            CountBits16(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)))));
    }
#endif
    return lines + static_cast<size_t>(std::count(p, end, '\n'));
}

// The bytes read become the rows' storage, so they should take no more room than the file
// (reading into a string that grows as it goes could leave twice that).
void ReserveFileSize(const std::string& path, std::string& contents) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size < contents.max_size() - kDbReadSlack) {
        contents.reserve(static_cast<size_t>(size) + kDbReadSlack);
    }
}

// Lines end with LF or CR LF. A file without a single LF but with CRs comes from an
// editor that ends lines with CR alone; read as one line it would be one row of
// everything (or, starting with the header, one comment), so its CRs become line ends.
void EndLinesWithCrAlone(std::string& contents) {
    if (contents.find('\n') == std::string::npos) {
        std::replace(contents.begin(), contents.end(), '\r', '\n');
    }
}

// Reads the rows of a file's contents, which the table keeps: the rows' cells stay in
// those bytes.
void LoadRows(DbTable* table, std::string&& contents) {
    std::string& bytes = table->text.Adopt(std::move(contents));
    const size_t lines = CountLines(bytes);
    table->rows.reserve(table->rows.size() + lines);
    table->index.Reserve(table->rows.size() + lines);
    std::vector<std::string_view> fields;  // of the lines off the fast path
    fields.reserve(static_cast<size_t>(table->columnCount));
    char* const data = bytes.data();
    const size_t total = bytes.size();
    size_t pos = 0;
    while (pos < total) {
        const size_t next =
            std::min(static_cast<size_t>(FindLineFeed(data + pos, data + total) - data) + 1, total);
        char* const line = data + pos;
        size_t size = next - pos;
        pos = next;
        // In memory a line ends with one line feed: the CR of a CR LF pair goes.
        if (size >= 2 && line[size - 2] == '\r' && line[size - 1] == '\n') {
            size -= 2;
        } else if (size > 0 && line[size - 1] == '\n') {
            size -= 1;
        }
        if (size == 0 || line[0] == '#') {
            continue;
        }
        LoadRow(table, line, size, data + total, fields);
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

#if defined(__SSE2__)
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
        const int32_t found = CountBits16(ends);
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

// Composes row lines straight into a string that is kept larger than its contents:
// most rows hold no byte that needs quoting or replacing, and no first cell starting
// with "#", and their line is their cells with commas for the terminators, composed in
// place; any other row goes cell by cell.
class RowLineWriter {
  public:
    RowLineWriter(std::string& out, size_t expected) : m_out(out), m_used(out.size()) {
        m_out.resize(m_used + expected + kLineRoom);
    }
    ~RowLineWriter() { m_out.resize(m_used); }

    void Append(const char* cells, int32_t columns) {
        if (m_out.size() - m_used < kLineRoom) {
            m_out.resize(2 * m_out.size() + kLineRoom);
        }
        char* const line = m_out.data() + m_used;
        size_t n = columns > 0 && cells[0] != '#'
                       ? ComposePlainLine(cells, columns, line, kLineRoom - 16 - 2)
                       : kNotPlainLine;
        if (n == kNotPlainLine) {
            AppendCells(cells, columns);
            return;
        }
        line[n] = '\r';
        line[n + 1] = '\n';
        m_used += n + 2;
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
    std::string m_line;  // of a row that is not plain
};

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

std::string TableFileContents(const DbTable* table) {
    std::string out;
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
    {
        RowLineWriter writer(out, table->text.Used() + perRow * table->rows.size());
        for (const DbRow& row : table->rows) {
            writer.Append(row.cells, table->columnCount);
        }
    }
    AppendLine(out, "# [END OF FILE]");
    return out;
}

// Every row goes at once, as deleting row 0 until none is left would leave it.
void ReleaseRows(DbTable* table) {
    std::vector<DbRow>().swap(table->rows);
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
    return g_registry->dataFolder + table->name + ".txt";
}

DbTable* DbOpenTable(const char* tableName) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr) {
        return nullptr;
    }
    if (table->loaded) {
        return table;
    }
    const std::string path = DbTablePath(table);
    // A save cut short by a crash leaves its temporary file; it is never read.
    XelRemoveStaleTemps(path);
    std::string contents;
    ReserveFileSize(path, contents);
    XelReadResult read = XelReadFile(path, contents);
    if (read == XelReadResult::kMissing) {
        Diagnose(108, "WARNING:Table File is not Found (%s)!!\n", path.c_str());
        // Only a file that is not there is created: an existing file that merely could
        // not be opened is never emptied.
        if (XelCreateEmpty(path) != 0) {
            Diagnose(111, "Can't Create Table File (%s)!!\n", path.c_str());
            return nullptr;
        }
        read = XelReadFile(path, contents);
    }
    if (read != XelReadResult::kOk) {
        Diagnose(118, "Can't Open Table File (%s)!!\n", path.c_str());
        return nullptr;
    }
    EndLinesWithCrAlone(contents);
    LoadRows(table, std::move(contents));
    table->loaded = 1;
    return table;
}

int DbWriteTable(const char* tableName) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        return 0;
    }
    const std::string path = DbTablePath(table);
    switch (XelReplaceFile(path, TableFileContents(table))) {
        case XelWriteResult::kOk:
            return 0;
        case XelWriteResult::kOpenFailed:
            Diagnose(158, "Can't Open Object File (%s)!!\n", path.c_str());
            return -1;
        case XelWriteResult::kFailed:
            return -1;
    }
    return -1;
}

int DbCloseTable(const char* tableName, int save) {
    DbTable* table = DbFindTable(tableName);
    if (table == nullptr || !table->loaded) {
        return 0;
    }
    int result = save == 1 ? DbWriteTable(tableName) : 0;
    ReleaseRows(table);
    return result;
}

void DbAddRow(DbTable* table, std::string_view line) {
    // Each field is at most the line, and each cell takes one terminator.
    const size_t columns = static_cast<size_t>(table->columnCount);
    char* const cells = table->text.Reserve(line.size() + columns);
    std::vector<std::string_view> fields;
    SplitFields(line, columns, fields);
    char* const end = WriteCells(table, fields, cells);
    table->text.Commit(static_cast<size_t>(end - cells));
    AppendRow(table, cells);
}

void DbDeleteRow(DbTable* table, int32_t row) {
    if (row < 0 || row >= DbRowCount(table)) {
        return;
    }
    auto& rows = table->rows;
    const int32_t last = DbRowCount(table) - 1;
    const size_t columns = static_cast<size_t>(table->columnCount);
    table->index.Remove(row, FirstCell(rows[static_cast<size_t>(row)].cells, columns));
    if (row != last) {
        table->index.MoveLast(last, row, FirstCell(rows.back().cells, columns));
        rows[static_cast<size_t>(row)] = rows.back();
    }
    table->index.PopBack();
    rows.pop_back();
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
    const DbFirstCellIndex& index = table->index;
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
