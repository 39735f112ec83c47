#!/usr/bin/env bash
# pemdaro --pdf without a display: the month's A4 page as a PDF, checked with poppler's
# pdfinfo, pdffonts, pdftotext and pdftoppm; bad command lines and unusable tables fail
# with a message and leave no file.
# Usage: pdf_e2e.sh PEMDARO
PEMDARO=$(realpath "$1")
source "$(dirname "$0")/lib.sh"
trap 'cleanup' EXIT
unset DISPLAY WAYLAND_DISPLAY
for tool in pdfinfo pdffonts pdftotext pdftoppm iconv od; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 77; }
done
make_workspace

HEADER=$'# X-- Database Version 1.0\r\n# Table Name : kelnova\r\n# Format : [DATE],[FROM_TIME],[TO_TIME],[INDEX],[YOTEI],[SYUKUJITU]\r\n'
END_MARK=$'# [END OF FILE]\r\n'
# December 2020, a month long over: a holiday mark on Tuesday the 8th, an entry with Japanese text on it, and
# a period from the 14th to the 18th.
{
    printf '%s' "$HEADER"
    printf '20201208,0930,1000,1,会議の準備,\r\n20201208,,,,,1\r\n'
    for d in 14 15 16 17 18; do printf '202012%s,,,0,出張,\r\n' "$d"; done
    printf '%s' "$END_MARK"
} | iconv -f UTF-8 -t CP932 >"$E2E_WORK/data/kelnova.txt"
cp "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/table.orig"
TABLE_FILES=$(ls -a "$E2E_WORK/data")

run_pdf() { (cd "$E2E_WORK" && "$PEMDARO" --pdf "$@"); }

mkdir -p "$E2E_WORK/out"
check "the PDF is written without a display" run_pdf 2020-12 out/month.pdf
PDF="$E2E_WORK/out/month.pdf"
check "only the PDF is in its folder" [ "$(ls -a "$E2E_WORK/out" | tr '\n' ' ')" = ". .. month.pdf " ]
check "the table is unchanged" cmp -s "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/table.orig"
check "nothing was added to the data folder" [ "$(ls -a "$E2E_WORK/data")" = "$TABLE_FILES" ]

check "the page is A4 (595 x 842 pts)" grep -q "Page size: *595 x 842 pts" <(pdfinfo "$PDF")
check "there is one page" grep -q "^Pages: *1$" <(pdfinfo "$PDF")
embedded_japanese_font() {
    pdffonts "$PDF" | awk 'NR > 2 && /Gothic|IPA|CJK/ && $(NF - 4) == "yes" {found = 1}
                           END {exit !found}'
}
check "a Japanese font is embedded" embedded_japanese_font
TEXT=$(pdftotext -enc UTF-8 "$PDF" -)
check "the header is text" grep -q "2020年 12月" <<<"$TEXT"
check "the entry's Japanese text is text" grep -q "09:30-10:00会議の準備" <<<"$TEXT"
check "the period's text is text" grep -q "出張" <<<"$TEXT"

# At 72 / 0.7 dpi one pixel of the month is one pixel of the image: the month is scaled by
# 0.7 into 28-point margins, so its pixel (x, y) is the image's (40 + x, 40 + y).
pdftoppm -r 102.857142857 -singlefile "$PDF" "$E2E_WORK/page"
PPM="$E2E_WORK/page.ppm"
read -r WIDTH HEIGHT < <(head -c 20 "$PPM" | sed -n 2p)
HEADER_BYTES=$(head -c 20 "$PPM" | head -n 3 | wc -c)
check "the image is the A4 page (850 pixels across)" [ "$WIDTH" = 850 ]
# Prints "r g b" for every pixel of the month's rectangle x, y, w, h.
pixels() {
    local x=$(($1 + 40)) y=$(($2 + 40)) w=$3 h=$4 row
    for ((row = y; row < y + h; row++)); do
        od -An -v -tu1 -j $((HEADER_BYTES + (row * WIDTH + x) * 3)) -N $((w * 3)) "$PPM"
    done | tr -s ' \n' '\n\n' | sed '/^$/d' | paste -d ' ' - - -
}
count() {  # count CONDITION x y w h: pixels where the awk condition on r, g, b holds
    local condition=$1
    shift
    pixels "$@" | awk "{r = \$1; g = \$2; b = \$3} $condition {n++} END {print n + 0}"
}
RED='r > 180 && g < 120 && b < 120'
INK='r + g + b < 600'
# Day d of the left column: its row starts at y = 20 + 27 (d - 1); the number's box is
# x 21..47 and the period's bar runs down x = 57.
row_y() { echo $((20 + 27 * ($1 - 1))); }
check "the holiday's day number is red" [ "$(count "$RED" 21 "$(row_y 8)" 27 17)" -gt 10 ]
check "an ordinary day's number is not" [ "$(count "$RED" 21 "$(row_y 9)" 27 17)" -eq 0 ]
check "the number of an ordinary day is drawn" [ "$(count "$INK" 21 "$(row_y 9)" 27 17)" -gt 10 ]
for d in 14 15 16; do
    check "the period bar runs through day $d" [ "$(count "$INK" 56 "$(($(row_y "$d") + 10))" 3 8)" -ge 20 ]
done
check "no bar on the day before the period" [ "$(count "$INK" 56 "$(($(row_y 13) + 10))" 3 8)" -eq 0 ]
# Paper shows no grey for the days of a month that is over.
not_white='r + g + b < 760'
for d in 1 9 12; do
    check "day $d's free space is white" [ "$(count "$not_white" 200 "$(($(row_y "$d") + 3))" 100 20)" -eq 0 ]
done

# National holidays as the window shows them, and not with HOLIDAYS=0 in kelnova.ini.
check "January 2021 names its national holidays" run_pdf 2021-01 jan.pdf
check "元日 is on the page" grep -q "元日" <(pdftotext -enc UTF-8 "$E2E_WORK/jan.pdf" -)
printf 'HOLIDAYS=0\r\n' >>"$E2E_WORK/kelnova.ini"
check "the PDF follows HOLIDAYS=0" run_pdf 2021-01 jan.pdf
check "and names none" test "$(pdftotext -enc UTF-8 "$E2E_WORK/jan.pdf" - | grep -c "元日")" = 0

# --- Refusals: a message on stderr, a non-zero exit, no file.
refused() {  # refused "what the message says" args...
    local says=$1
    shift
    rm -f "$E2E_WORK/out/new.pdf"
    ! run_pdf "$@" 2>"$E2E_WORK/err" && grep -q -- "$says" "$E2E_WORK/err" &&
        [ ! -e "$E2E_WORK/out/new.pdf" ] && [ "$(ls "$E2E_WORK/out" | tr '\n' ' ')" = "month.pdf " ]
}
check "a month 13 is refused" refused '"2026-13"' 2026-13 out/new.pdf
check "a month without the file is refused" refused "使い方" 2026-12
check "a folder that does not exist is refused" refused "nowhere/new.pdf" 2026-12 nowhere/new.pdf
mv "$E2E_WORK/data/kelnova.txt" "$E2E_WORK/data/moved.txt"
check "a missing table is refused" refused "kelnova.txt" 2026-12 out/new.pdf
check "and is not created" [ ! -e "$E2E_WORK/data/kelnova.txt" ]
mkdir "$E2E_WORK/data/kelnova.txt"
check "a table that cannot be read is refused" refused "kelnova.txt" 2026-12 out/new.pdf
rmdir "$E2E_WORK/data/kelnova.txt"
mv "$E2E_WORK/data/moved.txt" "$E2E_WORK/data/kelnova.txt"
check "the first PDF is still whole" grep -q "^Pages: *1$" <(pdfinfo "$PDF")
finish
