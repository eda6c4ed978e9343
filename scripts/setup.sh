#!/usr/bin/env bash
# Installs what the build needs (Debian packages only) and builds into build/
# (with --packages-only: only the packages).
# Quiet when nothing is missing; stops with a message on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(build-essential cmake ninja-build pkg-config libgtest-dev qt6-base-dev
          libgl-dev fonts-dejavu-core fonts-liberation xvfb xauth
          dpkg-dev desktop-file-utils appstream           # the Debian package and its checks
          qt6-translations-l10n                          # Qt's own dialogs in Czech
          openbox x11-utils xdotool imagemagick)          # screenshots of the windows under a window manager
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: missing packages (${missing[*]}) and no sudo to install them" >&2; exit 1; }
    sudo="sudo"
  fi
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq || { echo "setup: apt-get update failed" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || { echo "setup: apt-get install ${missing[*]} failed" >&2; exit 1; }
fi

if [ "${1:-}" = --packages-only ]; then exit 0; fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "$top/build/build.ninja" ]; then
  cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
    || { echo "setup: configuring the build failed" >&2; exit 1; }
fi
pending=$(ninja -C "$top/build" -n 2>/dev/null || true)
if [ -z "$pending" ] || grep -q '^\[' <<<"$pending"; then
  echo "setup: building into $top/build"
  cmake --build "$top/build" -j "$jobs" -- --quiet || { echo "setup: the build failed" >&2; exit 1; }
fi
