#!/usr/bin/env bash
# The real program end to end: karoview under a virtual display of its own, on
# a directory built here by karo-build, driven by keys and clicks as a user
# drives it. A surname is typed, a district picked, Enter searches, a title
# click sorts, Enter opens the detail and Esc closes it, the export goes
# through the save dialog, Exit ends the program. The exported file must be
# what karo-search writes for the same filters and sort.
#
#   karoview_e2e.sh BIN_DIR RESOURCES_DIR
#
# Every step awaits a condition (a window, a file, the end of the process)
# with a generous limit, so that a loaded machine only makes it slower.
# Exits 77 (skipped) when Xvfb or xdotool is missing; scripts/setup.sh
# installs both.
set -Eeuo pipefail
bin=$(cd "$1" && pwd)
resources=$(cd "$2" && pwd)
limit=${KARO_E2E_LIMIT:-120}  # seconds for any one condition

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed, skipped"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/karo-e2e-XXXXXX")
xvfb_pid="" program_pid=""
finish() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

step() { echo "e2e: $*"; }
fail() {
  echo "e2e: FAILED: $*" >&2
  [ -s "$work/program.log" ] && sed 's/^/karoview: /' "$work/program.log" >&2
  exit 1
}
# await SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS.
await() {
  local seconds=$1 end
  shift
  end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
nonempty() { [ -s "$1" ]; }
# The program has ended (gone, or a zombie not yet waited for).
dead() {
  local pid comm state
  read -r pid comm state _ <"/proc/$program_pid/stat" 2>/dev/null || return 0
  [ "$state" = Z ]
}
visible() { xdotool search --onlyvisible --name "$1"; }
hidden() { ! visible "$1"; }
# The window that has the keyboard focus, when it is not the main window.
other_focus() {
  local w
  w=$(xdotool getwindowfocus) && [ "$w" != "$main" ] && [ "$w" != 1 ] && echo "$w"
}

# The program's folder as it is shipped: the program, DATA/, data/, the help file.
step "building the directory"
prog="$work/prog"
mkdir -p "$prog" "$work/home"
cp "$bin/karoview" "$prog/"
cp -r "$resources/data" "$prog/data"
cp "$resources/Tarvel.hlp" "$prog/"
"$bin/karo-build" --sample 3000 --seed 7 "$prog/DATA" >/dev/null

# The same search by karo-search, unsorted and sorted by surname.
filters=(--surname K --district Brno-město)
"$bin/karo-search" --data "$prog/DATA" "${filters[@]}" -o "$work/unsorted.txt"
"$bin/karo-search" --data "$prog/DATA" "${filters[@]}" --sort surname -o "$work/expected.txt"
[ "$(wc -l <"$work/expected.txt")" -ge 5 ] || fail "the search finds too little to show a sort"
cmp -s "$work/unsorted.txt" "$work/expected.txt" && fail "the result is in surname order already"

step "starting a virtual display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
await "$limit" nonempty "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export QT_QPA_PLATFORM=xcb HOME="$work/home"
unset WAYLAND_DISPLAY

step "starting karoview on $DISPLAY"
(cd "$prog" && exec ./karoview) >"$work/program.log" 2>&1 &
program_pid=$!
await "$limit" visible '^Katalog Adres a Rejstřík Ordinací$' || fail "the main window did not appear"
main=$(xdotool search --onlyvisible --name '^Katalog Adres a Rejstřík Ordinací$' | head -n 1)
await "$limit" xdotool windowfocus --sync "$main" || fail "the main window did not take the focus"

# Positions in the main window (678 by 600 after start-up; Fusion style with
# the program's own font sizes): the district list, the grid's "Příjmení"
# title, the "Soubor" menu.
district_list=(80 350)
surname_title=(380 80)
file_menu=(20 8)

step "typing a surname and picking a district"
# A click in the district list gives it the focus; its edit is the control
# before it in the keyboard order, the surname edit the one after it.
xdotool mousemove --window "$main" "${district_list[@]}" click 1
xdotool key --delay 50 shift+Tab
xdotool type --delay 50 'Brno-m'    # the list's incremental search picks Brno-město
xdotool key --delay 50 Tab Tab
xdotool type --delay 50 'K'
xdotool key Return                  # the search, then the result page

step "sorting by a title click"
xdotool mousemove --window "$main" "${surname_title[@]}" click 1

step "opening the detail with Enter and closing it with Esc"
xdotool key Return
await "$limit" visible '^Detail$' || fail "the detail window did not open"
xdotool key Escape
await "$limit" hidden '^Detail$' || fail "Esc did not close the detail window"

step "exporting through the save dialog"
xdotool mousemove --window "$main" "${file_menu[@]}" click 1
xdotool key --delay 100 e             # "&Export"
await "$limit" other_focus || fail "the save dialog did not open"
export_file="$work/export.txt"
xdotool key ctrl+a
xdotool type --delay 20 "$export_file"
xdotool key Return
await "$limit" visible '^K\.A\.R\.O\.$' || fail "no message after the export"
[ -f "$export_file" ] || fail "the export file was not written"
xdotool key Return                     # "Export ukončen." closed
await "$limit" hidden '^K\.A\.R\.O\.$' || fail "the export message did not close"

step "leaving through Soubor / Exit"
xdotool mousemove --window "$main" "${file_menu[@]}" click 1
xdotool key --delay 100 x              # "E&xit"
await "$limit" dead || fail "the program did not end"
code=0
wait "$program_pid" || code=$?
program_pid=""
[ "$code" -eq 0 ] || fail "the program ended with exit code $code"

step "comparing the export with karo-search"
if ! cmp "$export_file" "$work/expected.txt"; then
  diff <(tr -d '\r' <"$work/expected.txt") <(tr -d '\r' <"$export_file") | head -n 20 >&2 || true
  fail "the exported file differs from karo-search --sort surname"
fi
step "passed: $(($(wc -l <"$export_file") - 1)) providers exported in surname order"
