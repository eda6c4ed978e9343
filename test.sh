#!/usr/bin/env bash
# Sets everything up (packages, build) and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
cd "$top/build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
