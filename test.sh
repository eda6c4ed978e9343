#!/usr/bin/env bash
# Sets everything up (packages, build) and runs every test.
#   ./test.sh              the plain build, build/
#   ./test.sh --sanitize   the whole suite once more, built into build-sanitize/ with
#                          AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer;
#                          any report fails its test
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
build="$top/build"
case "${1:-}" in
  "") ;;
  --sanitize)
    build="$top/build-sanitize"
    # The first report ends the process with a failure; leaks are reported at exit.
    # Only third-party libraries' leaks are suppressed (tests/sanitize/lsan.supp says why).
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$top/tests/sanitize/lsan.supp:print_suppressions=0"
    ;;
  *) echo "usage: ./test.sh [--sanitize]" >&2; exit 2 ;;
esac
# The window tests run without a display; Qt wants a private runtime folder.
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$build/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
"$top/scripts/setup.sh" ${1:+"$1"}
cd "$build"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
