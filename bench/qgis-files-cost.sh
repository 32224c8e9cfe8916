#!/usr/bin/env bash
# What the layer styles and the QGIS project cost a job run (README, "Cost"):
#   bash bench/qgis-files-cost.sh [RUNS]        TMPDIR chooses the file system of the runs
# builds this tree (Release, build-bench/) and the same tree with the call that writes those
# files taken out (build-bench-noqgis/, exported with git archive), then runs both on the
# same job in turn with bench/qgis_files_overhead.py.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-201}

cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSHEETBASIS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j2 -t sheetbasis

variant="$root/build-bench-noqgis/src"
rm -rf "$variant"
mkdir -p "$variant"
git -C "$root" archive HEAD | tar -x -C "$variant"
driver="$variant/src/app/GenerationDriver.cpp"
# The three lines that write the styles and the project, and nothing else.
sed -i '/if (writeQgisFiles(/,/^    }$/d' "$driver"
if grep -q writeQgisFiles "$driver"; then
    echo "qgis-files-cost: the call in GenerationDriver.cpp was not found" >&2
    exit 1
fi
cmake -S "$variant" -B "$root/build-bench-noqgis/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSHEETBASIS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench-noqgis/build" -j2 -t sheetbasis

python3 "$root/bench/qgis_files_overhead.py" --runs "$runs" \
    --old "$root/build-bench-noqgis/build/src/app/sheetbasis" \
    --new "$root/build-bench/src/app/sheetbasis"
