#!/usr/bin/env bash
# A DVD wrap with the keyboard, end to end: "B&ogen" / "&Hülle" chooses "DVD-Hülle" and its
# "&Rückenbreite" 7 mm, "&Einfügen" / "&Umschlagbild..." takes a one-colour picture through
# the picture dialog, the layout is saved with F12 (its file must name the case, the spine
# and the wrap picture), a new layout is begun, the saved one is reopened from "Letzte
# Dateien" and printed through the cups-pdf queue; the printed sheet must be the DVD wrap
# with a 7 mm spine, the picture across all of it. Skips (status 77) without a cups-pdf
# queue, except in continuous integration (CI=true).
# usage: case_wrap.sh PATH/TO/vellacour PATH/TO/sheet_check PATH/TO/scripts/print-queue
set -euo pipefail
program=$1
sheet_check=$2
print_queue=$3
source "$(dirname "$0")/queue.sh"
use_print_queue "$print_queue"
source "$(dirname "$0")/x11.sh"
start_x_server

# An orange picture: blue, green, red.
picture="$work/orange.bmp"
write_bmp "$picture" 000 200 377
layout="$work/dvd.vco"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"

# Alt+O, H: the cases; a submenu opened by its key comes up with its first item active, so
# the third item, "DVD-Hülle", is two down.
in_menu alt+o h Down Down Return
sleep 0.5
# Alt+O, H, R: the DVD case's spines; the first is 7 mm.
in_menu alt+o h r Return
sleep 0.5
# Alt+E, U: "&Umschlagbild..." in the picture dialog.
in_menu alt+e u
answer_file_dialog "Öffnen" "$picture"
sleep 1

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F12
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
for key in "case=dvd" "spineWidth=70" "wrap=$picture"; do
    grep -qxF "$key" "$layout" || fail "the layout lacks '$key': $(cat "$layout")"
done

# A new layout asks nothing: the saved one is unchanged. Then "Let&zte Dateien", first entry.
xdotool key ctrl+n
wait_for_name "Vellacour"
in_menu alt+d z 1
wait_for_name "$layout - Vellacour"

pdf=$(print_layout)
if ! "$sheet_check" "$pdf" --paper "$paper" --case dvd --spine 7 --wrap ff8000 \
    --may-be-turned 2>"$work/sheet_check.log"; then
    cp "$pdf" "$work/../vellacour-e2e-wrap.pdf" 2>/dev/null || true
    rm -f "$pdf"
    fail "the printed wrap is wrong (kept as $work/../vellacour-e2e-wrap.pdf): $(cat "$work/sheet_check.log")"
fi
rm -f "$pdf"
echo "end-to-end: a DVD wrap with a 7 mm spine and its picture chosen, saved, reopened from the recent layouts and printed through the cups-pdf queue"
