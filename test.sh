#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh

build=build-test
jobs=$(nproc)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANTA_SANITIZE=ON
cmake --build "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
# Leaks of system libraries that are not ours.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 600
