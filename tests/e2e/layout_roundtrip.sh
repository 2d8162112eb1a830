#!/usr/bin/env bash
# Drives the real program with the keyboard on its own X server: insert both pictures
# through the picture dialog, save the layout under a new name, start a new layout and
# open the saved one again, checking the window's name and the file at each step.
# usage: layout_roundtrip.sh PATH/TO/vellacour
set -euo pipefail
program=$1
source "$(dirname "$0")/x11.sh"
start_x_server

# A 4 x 4 red bitmap.
cover="$work/rot.bmp"
write_bmp "$cover" 000 000 377
back="$work/auch rot.bmp"
cp "$cover" "$back"
layout="$work/mein.vco"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"
xdotool windowactivate --sync "$main" 2>/dev/null || true

# F2 and F3: insert the cover and the back through the picture dialog.
xdotool key F2
answer_file_dialog "Öffnen" "$cover"
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F3
answer_file_dialog "Öffnen" "$back"
sleep 1
wait_for_name "Vellacour"

# F12: save under a new name.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F12
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
[[ -f "$layout" ]] || fail "layout file was not written"
expected=$(printf '[Vellacour]\ncover=%s\nback=%s\n' "$cover" "$back")
[[ "$(cat "$layout")" == "$expected" ]] || fail "layout file holds: $(cat "$layout")"
[[ $(wc -l <"$layout") -eq 3 ]] || fail "layout file is not three lines"

# Ctrl+N: nothing unsaved, so no prompt; the layout becomes untitled.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key ctrl+n
wait_for_name "Vellacour"

# Ctrl+O: open the saved layout again.
xdotool key ctrl+o
answer_file_dialog "Öffnen" "$layout"
wait_for_name "$layout - Vellacour"

echo "end-to-end: layout saved, renewed and reopened through the keyboard"
