#!/usr/bin/env bash
# Searches for crashes with every libFuzzer target for a bounded time each:
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# New interesting inputs are added to the target's corpus under tests/fuzz/corpus; a crash
# leaves its input as crash-* in build-fuzz/findings for turning into a regression seed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSHEETBASIS_FUZZ=ON -DSHEETBASIS_BUILD_UI=OFF -DSHEETBASIS_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_nomenclature fuzz_angle_text fuzz_read_arg fuzz_attribute_record fuzz_job_file)
fi
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
    echo "== $t for ${seconds}s"
    "$build/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$t-" "tests/fuzz/corpus/$t" 2>&1 |
        grep -E '^(stat::|#[0-9]+ +DONE|==[0-9]+==ERROR|SUMMARY)' || true
done
