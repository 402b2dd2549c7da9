#!/usr/bin/env bash
# Installs what is missing and builds the program as ./run.sh starts it (build-release/, no
# sanitizers, no tests). CI runs it too, so that the main command cannot break unseen.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"

build="$here/build-release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
