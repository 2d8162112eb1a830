# Shared by the end-to-end scripts that print through the real cups-pdf queue. Source it
# after `set -euo pipefail` and call use_print_queue with the path of scripts/print-queue:
# it exits with status 77 (skipped) when the default destination is not a cups-pdf queue,
# except in continuous integration (CI=true), where that fails; otherwise it sets outdir
# (where the queue writes its PDF files) and paper (A4 or Letter, the queue's default).
# store_calibration and print_layout need x11.sh as well.
use_print_queue() {
    local print_queue=$1 reason
    unset LPDEST PRINTER CUPS_SERVER
    if ! reason=$("$print_queue" --check 2>&1); then
        if [[ "${CI:-}" == true ]]; then
            echo "FAILED: no cups-pdf print queue in CI ($reason)"
            exit 1
        fi
        echo "SKIPPED: no cups-pdf print queue ($reason); scripts/print-queue sets one up"
        exit 77
    fi
    outdir=$("$print_queue" --output-dir)
    paper=$(lpoptions -l 2>/dev/null | sed -n 's/^PageSize.*\*\([A-Za-z0-9]*\).*/\1/p')
    [[ "$paper" == Letter ]] || paper=A4
}

# The queue's newest PDF since the marker file: complete when poppler reads it and its size
# holds still.
wait_for_pdf() {
    local marker=$1 pdf= size=-1
    for _ in $(seq 1 120); do
        pdf=$(find "$outdir" -maxdepth 1 -name '*.pdf' -newer "$marker" 2>/dev/null | head -n 1)
        [[ -n "$pdf" ]] && break
        sleep 0.5
    done
    [[ -n "$pdf" ]] || fail "no PDF appeared in $outdir within 60 s (see /var/log/cups/error_log)"
    for _ in $(seq 1 60); do
        if pdfinfo "$pdf" >/dev/null 2>&1 && [[ $(stat -c %s "$pdf") == "$size" ]]; then
            break
        fi
        size=$(stat -c %s "$pdf")
        sleep 0.5
    done
    [[ $(find "$outdir" -maxdepth 1 -name '*.pdf' -newer "$marker" | wc -l) -eq 1 ]] ||
        fail "more than one new PDF in $outdir: was another job printing?"
    echo "$pdf"
}

# Stores the calibration (as the registry keeps it: X;Y;SX;SY) of the default queue in the
# settings the program reads from $work/config.
store_calibration() {
    local queue
    queue=$(lpstat -d | sed -n 's/^system default destination: //p')
    mkdir -p "$work/config/Vellacour"
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\Druckerkorrektur]\n"%s"="%s"\n' \
        "$queue" "$1" >"$work/config/Vellacour/registry.reg"
}

# Prints the layout of the main window ($main) with Ctrl+P and Return in the printer dialog,
# and "&Ja" should the paper cut a part; answers the PDF the queue wrote.
print_layout() {
    local dialog question
    touch "$work/before-print"
    sleep 1
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key ctrl+p
    dialog=$(find_window "Drucken" "$main") || fail "no printer dialog 'Drucken' opened"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 1
    xdotool key Return
    if question=$(find_window "Bestätigung" "$main" "$dialog"); then
        xdotool windowactivate --sync "$question" 2>/dev/null || true
        xdotool key alt+j
    fi
    wait_for_pdf "$work/before-print"
}
