#!/usr/bin/env bash
# Installs what the build needs (Debian packages only) and builds into build/
# (with --packages-only: only the packages).
# Quiet when nothing is missing; stops with a message on any failure.
#   scripts/setup.sh              the plain build, build/
#   scripts/setup.sh --sanitize   the same under the sanitizers, build-sanitize/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
configure=()
case "${1:-}" in
  "") ;;
  --sanitize) build="$top/build-sanitize"; configure=(-DKARO_SANITIZE=ON) ;;
  --packages-only) ;;
  *) echo "usage: scripts/setup.sh [--sanitize | --packages-only]" >&2; exit 2 ;;
esac

packages=(build-essential cmake ninja-build pkg-config libgtest-dev qt6-base-dev
          libgl-dev fonts-dejavu-core fonts-liberation xvfb xauth
          dpkg-dev desktop-file-utils appstream           # the Debian package and its checks
          qt6-translations-l10n                          # Qt's own dialogs in Czech
          openbox x11-utils xdotool imagemagick           # the end-to-end test; screenshots under a window manager
          xfwm4                                           # a window manager that honours "no minimise or maximise"
          libsqlite3-dev libicu-dev)                      # the benchmark's peers (bench/)
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
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" >/dev/null \
    || { echo "setup: configuring the build failed" >&2; exit 1; }
fi
pending=$(ninja -C "$build" -n 2>/dev/null || true)
if [ -z "$pending" ] || grep -q '^\[' <<<"$pending"; then
  echo "setup: building into $build"
  cmake --build "$build" -j "$jobs" -- --quiet || { echo "setup: the build failed" >&2; exit 1; }
fi
