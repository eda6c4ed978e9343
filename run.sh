#!/usr/bin/env bash
# Sets everything up (packages, build, the bundled sample directory) and starts
# the program on the sample directory.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
program="$top/build/bin/karoview"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: není k dispozici žádný displej (DISPLAY ani WAYLAND_DISPLAY); ve virtuálním displeji program spustíte příkazem: xvfb-run -a -s '-screen 0 1024x768x24' $program" >&2
  exit 1
fi
exec "$program"
