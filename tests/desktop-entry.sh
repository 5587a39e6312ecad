#!/usr/bin/env bash
# The real program, on a Wayland compositor, gives the name of its desktop entry as its
# application id: shells match its window to its menu entry and icon by it.
#   on-weston.sh desktop-entry.sh program expected-id
set -euo pipefail
program=$1
want="set_app_id(\"$2\")"
log=$(mktemp)
WAYLAND_DEBUG=client "$program" 2>"$log" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -f "$log"' EXIT
# Qt's Wayland client logs every request it makes; the id goes with the main window's surface.
for _ in $(seq 600); do
    grep -q 'set_app_id(' "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
got=$(grep -o 'set_app_id("[^"]*")' "$log" | head -n1 || true)
if [ "$got" != "$want" ]; then
    echo "FAIL: the main window's surface should say $want; it said: ${got:-nothing}" >&2
    exit 1
fi
echo "PASS: $got"
