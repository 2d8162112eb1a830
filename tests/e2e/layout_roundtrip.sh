#!/usr/bin/env bash
# Drives the real program with the keyboard on its own X server: insert both pictures
# through the picture dialog, save the layout under a new name, start a new layout and
# open the saved one again, checking the window's name and the file at each step. Then
# save five layouts in turn, open the second of them from the recent-files menu (opened
# once while it was still empty), quit, check that the registry file keeps the last four,
# and start again to open the second of them from the recent-files menu. Last, start the
# program on a layout file named on the command line, and on one that does not exist.
# The main window's class is the one the desktop entry names, so docks group the two.
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

# The program keeps its recent files under a configuration folder of its own here, and
# runs in the scratch folder, so a layout can be named relative to it.
start_program() {
    (cd "$work" && HOME="$work" XDG_CONFIG_HOME="$work/config" exec "$program" "$@") \
        >>"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=($program_pid)
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}
# Alt+D, Z: opens "Let&zte Dateien" from the "&Datei" menu, then presses the keys given.
in_recent_layouts() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key alt+d
    sleep 0.5
    xdotool key z
    sleep 0.5
    xdotool key "$@"
}
start_program
main=$(find_window "Vellacour") || fail "main window did not appear"
class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../data/vellacour.desktop")
[[ -n "$class" ]] || fail "the desktop entry names no window class"
# xprop shows WM_CLASS as the instance, then the class: WM_CLASS(STRING) = "a", "b".
wm_class=$(xprop -id "$main" WM_CLASS)
[[ "$wm_class" == *", \"$class\"" ]] || fail "the main window's class is not '$class': $wm_class"
xdotool windowactivate --sync "$main" 2>/dev/null || true

# The list opened while it is empty, then closed again.
in_recent_layouts Escape
sleep 0.3
xdotool key Escape
sleep 0.3

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

# F12 five times: each layout saved under a new name goes to the top of the list.
for n in 1 2 3 4 5; do
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key F12
    answer_file_dialog "Speichern unter" "$work/l$n.vco"
    wait_for_name "$work/l$n.vco - Vellacour"
done

# The entries saved since show at once: the second entry opens and goes to the top.
in_recent_layouts Down Return
wait_for_name "$work/l4.vco - Vellacour"

# Alt+D, B: "&Beenden" from the "&Datei" menu; nothing is unsaved, so no prompt.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key alt+d
sleep 0.5
xdotool key b
for _ in $(seq 1 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "program did not end"
store="$work/config/Vellacour/registry.reg"
[[ -f "$store" ]] || fail "no registry file was written"
expected=$(printf '[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory]\n"Count"="4"\n"MaxFiles"="4"\n"H0"="%s"\n"H1"="%s"\n"H2"="%s"\n"H3"="%s"' \
    "$work/l4.vco" "$work/l5.vco" "$work/l3.vco" "$work/l2.vco")
[[ "$(grep -A6 -F 'MRUHistory]' "$store")" == "$expected" ]] || fail "registry file holds: $(cat "$store")"

# Start again; Down and Return choose the second entry of the recent layouts.
start_program
main=$(find_window "Vellacour") || fail "main window did not appear again"
in_recent_layouts Down Return
wait_for_name "$work/l5.vco - Vellacour"

# Started on a layout named relative to the current folder: the window comes up with it.
stop_program
start_program mein.vco
main=$(find_window "$layout - Vellacour") || fail "the layout named on the command line did not open"

# Started on a missing layout: an error box titled "Vellacour" over the main window of the
# same name; once it is answered the program goes on with an empty layout.
stop_program
start_program "$work/fehlt.vco"
first=$(find_window "Vellacour") || fail "no window for a missing layout"
second=$(find_window "Vellacour" "$first") || fail "no error box for a missing layout"
# The main window is the one 578 pixels wide.
width() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'; }
if [[ "$(width "$first")" == 578 ]]; then main=$first box=$second; else main=$second box=$first; fi
[[ "$(width "$main")" == 578 ]] || fail "neither window is the main window"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
visible() { xdotool search --onlyvisible --name "" 2>/dev/null | grep -x "$1" >/dev/null; }
for _ in $(seq 1 50); do
    visible "$box" || break
    sleep 0.1
done
visible "$box" && fail "the error box did not close"
kill -0 "$program_pid" 2>/dev/null || fail "the program ended after the error"
[[ "$(main_window_name)" == "Vellacour" ]] || fail "the main window is named '$(main_window_name)'"

echo "end-to-end: layout saved, renewed and reopened; recent layouts kept and reopened through the keyboard; layouts opened from the command line"
