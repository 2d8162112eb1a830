#!/usr/bin/env bash
# The words of a cover with the keyboard, end to end: F4 opens "Beschriftung", a spine title
# and three tracks are typed, the layout is saved with F12, a new layout is begun, the
# saved one is reopened from "Letzte Dateien" and printed through the cups-pdf queue; OCR
# must read the typed words on both spines and in the track area of the printed sheet.
# Skips (status 77) without a cups-pdf queue, except in continuous integration (CI=true).
# usage: text_print.sh PATH/TO/vellacour PATH/TO/sheet_words PATH/TO/scripts/print-queue
set -euo pipefail
program=$1
sheet_words=$2
print_queue=$3
source "$(dirname "$0")/queue.sh"
use_print_queue "$print_queue"

source "$(dirname "$0")/x11.sh"
start_x_server
# A German keyboard has "ü" on a key of its own; typed through a borrowed key, it may be lost.
setxkbmap de
layout="$work/worte.vco"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"
xdotool windowactivate --sync "$main" 2>/dev/null || true

# F4: the dialog opens with the spine title's field focused; Alt+I goes to the track list,
# Alt+T back to the spine title, where Return confirms the dialog.
xdotool key F4
dialog=$(find_window "Beschriftung" "$main") || fail "no dialog 'Beschriftung' opened"
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 1
xdotool type --delay 20 "Grüne Wiese"
xdotool key alt+i
xdotool type --delay 20 "1. Morgenlicht 3:45"
xdotool key Return
xdotool type --delay 20 "2. Abendrot 4:10"
xdotool key Return
xdotool type --delay 20 "3. Nachtfahrt 5:02"
xdotool key alt+t Return
sleep 1

xdotool key F12
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
grep -q '^spine=Grüne Wiese$' "$layout" || fail "the spine title was not saved: $(cat "$layout")"
grep -q '^track3=3. Nachtfahrt 5:02$' "$layout" || fail "the tracks were not saved"

# A new layout has no words and asks nothing: the saved one is unchanged.
xdotool key ctrl+n
wait_for_name "Vellacour"

# "Letzte Dateien", first entry.
xdotool key alt+d
sleep 0.5
xdotool key z
sleep 0.5
xdotool key 1
wait_for_name "$layout - Vellacour"

pdf=$(print_layout)
words=$("$sheet_words" "$pdf") || fail "the printed sheet could not be read"
rm -f "$pdf"
echo "$words"
for line in "Rücken links: Grüne Wiese" "Rücken rechts: Grüne Wiese" \
    "Titelliste: 1. Morgenlicht 3:45 2. Abendrot 4:10 3. Nachtfahrt 5:02"; do
    grep -qxF "$line" <<<"$words" || fail "the printed sheet does not read '$line'"
done
echo "end-to-end: the typed words were saved, reopened and printed"
