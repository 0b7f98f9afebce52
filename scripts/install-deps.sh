#!/usr/bin/env bash
# Installs the Debian packages Norvo builds, tests and runs with, only when one is missing.
# Quiet and idempotent: when everything is present it prints nothing and touches nothing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config make
  # libraries
  libgtk-3-dev libx11-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev libcanberra-dev
  # the metric twin of the face the theme files name
  fonts-crosextra-carlito fonts-dejavu-core fontconfig
  # tests, benchmarks, fuzzers and the virtual display
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xdotool xclip
  # the desktop's trash service and tools, on a private session bus in the trash tests
  gvfs gvfs-daemons dbus-daemon dbus-bin libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "Norvo needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with:  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
