#!/usr/bin/env bash
# Builds the program without sanitizers and starts it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/scripts/install-deps.sh"

build="$here/build-release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_BUILD_TESTS=OFF
cmake --build "$build" -j "$(nproc)"
if [ -x "$build/bin/velmont" ]; then
  exec "$build/bin/velmont" "$@"
fi
exec "$build/bin/orvanta-smoke" "$@"
