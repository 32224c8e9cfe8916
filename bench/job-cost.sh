#!/usr/bin/env bash
# One command for the cost of a job run next to its floor (README, "Benchmarks"):
#   bash bench/job-cost.sh [RUNS [BASELINE_COMMIT]]
# builds this tree (Release, build-bench/) and a baseline (Release,
# build-bench-baseline-<commit>/, exported with git archive), by default the earlier design,
# the commit before the interface became its own program and the layers were buffered;
# give a commit to measure a change against the tree before it. Then runs bench/job_cost.py.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The last commit of the earlier design: job runs load Qt, layers written record by record.
runs=${1:-101}
baseline_commit=${2:-45319df}

cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSHEETBASIS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j2 -t sheetbasis

baseline_src="$root/build-bench-baseline-$baseline_commit/src"
if [ ! -f "$baseline_src/CMakeLists.txt" ]; then
    mkdir -p "$baseline_src"
    git -C "$root" archive "$baseline_commit" | tar -x -C "$baseline_src"
fi
cmake -S "$baseline_src" -B "$root/build-bench-baseline-$baseline_commit/build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DSHEETBASIS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench-baseline-$baseline_commit/build" -j2 -t sheetbasis

tools="$root/build-bench/bench-tools"
mkdir -p "$tools"
c++ -O2 -std=c++20 -o "$tools/spawn_measure" "$root/bench/spawn_measure.cpp"

python3 "$root/bench/job_cost.py" --exe "$root/build-bench/src/app/sheetbasis" \
    --baseline "$root/build-bench-baseline-$baseline_commit/build/src/app/sheetbasis" --tools "$tools" \
    --runs "$runs"
