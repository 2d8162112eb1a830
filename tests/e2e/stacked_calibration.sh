#!/usr/bin/env bash
# A printer's calibration gives the same correction on paper to the stacked (portrait) sheet
# as to the side-by-side (landscape) one: prints a layout of each through the real cups-pdf
# queue with a calibration that scales across and down differently, measures the front cover
# in both PDFs and compares its sizes on the paper, where the landscape page stands turned a
# quarter. Skips (status 77) when the default destination is not a cups-pdf queue, except in
# continuous integration (CI=true), where that fails.
# usage: stacked_calibration.sh PATH/TO/vellacour PATH/TO/sheet_check PATH/TO/scripts/print-queue
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
side="$work/nebeneinander.vco"
stacked="$work/untereinander.vco"
printf '[Vellacour]\ncover=%s\nback=%s\n' "$cover" "$back" >"$side"
printf '[Vellacour]\ncover=%s\nback=%s\narrangement=stacked\n' "$cover" "$back" >"$stacked"

# The queue prints 100 mm across the landscape sheet as 103 mm and down it as 98 mm.
store_calibration "0;0;10300;9800"

# Opens and prints the layout, and prints the measure of its red front cover: page width and
# height, left, top, width, height, in millimetres.
print_and_measure() {
    local layout=$1 pid pdf size
    HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" "$layout" >>"$work/program.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    main=$(find_window "$layout - Vellacour") || fail "main window for $layout did not appear"
    pdf=$(print_layout)
    size=$("$sheet_check" "$pdf" --measure ff0000) || fail "no front cover on the sheet of $layout"
    rm -f "$pdf"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$size"
}

read -r side_page_w side_page_h _ _ side_w side_h <<<"$(print_and_measure "$side")"
read -r stacked_page_w stacked_page_h _ _ stacked_w stacked_h <<<"$(print_and_measure "$stacked")"
echo "side by side: page $side_page_w x $side_page_h mm, cover $side_w x $side_h mm"
echo "stacked: page $stacked_page_w x $stacked_page_h mm, cover $stacked_w x $stacked_h mm"

# On the paper (portrait) the landscape sheet's width runs along the paper's length, unless
# the queue turned the page itself.
if awk -v w="$side_page_w" -v h="$side_page_h" 'BEGIN { exit !(w > h) }'; then
    along=$side_w across=$side_h
else
    along=$side_h across=$side_w
fi
awk -v sa="$along" -v sx="$across" -v ta="$stacked_h" -v tx="$stacked_w" 'BEGIN {
    # 120 mm printed 3 % long along the paper and 2 % short across it come out true, so the
    # cover is printed 116.5 mm along and 122.4 mm across, within the measure of a pixel and
    # the queue rounding.
    ok = (sa - 116.5)^2 < 0.3^2 && (sx - 122.45)^2 < 0.3^2 && (ta - sa)^2 < 0.3^2 && (tx - sx)^2 < 0.3^2
    exit !ok
}' || fail "the cover is $along x $across mm side by side and $stacked_h x $stacked_w mm stacked (along x across the paper), expected 116.5 x 122.4 mm in both"
echo "end-to-end: the calibration corrects the stacked sheet as the side-by-side one"
