#!/usr/bin/env bash
# Měření rychlosti: sestaví strom Release v build-bench/, ukázkové adresáře
# zadaných velikostí (sestavené si nechá pro další běhy) a na každém spustí
# karo_bench. Tabulky uloží do build-bench/bench-N.txt.
#
#   bench/run.sh [POČET ...]        výchozí: 30000 1000000 5000000
#
# KARO_BENCH_DATA  složka sestavených adresářů (výchozí build-bench/data)
# KARO_BENCH_SEED  semínko ukázkových adresářů (výchozí 2026)
# KARO_BENCH_ARGS  další argumenty karo_bench, např. "--budget 6" nebo "--reps 5"
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-bench"
data=${KARO_BENCH_DATA:-$build/data}
seed=${KARO_BENCH_SEED:-2026}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(30000 1000000 5000000)
for n in "${sizes[@]}"; do
  [[ "$n" =~ ^[1-9][0-9]*$ ]] || { echo "bench/run.sh: počet poskytovatelů „$n“ není kladné celé číslo" >&2; exit 2; }
done

"$top/scripts/setup.sh" --packages-only
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j 2 --target karo-build karo_bench -- --quiet
[ -x "$build/bin/karo_bench" ] || { echo "bench/run.sh: karo_bench se nesestavil (chybí SQLite nebo ICU?)" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$build/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
mkdir -p "$data"
# Directories are kept per version of the generator: its reference lists and sources.
# shellcheck disable=SC2012,SC2046  # the names are the project's own
version=$(cd "$top" && cat sample/*.csv $(ls import/Sample.* import/Directory.* store/TableWriter.* import/Csv.* \
          import/Source.* 2>/dev/null) | sha1sum | cut -c1-8)
status=0
for n in "${sizes[@]}"; do
  dir="$data/$n-$seed-$version"
  # A directory is complete when its summary names every table with the count asked for.
  summary=$("$build/bin/karo-build" --summary "$dir" 2>/dev/null) || summary=""
  if ! grep -Eq "pseek +$n záznamů" <<<"$summary"; then
    echo "== sestavuji adresář $n poskytovatelů do $dir"
    rm -rf "$dir"
    start=$(date +%s)
    "$build/bin/karo-build" --sample "$n" --seed "$seed" --reference "$top/sample" "$dir"
    echo "   za $(( $(date +%s) - start )) s, $(du -sh "$dir" | cut -f1)"
  fi
  echo "== karo_bench $dir"
  # shellcheck disable=SC2086  # the extra arguments are meant to split
  "$build/bin/karo_bench" "$dir" ${KARO_BENCH_ARGS:-} | tee "$build/bench-$n.txt" || status=1
done
exit $status
