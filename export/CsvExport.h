// The schedule as a spreadsheet file (RFC 4180, as Excel opens it): a header row 日付,
// 曜日, 開始, 終了, 種別, 内容 and one row per entry, CR LF after every row, a field that
// holds a comma, a double quote or a line break in double quotes with its quotes doubled.
//
//   日付        曜日  開始   終了        種別  内容
//   2026/12/07  月    09:30  10:00       予定  会議
//   2026/12/30  水           2027/01/03  期間  帰省
//   2026/12/29  火                       祝日
//   2026/12/28  月                       有給
//
// A timed entry (予定) has its times as HH:MM (a cell that is no time is written as it
// is); a period (期間) stands once, on its first day, with its last day as 終了; the marks
// (祝日, 有給) have no content.
#pragma once

#include <string>
#include <vector>

#include "ExportItems.h"

enum class CsvEncoding {
    kCp932,    // as Excel on a Japanese Windows reads a .csv by default
    kUtf8Bom,  // UTF-8 behind a byte-order mark, which Excel needs to take it for UTF-8
};

// The file's bytes. Texts that are not CP932 (a damaged cell) are written in UTF-8 with
// U+FFFD for each bad byte, or dropped byte by byte in CP932.
std::string CsvFromItems(const std::vector<ExportItem>& items, CsvEncoding encoding);

// One field as RFC 4180 writes it.
std::string CsvField(std::string_view text);
