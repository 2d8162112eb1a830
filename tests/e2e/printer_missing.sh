#!/usr/bin/env bash
# The print command without a printer to print on. With no print scheduler at all, and then
# with a scheduler that has a printer but no default one, the program starts, and Ctrl+P shows
# an error box instead of a printer dialog. Then that printer, made the default, refuses the
# job: the refusal is shown, and the next print command prints.
# The second half needs cupsd and skips (status 77) without it.
# usage: printer_missing.sh PATH/TO/vellacour
set -euo pipefail
program=$1
unset LPDEST PRINTER
source "$(dirname "$0")/x11.sh"
start_x_server

# Starts the program against the scheduler at the given socket, presses Ctrl+P, and checks
# that a second window titled "Vellacour" opens (the error box; its text cannot be read from
# outside, Qt copies a message box's text with Ctrl+C only on Windows), that Return closes
# it, and that no printer dialog opened.
print_without_printer() {
    local socket=$1 box program_pid
    CUPS_SERVER=$socket HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" \
        >"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=($program_pid)
    main=$(find_window "Vellacour") || fail "main window did not appear ($socket)"
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key ctrl+p
    box=$(find_window "Vellacour" "$main") || fail "no error box appeared ($socket)"
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    sleep 0.5
    xdotool key Return
    sleep 0.5
    for id in $(xdotool search --onlyvisible --name "" 2>/dev/null); do
        [[ "$id" == "$box" ]] && fail "Return did not close the error box ($socket)"
        [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "Drucken" ]] &&
            fail "a printer dialog opened ($socket)"
    done
    [[ "$(main_window_name)" == "Vellacour" ]] || fail "the main window went away ($socket)"
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}

# No scheduler answers at this socket.
print_without_printer "$work/kein-cups.sock"
echo "end-to-end: without a print scheduler the print command says so"

# A private scheduler on a socket of its own, with one printer and no default.
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
if [[ ! -x "$cupsd" ]]; then
    echo "SKIPPED: cupsd is not installed, so the case of printers without a default is not tried"
    exit 77
fi
cups="$work/cups"
mkdir -p "$cups"/{etc,cache,state,spool,tmp,log}
cat >"$cups/etc/cupsd.conf" <<CONF
Listen $cups/cups.sock
Browsing No
LogLevel warn
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$cups/etc/cups-files.conf" <<CONF
ServerRoot $cups/etc
CacheDir $cups/cache
StateDir $cups/state
RequestRoot $cups/spool
TempDir $cups/tmp
ErrorLog $cups/log/error_log
AccessLog $cups/log/access_log
PageLog $cups/log/page_log
FileDevice Yes
CONF
cat >"$cups/etc/printers.conf" <<CONF
<Printer Ablage>
DeviceURI file:///dev/null
State Idle
Accepting Yes
</Printer>
CONF
"$cupsd" -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$work/cupsd.log" 2>&1 &
pids+=($!)
export CUPS_SERVER="$cups/cups.sock"
for _ in $(seq 1 100); do
    LC_ALL=C lpstat -r 2>/dev/null | grep -q '^scheduler is running' && break
    sleep 0.2
done
LC_ALL=C lpstat -p Ablage >/dev/null 2>&1 ||
    fail "the private scheduler did not start with its printer: $(cat "$work/cupsd.log" "$cups/log/error_log" 2>/dev/null)"
LC_ALL=C lpstat -d 2>&1 | grep -q 'no system default destination' ||
    fail "the private scheduler has a default: $(lpstat -d 2>&1)"
unset CUPS_SERVER
print_without_printer "$cups/cups.sock"
echo "end-to-end: with printers but no default the program starts and the print command says so"

# The same scheduler with its printer as the default, refusing jobs: the print dialog opens,
# the refusal is shown in an error box, and once the queue accepts again the next print
# command hands it the job.
export CUPS_SERVER="$cups/cups.sock"
lpadmin -d Ablage
cupsreject Ablage
unset CUPS_SERVER
CUPS_SERVER="$cups/cups.sock" HOME="$work" XDG_CONFIG_HOME="$work/config" "$program" \
    >"$work/program.log" 2>&1 &
pids+=($!)
main=$(find_window "Vellacour") || fail "main window did not appear (refusing queue)"
print_once() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key ctrl+p
    local dialog
    dialog=$(find_window "Drucken" "$main") || fail "no printer dialog 'Drucken' opened"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 1
    xdotool key Return
}
print_once
box=$(find_window "Vellacour" "$main") || fail "no error box for the refused job"
xdotool windowactivate --sync "$box" 2>/dev/null || true
sleep 0.5
xdotool key Return
CUPS_SERVER="$cups/cups.sock" cupsaccept Ablage
sleep 1
print_once
for _ in $(seq 1 100); do
    [[ -n "$(CUPS_SERVER="$cups/cups.sock" lpstat -W all -o Ablage 2>/dev/null)" ]] && break
    sleep 0.2
done
[[ -n "$(CUPS_SERVER="$cups/cups.sock" lpstat -W all -o Ablage 2>/dev/null)" ]] ||
    fail "the print command after the refusal reached no queue"
find_window "Vellacour" "$main" >/dev/null 2>&1 && fail "the second print showed an error"
echo "end-to-end: a refused job is reported and the next print command prints"
