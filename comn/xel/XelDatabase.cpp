#include "XelDatabase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "XelFile.h"

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

// Line feeds plus one: at least the number of lines.
size_t CountLines(const std::string& contents) {
    const char* const end = contents.data() + contents.size();
    size_t lines = 1;
    for (const char* p = contents.data();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p) {
        ++lines;
    }
    return lines;
}

void LoadRows(DbTable* table, const std::string& contents) {
    // Room for every line as a row up front: a realistic row's cells take no more bytes
    // than its line with its line break.
    const size_t lines = CountLines(contents);
    table->rows.reserve(table->rows.size() + lines);
    table->index.Reserve(table->rows.size() + lines);
    table->text.ExpectBytes(contents.size() + static_cast<size_t>(table->columnCount));
    size_t pos = 0;
    while (pos < contents.size()) {
        size_t lf = contents.find('\n', pos);
        size_t next = lf == std::string::npos ? contents.size() : lf + 1;
        std::string_view line(contents.data() + pos, next - pos);
        pos = next;
        // In memory a line ends with one line feed: the CR of a CR LF pair goes.
        if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\n') {
            line.remove_suffix(2);
        } else if (!line.empty() && line.back() == '\n') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        DbAddRow(table, line);
    }
    table->text.ExpectBytes(0);
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

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

std::string TableFileContents(const DbTable* table) {
    std::string out;
    // A row line is its cells, a comma between two of them, maybe two quotes per cell
    // and CR LF; the cells with their terminators take the text's bytes or fewer.
    const size_t perRow = 2 * static_cast<size_t>(table->columnCount) + 2;
    out.reserve(256 + table->text.Used() + perRow * table->rows.size());
    AppendLine(out, "# X-- Database Version 1.0");
    AppendLine(out, std::string("# Table Name : ") + table->name);
    std::string format = "# Format : ";
    for (int32_t c = 0; c < table->columnCount; ++c) {
        format += c == 0 ? "[" : ",[";
        format += table->columnNames[c];
        format += "]";
    }
    AppendLine(out, format);
    for (const DbRow& row : table->rows) {
        const char* cell = row.cells;
        for (int32_t c = 0; c < table->columnCount; ++c) {
            const size_t size = std::strlen(cell);
            AppendCell(out, c == 0, std::string_view(cell, size));
            cell += size + 1;
        }
        out.append("\r\n");
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
    std::string contents;
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
    LoadRows(table, contents);
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
    char* out = cells;
    DbNextField next(line);
    bool fieldsLeft = true;
    for (size_t c = 0; c < columns; ++c) {
        std::optional<std::string_view> field = fieldsLeft ? next() : std::nullopt;
        if (!field) {
            fieldsLeft = false;
            Diagnose(503, "WARNING:Object file format is Iregural!!(%s)\n", table->columnNames[c]);
            *out++ = '\0';
            continue;
        }
        std::memcpy(out, field->data(), field->size());
        out += field->size();
        *out++ = '\0';
    }
    table->text.Commit(static_cast<size_t>(out - cells));
    table->index.Append(DbRowCount(table), FirstCell(cells, columns));
    table->rows.push_back(DbRow{cells});
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
