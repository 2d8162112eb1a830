# Shared by the end-to-end scripts: a scratch folder, a private X server with a window
# manager, and finding and answering windows by their exact names. Source it after `set -euo
# pipefail`; it sets work (the scratch folder, removed on exit) and DISPLAY, and kills every
# process added to pids on exit.
work=$(mktemp -d)
# The scripts look for the German names of windows; a script about language sets its own.
export LANGUAGE=de
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
start_x_server() {
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    local display
    read -r -t 20 display <&3 || fail "Xvfb did not start"
    export DISPLAY=":$display"
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    sleep 1
}

# A window whose name is exactly the given text, other than the windows given after it
# (xdotool's search ignores case and also finds Qt's hidden leader window, so names are
# compared here).
find_window() {
    local name=$1 id
    shift
    for _ in $(seq 1 100); do
        for id in $(xdotool search --onlyvisible --name "" 2>/dev/null); do
            [[ " $* " == *" $id "* ]] && continue
            if [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$name" ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# Opens a menu of the main window's ($main) menu bar with Alt and its key, then presses the
# keys given, each after the menu it opens has come up.
in_menu() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key "$1"
    shift
    for key in "$@"; do
        sleep 0.5
        xdotool key "$key"
    done
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

# write_bmp FILE BLUE GREEN RED: a 4 x 4 bitmap of one colour, bytes in octal escapes.
write_bmp() {
    printf 'BM\x66\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x04\x00\x00\x00\x04\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x30\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$1"
    for _ in $(seq 1 16); do printf "\\$2\\$3\\$4" >>"$1"; done
}
