// The table store: named tables of text cells under named columns, held in memory
// and kept as CP932 text files in the data folder.
//
// File layout, every line ending with CR LF on disk:
//
//   # X-- Database Version 1.0
//   # Table Name : kelnova
//   # Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]
//   20070305,0930,1000,1,"a,b",
//   # [END OF FILE]
//
// A cell holding a comma is written in double quotes; nothing else is quoted or
// escaped. Lines starting with '#' and empty lines are comments, wherever they are.
//
// Functions report failure with null or -1 and never throw. Diagnostics go to standard
// output as "comn\xel\XelDatabase(<number>):<message>".
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "XelRowStore.h"
#include "XelSaveError.h"

// One row: its cells back to back in the table's text blocks, each ended by a NUL byte.
struct DbRow {
    const char* cells;
};

struct DbTable {
    const char* name;                // table name, also the stem of its file name
    int32_t columnCount;             // every row has exactly this many cells
    const char* const* columnNames;  // column names in column order
    std::vector<DbRow> rows;         // file order, then appended rows
    // Per row, kDbRowAsRead and kDbRowFollows (XelRowStore.h): what the save may copy.
    std::vector<uint8_t> rowFlags;
    int32_t loaded = 0;      // 1 once the file has been read
    DbTextArena text;        // the rows' cell texts
    DbFirstCellIndex index;  // the rows by their first cell
};

struct DbRegistry {
    int32_t tableCount;
    DbTable* tables;
    // Folder prefix of every table file, in the file system's encoding, ending with
    // the platform separator (or empty for the current directory).
    std::string dataFolder;
};

// A row line being composed cell by cell with DbJoinField.
struct DbLine {
    std::string text;
    int32_t cells = 0;
};

// The program's registry: the table "kelnova" with DATE, FROM_TIME, TO_TIME, INDEX,
// YOTEI and SYUKUJITU.
DbRegistry& DbKelnovaRegistry();

void DbSetRegistry(DbRegistry* registry);
void DbTerminate();

DbTable* DbOpenTable(const char* tableName);
// The same for reading only: a missing file is not created and no stale temporary file is
// removed, so nothing in the folder changes (another copy of the program may be saving).
DbTable* DbOpenTableForReading(const char* tableName);

// A table file read ahead, apart from the registry: its rows in a table of their own, to
// be taken over by the open of the registry's table (DbOpenTableFrom). Made by
// DbPrepareRead, read by DbReadTableFile, which may run on a thread of its own while
// nothing else touches the object.
struct DbPrefetchedTable {
    DbTable table{nullptr, 0, nullptr, {}, {}, 0, {}, {}};
    std::string path;         // the file read, as DbTablePath would name it
    bool read = false;        // the whole file was read into `table`
    std::string diagnostics;  // what the read would have printed, printed when taken over
};
// Makes `into` ready to read the file of the registry's table `tableName` in the folder
// (file system encoding, ending with the separator, or empty): the same columns, its path.
void DbPrepareRead(DbPrefetchedTable& into, const char* tableName, const std::string& dataFolder);
// Reads and splits the file as the open of the table does (CR handling, rows, index),
// creating and removing nothing. False when the file is missing, cannot be read whole,
// does not fit in the memory, or `cancel` (looked at between blocks) was set.
bool DbReadTableFile(DbPrefetchedTable& into, const std::atomic<bool>* cancel);
// DbOpenTable (mayWrite) or DbOpenTableForReading, with every step they take, but the rows
// are taken over from `prefetched` (moved: no byte is copied) instead of read, when it
// was read whole from the same path and the table holds no rows yet. The caller vouches
// that the file has not changed since. Otherwise, or with null, the file is read.
DbTable* DbOpenTableFrom(const char* tableName, bool mayWrite, DbPrefetchedTable* prefetched);

// 0 when written (or not loaded), -1 when the file could not be replaced; on failure the
// old file is left byte-identical (unless putting it back failed too, which `why` and the
// diagnostics tell). A failure prints the step that failed and its errno as diagnostic 160
// (after 158 when the file could not be opened), and a failed undo as 161.
int DbWriteTable(const char* tableName);
// The same, setting `why` (when not null) to why the save failed, or to no failure.
int DbWriteTable(const char* tableName, DbSaveError* why);
// The same bytes written as the file at path instead of the table's own file (a copy kept
// elsewhere when the table's folder refuses the save), with the same safety and reasons.
int DbWriteTableTo(const char* tableName, const std::string& path, DbSaveError* why);
// DbWriteTable that also gives `written` every piece of the file's bytes as it goes out, in
// order (whoever keeps a hash of the file need not read it back); after a failed save the
// pieces given are no file's contents.
int DbWriteTable(const char* tableName, DbSaveError* why,
                 const std::function<void(std::string_view piece)>& written);
// Writes first when save is exactly 1; releases the rows in every case.
int DbCloseTable(const char* tableName, int save);
int DbCloseTable(const char* tableName, int save, DbSaveError* why);

void DbAddRow(DbTable* table, std::string_view line);
void DbDeleteRow(DbTable* table, int32_t row);
int32_t DbRowCount(const DbTable* table);

// The first row in table order whose cells equal the values (byte for byte) under the
// named columns; a null column2 ends the pairs there, and so does a null column3. An
// unknown column reads as the empty text in every row. Searches on the first column go
// through the table's index and visit only the rows holding value1.
int32_t DbFindRow(DbTable* table, const char* column1, const char* value1, const char* column2,
                  const char* value2);
int32_t DbFindRow3(DbTable* table, const char* column1, const char* value1, const char* column2,
                   const char* value2, const char* column3, const char* value3);
// The cell text, borrowed from the store until its row is deleted or the table closed;
// the shared empty text for a bad row or an unknown column.
const char* DbGetCell(const DbTable* table, int32_t row, const char* column);

// Appends one cell to a row line: the first call on a fresh line writes the cell alone,
// every later one a comma first. A cell holding a comma is enclosed in double quotes,
// and so is a first cell starting with "#" (else the row would read back as a comment).
// The file cannot carry a double quote or a line feed inside a cell, so a double quote
// is written as the full-width quotation mark (CP932 0xFA 0x57) and each line break
// (CR LF or LF) as one blank; every other byte is written as it is.
void DbJoinField(DbLine& line, std::string_view cell);

// Internal operations, exposed for the tests and benchmarks.
DbTable* DbFindTable(const char* tableName);
std::string DbTablePath(const DbTable* table);
// The path of a table's file in a data folder.
std::string DbTablePathIn(const std::string& dataFolder, const char* tableName);
// DbFindRow3 by a scan of every row from row 0, without the index: the reference the
// indexed search must agree with, and the baseline of the benchmarks.
int32_t DbFindRow3Linear(const DbTable* table, const char* column1, const char* value1,
                         const char* column2, const char* value2, const char* column3,
                         const char* value3);
// false makes DbFindRow and DbFindRow3 scan every row as DbFindRow3Linear does (for
// benchmarks that compare the two); true, the default, uses the index.
void DbUseIndex(bool use);
