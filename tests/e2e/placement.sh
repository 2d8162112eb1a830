#!/usr/bin/env bash
# A filled cover moved and zoomed with the mouse, saved and printed: opens a layout whose
# cover (left half red, right half blue) fills its part, drags the picture half the
# control to the right so that only its red half shows, zooms in one wheel notch, saves
# with Ctrl+S and checks the window stored in the layout, then prints through the cups-pdf
# queue and checks the sheet: a red cover, a blue back. Skips (status 77) without a
# cups-pdf queue, except in continuous integration (CI=true), where that fails.
# usage: placement.sh PATH/TO/vellacour PATH/TO/sheet_check PATH/TO/scripts/print-queue
set -euo pipefail
program=$1
sheet_check=$2
print_queue=$3
source "$(dirname "$0")/queue.sh"
use_print_queue "$print_queue"
source "$(dirname "$0")/x11.sh"
start_x_server

# 4 x 2 pixels, 24 bits, bottom-up rows of red, red, blue, blue.
cover="$work/halb.bmp"
printf 'BM\x4e\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x04\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x18\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$cover"
for _ in 1 2; do printf '\x00\x00\xff\x00\x00\xff\xff\x00\x00\xff\x00\x00' >>"$cover"; done
back="$work/blau.bmp"
write_bmp "$back" 377 000 000
layout="$work/fuellen.vco"
printf '[Vellacour]\ncover=%s\nback=%s\ncoverMode=fill\n' "$cover" "$back" >"$layout"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" "$layout" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "$layout - Vellacour") || fail "main window did not appear"
xdotool windowactivate --sync "$main" 2>/dev/null || true

# The cover control's centre: the 200 x 200 control stands 32 + 32 pixels into the page
# panel's parent and 72 below its top, under the 32-pixel tool bar, at the top of the
# 578 x 433 client area below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$main")"
x=$((32 + 32 + 100))
y=$((HEIGHT - 433 + 32 + 32 + 72 + 100))
xdotool mousemove --window "$main" "$x" "$y" mousedown 1
for step in 25 50 75 100; do
    xdotool mousemove --window "$main" $((x + step)) "$y"
    sleep 0.1
done
xdotool mouseup 1
sleep 0.3
# One notch of the wheel away from the user zooms in by 1.25 about the window's centre.
xdotool mousemove --window "$main" "$x" "$y" click 4
sleep 0.3
xdotool key ctrl+s
for _ in $(seq 1 50); do
    grep -q '^coverView=' "$layout" && break
    sleep 0.1
done
expected=$(printf '[Vellacour]\ncover=%s\nback=%s\ncoverMode=fill\ncoverView=500;1000;4000;8000' "$cover" "$back")
[[ "$(cat "$layout")" == "$expected" ]] || fail "the saved layout holds: $(cat "$layout")"

pdf=$(print_layout)
if ! "$sheet_check" "$pdf" --paper "$paper" --cover ff0000 --back 0000ff --may-be-turned \
    2>"$work/check.log"; then
    cp "$pdf" "$work/../vellacour-e2e-placement.pdf" 2>/dev/null || true
    rm -f "$pdf"
    fail "the printed sheet is wrong: $(cat "$work/check.log")"
fi
rm -f "$pdf"
echo "end-to-end: the window dragged and zoomed is saved and printed"
