#!/usr/bin/env bash
# Prints through the real print queue with the keyboard: opens a layout of a red cover and a
# blue back, ticks "Hilfsrahmen drucken", prints with Ctrl+P, confirms the printer dialog
# with Return (and the question about cut parts, should the paper cut one); the PDF the
# cups-pdf queue writes must carry every element of the sheet in place, scaled and moved by
# the queue's stored calibration. Then prints the test sheet from "Druckerkorrektur...",
# whose long rulers must measure true: it is never scaled. Skips (status 77)
# when the default destination is not a cups-pdf queue, except in continuous integration
# (CI=true), where that fails.
# usage: print_queue.sh PATH/TO/vellacour PATH/TO/sheet_check PATH/TO/scripts/print-queue
set -euo pipefail
program=$1
sheet_check=$2
print_queue=$3
source "$(dirname "$0")/queue.sh"
use_print_queue "$print_queue"
source "$(dirname "$0")/x11.sh"
start_x_server

cover="$work/rot.bmp"
back="$work/blau.bmp"
write_bmp "$cover" 000 000 377
write_bmp "$back" 377 000 000
layout="$work/druck.vco"
printf '[Vellacour]\ncover=%s\nback=%s\n' "$cover" "$back" >"$layout"

# The queue prints 100 mm as 100.3 mm across and 99.8 mm down, and 1.5 mm too far left.
calibration="-15;0;10030;9980"
store_calibration "$calibration"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"
xdotool windowactivate --sync "$main" 2>/dev/null || true

# Ctrl+O: open the layout.
xdotool key ctrl+o
answer_file_dialog "Öffnen" "$layout"
wait_for_name "$layout - Vellacour"

# "Hilfsrahmen drucken" takes no keyboard focus and has no mnemonic, so it is clicked with the
# mouse: it stands 154 pixels into the tool bar (after its 4-pixel inset), 22 pixels high, at
# the top of the 578 x 433 client area, which fills the window below the menu bar. The click
# lands on its box; the frames on the printed sheet show that it took.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((4 + 154 + 7)) $((HEIGHT - 433 + 4 + 11)) click 1
sleep 0.5

# Ctrl+P, and Return in the printer dialog. A queue whose paper would cut a part (the back
# inlay on US Letter) is asked about first; "&Ja" prints all the same.
pdf=$(print_layout)
if ! "$sheet_check" "$pdf" --frames --paper "$paper" --cover ff0000 --back 0000ff \
    --may-be-turned --calibration "$calibration" 2>/dev/null; then
    cp "$pdf" "$work/../vellacour-e2e-print.pdf" 2>/dev/null || true
    rm -f "$pdf"
    fail "the printed sheet is wrong (kept as $work/../vellacour-e2e-print.pdf)"
fi
rm -f "$pdf"
echo "end-to-end: the sheet printed through the cups-pdf queue is right, calibrated"

# "Druckerkorrektur..." (the second item from the bottom of "&Datei") and "&Prüfbogen
# drucken": the test sheet, moved by the correction but not scaled.
touch "$work/before-test-sheet"
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key alt+d
sleep 0.5
xdotool key Up Up Return
dialog=$(find_window "Druckerkorrektur" "$main") || fail "no dialog 'Druckerkorrektur' opened"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool key alt+p
pdf=$(wait_for_pdf "$work/before-test-sheet")
if ! "$sheet_check" "$pdf" --test-sheet --may-be-turned --calibration "-15;0;10000;10000" \
    2>/dev/null; then
    cp "$pdf" "$work/../vellacour-e2e-test-sheet.pdf" 2>/dev/null || true
    rm -f "$pdf"
    fail "the test sheet is wrong (kept as $work/../vellacour-e2e-test-sheet.pdf)"
fi
rm -f "$pdf"
xdotool key Escape
echo "end-to-end: the test sheet printed through the cups-pdf queue measures true"
