#!/usr/bin/env bash
# The program speaks the language its environment asks for, on its own X server: in English
# and in German, the menus are reached by that language's access keys, and the windows
# they open (Qt's file dialog among them) carry that language's titles; a change, then
# New, asks in that language, and its "No" key answers.
# usage: language.sh PATH/TO/vellacour
set -euo pipefail
program=$1
source "$(dirname "$0")/x11.sh"
start_x_server

# expect_window NAME KEYS...: presses the keys in the main window, then finds the window
# named NAME.
expect_window() {
    local name=$1 window
    shift
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.4
    done
    window=$(find_window "$name" "$main") || fail "no window '$name' after $* ($language)"
    echo "$window"
}

# check LANGUAGE-NAME OPEN-KEYS OPEN-TITLE INFO-KEYS INFO-TITLE WORDS-TITLE QUESTION-TITLE
#       NO-KEY VARIABLE=VALUE...
check() {
    local open_keys=$2 open_title=$3 info_keys=$4 info_title=$5 words_title=$6 question=$7
    local no_key=$8 window program_pid
    language=$1
    shift 8
    env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG "$@" HOME="$work" \
        XDG_CONFIG_HOME="$work/config" "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=($program_pid)
    main=$(find_window "Vellacour") || fail "main window did not appear ($language)"

    window=$(expect_window "$open_title" $open_keys)
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key Escape
    sleep 0.5
    if [[ -n "$info_keys" ]]; then
        window=$(expect_window "$info_title" $info_keys)
        xdotool windowactivate --sync "$window" 2>/dev/null || true
        xdotool key Escape
        sleep 0.5
    fi
    window=$(expect_window "$words_title" F4)
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool type --delay 5 "Wiese"
    xdotool key Return
    sleep 0.5
    window=$(expect_window "$question" ctrl+n)
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key "$no_key"
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name "" 2>/dev/null | grep -qx "$window" || break
        sleep 0.1
    done
    xdotool search --onlyvisible --name "" 2>/dev/null | grep -qx "$window" &&
        fail "'$no_key' did not answer '$question' ($language)"
    [[ "$(main_window_name)" == "Vellacour" ]] || fail "the main window went away ($language)"
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}

check English "alt+f o" "Open" "alt+h a" "About..." "Cover text" "Confirm" n \
    LANG=en_US.UTF-8
check German "alt+d l" "Öffnen" "" "" "Beschriftung" "Bestätigung" n LANG=de_DE.UTF-8
check "German by LANGUAGE" "alt+d l" "Öffnen" "" "" "Beschriftung" "Bestätigung" n \
    LANG=en_US.UTF-8 LANGUAGE=de:en
check "English by LANGUAGE" "alt+f o" "Open" "alt+h a" "About..." "Cover text" "Confirm" n \
    LANG=C LANGUAGE=en
