#include "MonthPdf.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "CairoCanvas.h"
#include "CopyFolders.h"
#include "Cp932.h"
#include "IniFile.h"
#include "MonthPainter.h"

namespace {

// Where cairo's bytes go: the temporary file, remembering the first write error.
struct PdfSink {
    int fd = -1;
    int error = 0;
};

cairo_status_t WriteToSink(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<PdfSink*>(closure);
    while (length > 0 && sink->error == 0) {
        const ssize_t written = ::write(sink->fd, data, length);
        if (written < 0) {
            if (errno != EINTR) {
                sink->error = errno;
            }
            continue;
        }
        data += written;
        length -= static_cast<unsigned int>(written);
    }
    return sink->error == 0 ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

std::string ErrnoText(int error) {
    return std::strerror(error);
}

// Paints the page into the surface; false when cairo failed.
bool PaintPage(cairo_surface_t* surface, const MonthLayout& layout, const MonthContent& content) {
    cairo_t* cr = cairo_create(surface);
    const PagePlacement place = PlaceOnPage(kPdfPageWidth, kPdfPageHeight, kPdfMargin,
                                            layout.ClientWidth(), layout.ClientHeight());
    cairo_translate(cr, place.left, place.top);
    cairo_scale(cr, place.scale, place.scale);
    {
        fw::CairoCanvas canvas(cr);
        PaintMonthOnPaper(canvas, layout, content);
    }
    cairo_show_page(cr);
    const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    return ok;
}

}  // namespace

PagePlacement PlaceOnPage(double pageWidth, double pageHeight, double margin, int width,
                          int height) {
    PagePlacement place;
    if (width <= 0 || height <= 0) {
        return place;
    }
    place.scale = std::min((pageWidth - 2 * margin) / width, (pageHeight - 2 * margin) / height);
    place.left = (pageWidth - width * place.scale) / 2;
    place.top = margin;
    return place;
}

std::optional<YearMonth> ParseYearMonth(std::string_view text) {
    const size_t dash = text.find('-');
    if (dash != 4 || text.size() < 6 || text.size() > 7) {
        return std::nullopt;
    }
    const auto digits = [](std::string_view part, int& value) {
        value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        return true;
    };
    YearMonth ym;
    if (!digits(text.substr(0, 4), ym.year) || !digits(text.substr(5), ym.month) ||
        ym.year < 1000 || ym.month < 1 || ym.month > 12) {
        return std::nullopt;
    }
    return ym;
}

bool WriteMonthPdf(const MonthLayout& layout, const MonthContent& content, const std::string& path,
                   std::string& error) {
    if (path.empty()) {
        error = "出力ファイルの名前がありません。";
        return false;
    }
    std::string temp = path + ".part-XXXXXX";
    PdfSink sink;
    sink.fd = ::mkstemp(temp.data());
    if (sink.fd < 0) {
        error = "PDF ファイル " + path + " を作成できません。（" + ErrnoText(errno) + "）";
        return false;
    }
    // mkstemp makes the file for its owner alone; the PDF gets a new file's usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(sink.fd, 0666 & ~mask);

    cairo_surface_t* surface =
        cairo_pdf_surface_create_for_stream(WriteToSink, &sink, kPdfPageWidth, kPdfPageHeight);
    cairo_pdf_surface_set_metadata(
        surface, CAIRO_PDF_METADATA_TITLE,
        Cp932ToUtf8Lossy(MonthHeaderText(content.year, content.month)).c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Pemdaro");
    bool ok = PaintPage(surface, layout, content);
    cairo_surface_finish(surface);
    ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && sink.error == 0;
    cairo_surface_destroy(surface);
    int failure = sink.error;
    if (ok && ::fsync(sink.fd) != 0) {
        ok = false;
        failure = errno;
    }
    if (::close(sink.fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = "PDF ファイル " + path + " を書き込めません。";
        if (failure != 0) {
            error += "（" + ErrnoText(failure) + "）";
        }
        return false;
    }
    return true;
}

namespace {

const char kUsage[] =
    "使い方: pemdaro --pdf 年-月 出力ファイル\n"
    "  例: pemdaro --pdf 2026-12 month.pdf（2026年12月を A4 の PDF に書き出します）\n";

// The table for reading only; false with the message on err.
bool OpenTable(CScheduleModel& model, const CopyFacts& copy, std::ostream& err) {
    const std::optional<std::string> folder = DataFolderFromSettings(copy);
    if (!folder) {
        err << "pemdaro: kelnova.ini の DATA_DIR が正しくありません。\n";
        return false;
    }
    const std::string table = *folder + "kelnova.txt";
    if (!model.OpenForReading(*folder)) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(table, ec);
        err << "pemdaro: データファイル " << table
            << (exists ? " を読めません。\n" : " がありません。\n");
        return false;
    }
    if (!model.LooksLikeScheduleFile()) {
        err << "pemdaro: データファイル " << table << " は予定表の形式ではありません。\n";
        return false;
    }
    return true;
}

}  // namespace

int RunPdfCommand(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() != 2) {
        err << "pemdaro: --pdf には年-月と出力ファイルの 2 つを指定します。\n" << kUsage;
        return 2;
    }
    const std::optional<YearMonth> ym = ParseYearMonth(args[0]);
    if (!ym) {
        err << "pemdaro: 年-月 \"" << args[0]
            << "\" が正しくありません（1000-01 から 9999-12 まで、例: 2026-12）。\n"
            << kUsage;
        return 2;
    }
    // The settings and the table the window of this copy would use.
    const CopyFacts copy = InspectCopy();
    LoadCopySettings(copy);
    // HOLIDAYS=0 turns the national holidays off, as in the window.
    const bool holidays = std::string_view(IniGet("HOLIDAYS", "1")) != "0";
    CScheduleModel model;
    const bool opened = OpenTable(model, copy, err);
    IniClose(0);
    if (!opened) {
        return 1;
    }
    // The table is never written over, whatever name it is given.
    std::error_code ec;
    if (std::filesystem::equivalent(args[1], model.FilePath(), ec)) {
        err << "pemdaro: " << args[1]
            << " はデータファイルです。PDF は別のファイルに書き出してください。\n";
        return 2;
    }
    MonthContent content = model.ReadMonth(ym->year, ym->month);
    model.Close(false);
    if (holidays) {
        AddNationalHolidays(content);
    }
    std::string error;
    if (!WriteMonthPdf(MonthLayout(), content, args[1], error)) {
        err << "pemdaro: " << error << "\n";
        return 1;
    }
    return 0;
}
