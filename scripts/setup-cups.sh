#!/usr/bin/env bash
# Sets up CUPS with a CUPS-PDF queue named PDF as the default printer, so that the real-printer
# test has a printer to print on. Run as root; running it again changes nothing.
#   scripts/setup-cups.sh
set -euo pipefail
cd "$(dirname "$0")/.."

queue=PDF

if [ "$(id -u)" -ne 0 ]; then
    echo "setup-cups.sh: run as root (it installs packages and starts cupsd)" >&2
    exit 1
fi

scripts/deps.sh printer

scheduler_running() { lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }

if ! scheduler_running; then
    # No systemd here: start the daemon directly; it detaches by itself. A cupsd that is
    # still shutting down is waited for, then replaced.
    for _ in $(seq 1 100); do
        scheduler_running && break
        if ! pgrep -x cupsd >/dev/null; then
            echo "Starting cupsd"
            cupsd
        fi
        sleep 0.2
    done
    if ! scheduler_running; then
        echo "setup-cups.sh: cupsd did not come up" >&2
        exit 1
    fi
fi

if ! lpstat -v "$queue" 2>/dev/null | grep -q 'cups-pdf:/'; then
    model=$(lpinfo -m | awk 'tolower($0) ~ /cups-pdf/ {print $1}' | grep -m1 'CUPS-PDF_opt.ppd' ||
        lpinfo -m | awk 'tolower($0) ~ /cups-pdf/ {print $1; exit}')
    if [ -z "$model" ]; then
        echo "setup-cups.sh: no CUPS-PDF model in 'lpinfo -m'" >&2
        exit 1
    fi
    echo "Creating the $queue queue ($model)"
    lpadmin -p "$queue" -v cups-pdf:/ -E -m "$model"
fi

# -E above enables the queue only when it is created; a queue stopped by an earlier failed job
# must take jobs again.
cupsenable "$queue"
cupsaccept "$queue"
[ "$(lpstat -d 2>/dev/null)" = "system default destination: $queue" ] || lpadmin -d "$queue"
lpoptions -d "$queue" >/dev/null
lpstat -d
