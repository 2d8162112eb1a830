# Shared by the end-to-end scripts that print through the real cups-pdf queue. Source it
# after `set -euo pipefail` and call use_print_queue with the path of scripts/print-queue:
# it exits with status 77 (skipped) when the default destination is not a cups-pdf queue,
# except in continuous integration (CI=true), where that fails; otherwise it sets outdir
# (where the queue writes its PDF files) and paper (A4 or Letter, the queue's default).
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
