#!/usr/bin/env bash
# Builds the program without sanitizers and starts it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/scripts/build-release.sh"

build="$here/build-release"
if [ -x "$build/bin/velmont" ]; then
  exec "$build/bin/velmont" "$@"
fi
exec "$build/bin/orvanta-smoke" "$@"
