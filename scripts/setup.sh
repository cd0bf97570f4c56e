#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, and
# nothing that is already there. Run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth openbox xfwm4 icewm fluxbox dbus-daemon xdotool x11-utils imagemagick
  mutter kwin-x11 metacity
  at-spi2-core python3-pyatspi
  weston qt6-wayland
  sway grim libwayland-dev libwayland-bin libxkbcommon-dev xkb-data
  binutils-mingw-w64-x86-64
  clang libclang-rt-14-dev
  dpkg-dev file designer-qt6 lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
echo "setup: installing ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
