#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need.
set -euo pipefail

# One package a line; add new needs here.
PACKAGES=(
  build-essential
  cmake
  ninja-build
  googletest
  libgtest-dev
  libbenchmark-dev
  binutils-m68k-linux-gnu
  gcc-m68k-linux-gnu
  zlib1g-dev
  nlohmann-json3-dev
  pkg-config
  libfreetype-dev
  libfontconfig-dev
  fonts-ipafont-gothic
  libpng-dev
  libsdl2-dev
  libimgui-dev
  xvfb
  xauth
  xdotool
  libadplug-dev
  libfluidsynth-dev
  libasound2-dev
  fluid-soundfont-gm
  python3-mpmath
  valgrind
  clang-format
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
