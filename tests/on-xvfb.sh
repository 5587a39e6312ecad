#!/usr/bin/env bash
# Runs a command with a private Xvfb as its X display:
#   on-xvfb.sh command [arguments...]
# The GTK platform theme initialises GTK, which needs a display even when Qt itself draws
# offscreen; the accessibility-bus test runs the program on it. Exits 77 (ctest's skip) when Xvfb is not installed (scripts/deps.sh test installs it).
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed (Debian package xvfb); scripts/deps.sh test installs it" >&2
    exit 77
fi
work=$(mktemp -d)
# Xvfb picks a free display number and writes it to the pipe once it accepts connections.
mkfifo "$work/display"
# Without -noreset the server resets whenever its last client leaves, and a client connecting
# meanwhile is refused (the accessibility test's program failed to start one run in ten).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb_pid=$!
stop_xvfb() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap stop_xvfb EXIT

display=
if ! read -r -t 30 display <"$work/display" || [ -z "$display" ]; then
    echo "Xvfb did not start in 30 s:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
"$@"
