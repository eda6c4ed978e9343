#!/usr/bin/env bash
# Sets everything up (packages, build) and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
# The window tests run without a display; Qt wants a private runtime folder.
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$top/build/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
"$top/scripts/setup.sh"
cd "$top/build"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
