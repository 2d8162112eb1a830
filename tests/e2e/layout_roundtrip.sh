#!/usr/bin/env bash
# Drives the real program with the keyboard on its own X server: insert both pictures
# through the picture dialog, save the layout under a new name, start a new layout and
# open the saved one again, checking the window's name and the file at each step.
# usage: layout_roundtrip.sh PATH/TO/vellacour
set -euo pipefail
program=$1
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    [[ -n "${DISPLAY:-}" ]] && command -v import >/dev/null && import -window root "$work/../vellacour-e2e-failure.png" 2>/dev/null || true
    exit 1
}

# A private X server with a window manager, so focus returns to the main window after
# each dialog as on a desktop.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 display <&3 || fail "Xvfb did not start"
export DISPLAY=":$display"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# A window whose name is exactly the given text (xdotool's search ignores case and also
# finds Qt's hidden leader window, so names are compared here).
find_window() {
    local name=$1
    for _ in $(seq 1 100); do
        for id in $(xdotool search --onlyvisible --name "" 2>/dev/null); do
            if [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$name" ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
main_window_name() { xdotool getwindowname "$main"; }
wait_for_name() {
    for _ in $(seq 1 100); do
        [[ "$(main_window_name)" == "$1" ]] && return 0
        sleep 0.1
    done
    fail "window name is '$(main_window_name)', expected '$1'"
}
# Types a path into the file dialog with the given title and confirms it.
answer_file_dialog() {
    local title=$1 path=$2 dialog
    dialog=$(find_window "$title") || fail "no dialog '$title' opened"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    # The file name field has the focus once the dialog has settled.
    sleep 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 5 "$path"
    # Let the file name completer settle, or Return may pick its folder instead.
    sleep 0.7
    [[ -n "${E2E_SHOTS:-}" ]] && import -window root "$E2E_SHOTS/$(date +%s%N).png"
    xdotool key Return
}

# A 4 x 4 red bitmap.
cover="$work/rot.bmp"
printf 'BM\x66\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x04\x00\x00\x00\x04\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x30\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$cover"
for _ in $(seq 1 16); do printf '\x00\x00\xff' >>"$cover"; done
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
