#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   fuzz/run.sh TARGET [SECONDS]    e.g. fuzz/run.sh fdb_fuzz 600
# New inputs go to build-fuzz/corpus/TARGET; crashes to build-fuzz/. Options
# after SECONDS go to the fuzzer (e.g. -jobs=1 or -dict=...). fuzz/NAME.dict,
# when there, is the fuzzer's dictionary.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: fuzz/run.sh TARGET [SECONDS]}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
corpus_name=${target%_fuzz}
build="$top/build-fuzz"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" -DKARO_FUZZ=ON >/dev/null
cmake --build "$build" --target "$target" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
mkdir -p "$build/corpus/$target"
cd "$build"
dict=()
[ -f "$top/fuzz/$corpus_name.dict" ] && dict=(-dict="$top/fuzz/$corpus_name.dict")
"$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/" "${dict[@]}" "$@" \
  "$build/corpus/$target" "$top/fuzz/corpus/$corpus_name"
