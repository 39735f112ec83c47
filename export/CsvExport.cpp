#include "CsvExport.h"

#include "Cp932.h"
#include "DateTime.h"

namespace {

// The header and kind names in UTF-8, as the source holds them.
const char* const kHeader[] = {"日付", "曜日", "開始", "終了", "種別", "内容"};
const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

const char* KindName(ExportKind kind) {
    switch (kind) {
        case ExportKind::kHoliday:
            return "祝日";
        case ExportKind::kPaidLeave:
            return "有給";
        case ExportKind::kPeriod:
            return "期間";
        case ExportKind::kTimed:
            break;
    }
    return "予定";
}

// "2026/12/07" for "20261207".
std::string SlashDate(const std::string& date) {
    if (date.size() != 8) {
        return date;
    }
    return date.substr(0, 4) + "/" + date.substr(4, 2) + "/" + date.substr(6, 2);
}

// "09:30" for "0930"; a cell that is no time as it is.
std::string ColonTime(const std::string& cell) {
    int h = 0;
    int m = 0;
    if (!ExportTimeOf(cell, &h, &m)) {
        return cell;
    }
    return cell.substr(0, 2) + ":" + cell.substr(2, 2);
}

// Texts of the source (UTF-8) and of the table (CP932) in the file's encoding.
class Encoder {
  public:
    explicit Encoder(CsvEncoding encoding) : m_encoding(encoding) {}
    std::string FromUtf8(const std::string& utf8) const {
        if (m_encoding == CsvEncoding::kUtf8Bom) {
            return utf8;
        }
        return Utf8ToCp932(utf8).value_or(std::string());
    }
    std::string FromCp932(const std::string& cp932) const {
        if (m_encoding == CsvEncoding::kUtf8Bom) {
            return Cp932ToUtf8Lossy(cp932);
        }
        if (Cp932ToUtf8(cp932)) {
            return cp932;
        }
        // A damaged cell: only its characters go out, so no stray lead byte swallows the
        // comma after it.
        return Utf8ToCp932(Cp932ToUtf8Lossy(cp932)).value_or(std::string());
    }

  private:
    CsvEncoding m_encoding;
};

}  // namespace

std::string CsvField(std::string_view text) {
    // The bytes looked for are ASCII; in CP932 no second byte of a character is one of
    // them (second bytes are 0x40 and above), so a byte scan finds only real ones.
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') {
            field += '"';
        }
        field += c;
    }
    field += '"';
    return field;
}

std::string CsvFromItems(const std::vector<ExportItem>& items, CsvEncoding encoding) {
    const Encoder encoder(encoding);
    std::string out;
    if (encoding == CsvEncoding::kUtf8Bom) {
        out += "\xEF\xBB\xBF";
    }
    const auto row = [&out](const std::vector<std::string>& fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            out += CsvField(fields[i]);
        }
        out += "\r\n";
    };
    std::vector<std::string> header;
    for (const char* name : kHeader) {
        header.push_back(encoder.FromUtf8(name));
    }
    row(header);
    for (const ExportItem& item : items) {
        std::string from;
        std::string to;
        if (item.kind == ExportKind::kTimed) {
            from = encoder.FromCp932(ColonTime(item.from));
            to = encoder.FromCp932(ColonTime(item.to));
        } else if (item.kind == ExportKind::kPeriod) {
            to = SlashDate(item.last);
        }
        row({SlashDate(item.first), encoder.FromUtf8(kWeekdays[DateWeekday(item.first)]), from, to,
             encoder.FromUtf8(KindName(item.kind)), encoder.FromCp932(item.text)});
    }
    return out;
}
