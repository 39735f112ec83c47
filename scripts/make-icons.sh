#!/usr/bin/env bash
# Renders the program's icon for the desktop into data/icons/hicolor/: the 16 and 32 pixel
# images exactly as the program's own (the rows of kIcon16Rows and kIcon32Rows in
# resources/ImageData.cpp), the other sizes from the drawing data/icons/*.svg. The PNGs are
# kept in the tree, so building or packaging needs neither renderer; run this again after
# changing the icon. Needs ImageMagick (convert) and librsvg2-bin (rsvg-convert).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
id=io.github.pemdaro.Pemdaro
svg="$root/data/icons/$id.svg"
out="$root/data/icons/hicolor"

# The program's palette: one hexadecimal digit per pixel, '.' transparent.
palette='"0 c #000000", "1 c #800000", "2 c #008000", "3 c #808000", "4 c #000080",
"5 c #800080", "6 c #008080", "7 c #C0C0C0", "8 c #808080", "9 c #FF0000", "a c #00FF00",
"b c #FFFF00", "c c #0000FF", "d c #FF00FF", "e c #00FFFF", "f c #FFFFFF", ". c None",'

# The rows of the array $1 of ImageData.cpp, one quoted string a line.
rows_of() {
  sed -n "/^constexpr std::string_view $1\[\] = {/,/^};/p" "$root/resources/ImageData.cpp" |
    sed -n 's/^ *\("[^"]*"\),$/\1/p'
}

# Writes the image of array $1, $2 pixels square, as a PNG.
from_rows() {
  local rows
  rows=$(rows_of "$1")
  [ "$(printf '%s\n' "$rows" | wc -l)" -eq "$2" ] || { echo "no $2 rows in $1" >&2; exit 1; }
  mkdir -p "$out/${2}x${2}/apps"
  printf '/* XPM */\nstatic char *icon[] = {\n"%s %s 17 1",\n%s\n%s\n};\n' "$2" "$2" "$palette" \
    "$(printf '%s\n' "$rows" | sed '$!s/$/,/')" |
    convert xpm:- -strip -define png:exclude-chunks=date,time \
      "png32:$out/${2}x${2}/apps/$id.png"
}

from_rows kIcon16Rows 16
from_rows kIcon32Rows 32
for size in 24 48 64 128 256; do
  mkdir -p "$out/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$out/${size}x${size}/apps/$id.png"
done
echo "icons written to $out"
