#!/usr/bin/env bash
# Shows every dialog of the interactive mode on a virtual X display and saves a picture of
# each (start dialog, main dialog, refine dialog, its error box, the folder search and the
# frame window) into a folder.
#   tools/screenshot-dialogs.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/dialog-shots}
cmake --build "$build" --target sheetbasis-dialog-shots
mkdir -p "$out"
# The virtual display runs the real X platform; the offscreen platform must not override it.
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$build/tools/dialog-shots/sheetbasis-dialog-shots" "$out"
echo "pictures in $out"
