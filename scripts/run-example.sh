#!/usr/bin/env bash
# Installs the dependencies, builds the program and generates the example sheet
# N-37-XXXVI (1:200 000, SK-42) from examples/N-37-XXXVI.job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHEETBASIS_BUILD_TESTS=OFF
# The program and its interactive interface (sheetbasis-ui), which it starts without an
# argument.
cmake --build build-release
set +e
./build-release/src/app/sheetbasis examples/N-37-XXXVI.job
code=$?
set -e
if [ "$code" -ne 0 ]; then
    echo "sheetbasis ended with exit code $code" >&2
    exit "$code"
fi
echo "Layers written to $(pwd)/out/N-37-XXXVI/HYPS and $(pwd)/out/N-37-XXXVI/FRAME,"
echo "the QGIS project to $(pwd)/out/N-37-XXXVI/N-37-XXXVI.qgs:"
ls out/N-37-XXXVI out/N-37-XXXVI/HYPS out/N-37-XXXVI/FRAME
