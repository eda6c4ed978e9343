#!/usr/bin/env bash
# Sets everything up (packages, build, the bundled sample directory) and shows
# the sample directory's tables.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/setup.sh"
echo "Ukázkový adresář $top/build/bin/DATA:"
"$top/build/bin/karo-build" --summary "$top/build/bin/DATA"
