#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already present.
#   scripts/install-deps.sh            the Linux build
#   scripts/install-deps.sh windows    the Windows cross build and Wine to run it
set -euo pipefail

if [ "${1:-}" = windows ]; then
  packages=(g++-mingw-w64-x86-64-posix wine64 wine)
else
packages=(
  build-essential cmake ninja-build ccache pkg-config python3
  clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev libfftw3-dev
  qt6-base-dev libgl-dev
  poppler-utils xvfb xauth fonts-liberation2
  dpkg-dev desktop-file-utils appstream lintian
)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
