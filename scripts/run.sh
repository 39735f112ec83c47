#!/usr/bin/env bash
# Builds Pemdaro and starts it. The data folder defaults to the folder of the
# executable; put a kelnova.ini with DATA_DIR=/some/folder/ in the current
# directory to keep kelnova.txt elsewhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build"
exec "$root/build/pemdaro"
