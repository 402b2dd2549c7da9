#!/usr/bin/env bash
# Builds the Release benchmarks, installs the peers' Debian packages when missing, then runs
# each hot path beside its peer, interleaved, and prints the table of medians.
#   bench/run_peers.sh [--rounds N] [--only load,resample,xml,project,colour,plot,exports]
# JOBS sets the build's parallel jobs (default: all cores).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh

peers=(python3-numpy python3-scipy python3-pandas python3-lxml python3-matplotlib)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
  fi
  echo "Installing the peers' packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTA_BUILD_TESTS=ON >/dev/null
targets=(bench_loadsave bench_embrel_resample bench_xml bench_project_file bench_colour_values bench_plot_render
         bench_led_exports)
# The list is read whole first: grep -q would close the pipe early and, under pipefail, fail it.
known="$(ninja -C "$build" -t targets all 2>/dev/null)"
available=()
for t in "${targets[@]}"; do
  grep -q "^$t:" <<<"$known" && available+=("$t")
done
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${available[@]}"
exec /usr/bin/python3 bench/run_peers.py --bench-dir "$build/bench" "$@"
