#!/usr/bin/env bash
# Drops real files on the program with the X server's drag-and-drop protocol, dragged from
# another program as from a file manager: a picture dropped on the page beside the pictures
# is refused, one dropped on the front cover becomes the cover (checked in the layout file
# saved with F12), and a layout file dropped on the window opens.
# usage: drop.sh PATH/TO/vellacour PATH/TO/drag_source
set -euo pipefail
program=$1
drag_source=$2
source "$(dirname "$0")/x11.sh"
start_x_server

cover="$work/rot.bmp"
write_bmp "$cover" 000 000 377
other="$work/anders.vco"
printf '[Vellacour]\ncover=%s\nback=%s\n' "$cover" "$cover" >"$other"
layout="$work/mein.vco"

HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear"
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.5

# The client area is the menu bar and, below it, 433 pixels: the 32-pixel tool bar, then
# the main panel with the page at (32, 32) and on the page the cover at (32, 72), 200 × 200.
eval "$(xdotool getwindowgeometry --shell "$main")"
top=$((Y + HEIGHT - 433 + 32 + 32))
left=$((X + 32))
cover_at="$((left + 32 + 100)) $((top + 72 + 100))"
beside_at="$((left + 10)) $((top + 320))"

# drag FILE X Y: drags the file from a drag_source window to the point and lets go there;
# prints what the source was told ("dropped" or "refused").
drag() {
    local file=$1 to_x=$2 to_y=$3 pid window
    "$drag_source" "$file" >"$work/drag.out" 2>>"$work/drag.log" &
    pid=$!
    pids+=($pid)
    window=$(find_window "drag_source") || fail "drag source did not appear"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --sync $((X + 60)) $((Y + 60))
    sleep 0.3
    xdotool mousedown 1
    sleep 0.5
    # Through a few points on the way, as a hand would, then a little while on the target.
    local step
    for step in 1 2 3 4 5; do
        xdotool mousemove --sync $((X + 60 + (to_x - X - 60) * step / 5)) \
            $((Y + 60 + (to_y - Y - 60) * step / 5))
        sleep 0.2
    done
    xdotool mousemove --sync $((to_x + 1)) "$to_y"
    sleep 0.5
    xdotool mousemove --sync "$to_x" "$to_y"
    sleep 0.5
    xdotool mouseup 1
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "drag source did not end"
    cat "$work/drag.out"
}

# A picture beside the pictures is refused and changes nothing.
# shellcheck disable=SC2086
[[ "$(drag "$cover" $beside_at)" == refused ]] || fail "picture beside the pictures was taken"

# A picture on the front cover is inserted there; F12 saves it under a new name.
# shellcheck disable=SC2086
[[ "$(drag "$cover" $cover_at)" == dropped ]] || fail "picture on the cover was refused"
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F12
answer_file_dialog "Speichern unter" "$layout"
wait_for_name "$layout - Vellacour"
expected=$(printf '[Vellacour]\ncover=%s\nback=\n' "$cover")
[[ "$(cat "$layout")" == "$expected" ]] || fail "layout file holds: $(cat "$layout")"

# A layout dropped beside the pictures opens: nothing is unsaved, so without a prompt.
# shellcheck disable=SC2086
[[ "$(drag "$other" $beside_at)" == dropped ]] || fail "layout was refused"
wait_for_name "$other - Vellacour"

echo "end-to-end: a picture and a layout dropped from another program; a misplaced picture refused"
