#!/usr/bin/env bash
# A disc label with the keyboard, end to end: "&Einfügen" / "&Disc-Bild..." takes a one-colour
# picture through the picture dialog, "Disc-E&tikett..." (F5) gets a title, the layout is
# saved with F12 (its file must name the disc picture and the title), and "&Datei" /
# "&Disc-Etikett drucken..." prints the second label of an A4 sheet of type 6015 alone through
# the cups-pdf queue. The printed label must stand where that sheet's second label is (its
# centre 105 mm from the left and 216.9 mm from the top, 117 mm across and 1 mm of overprint
# all round), and nothing where the first one is. Skips (status 77) without a cups-pdf queue,
# except in continuous integration (CI=true).
# usage: disc_label.sh PATH/TO/vellacour PATH/TO/sheet_check PATH/TO/scripts/print-queue
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
layout="$work/disc.vco"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"

in_menu alt+e d
answer_file_dialog "Öffnen" "$picture"
sleep 1

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F5
dialog=$(find_window "Disc-Etikett" "$main") || fail "no dialog 'Disc-Etikett' opened"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool type --delay 50 "Sommer"
xdotool key Return
sleep 1

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F12
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
for key in "disc=$picture" "discTitle=Sommer"; do
    grep -qxF "$key" "$layout" || fail "the layout lacks '$key': $(cat "$layout")"
done

# The sheet list begins with plain paper, then the shipped sheets, 6015 first; Tab goes on
# to the check box of position 1, which Space clears.
touch "$work/before-print"
sleep 1
in_menu alt+d d
dialog=$(find_window "Disc-Etikett drucken" "$main") || fail "no dialog 'Disc-Etikett drucken' opened"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.5
xdotool key Down
sleep 0.5
xdotool key Tab space
sleep 0.5
xdotool key alt+d
printer=$(find_window "Drucken" "$main" "$dialog") || fail "no printer dialog 'Drucken' opened"
xdotool windowactivate --sync "$printer" 2>/dev/null || true
sleep 1
xdotool key Return
pdf=$(wait_for_pdf "$work/before-print")

# The page's width and height, then the orange's left, top, width and height, in mm.
read -r width height left top across down < <("$sheet_check" "$pdf" --measure ff8000) ||
    fail "no orange on the printed page"
rm -f "$pdf"
within() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
within "$width" 210 1 && within "$height" 297 1 || fail "the page is ${width} x ${height} mm, not A4"
within "$left" 45.5 0.5 && within "$top" 157.4 0.5 && within "$across" 119 0.5 &&
    within "$down" 119 0.5 ||
    fail "the label printed at $left, $top, $across x $down mm instead of the second label's 45.5, 157.4, 119 x 119"
echo "end-to-end: a disc picture and title chosen, saved, and the second label of a 6015 sheet alone printed in place through the cups-pdf queue"
