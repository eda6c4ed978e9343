#!/usr/bin/env bash
# Makes the Debian package: a Release build of the programs in build-package/
# and CPack's DEB generator (dependencies found by dpkg-shlibdeps).
# Usage: scripts/package.sh   (prints the package's file name at the end)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build-package"
"$top/scripts/setup.sh" --packages-only
if [ ! -f "$out/build.ninja" ]; then
  cmake -S "$top" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null \
    || { echo "package: configuring the build failed" >&2; exit 1; }
fi
# Only what the package holds; the tests are not needed for it.
cmake --build "$out" -j "$(nproc 2>/dev/null || echo 2)" \
  --target karoview karo-build karo-search sample_data runtime_files theme_icons -- --quiet \
  || { echo "package: the build failed" >&2; exit 1; }
rm -f "$out"/karoview_*.deb
(cd "$out" && cpack -G DEB >cpack.log 2>&1) || { cat "$out/cpack.log" >&2; echo "package: cpack failed" >&2; exit 1; }
ls "$out"/karoview_*.deb
