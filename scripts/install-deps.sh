#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl-dev
  libeigen3-dev libxml2-dev
  unixodbc unixodbc-dev odbcinst libsqliteodbc
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  xdotool  # answers the program's message boxes in the real-window tests
  locales
  gnuplot-nox  # renders the plot scripts of the LED export in the tests
  python3-scipy  # benchmark peers and the scripts that write committed reference data
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# The text loaders and writers are tested under a German locale as well.
locale_missing=0
locale -a 2>/dev/null | grep -qix 'de_DE.utf8' || locale_missing=1
[ ${#missing[@]} -eq 0 ] && [ $locale_missing -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Need root or sudo to install: ${missing[*]} de_DE.UTF-8" >&2; exit 1; }
  sudo="sudo"
fi
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ $locale_missing -eq 1 ]; then
  echo "Generating the locale de_DE.UTF-8"
  $sudo localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
