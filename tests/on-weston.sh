#!/usr/bin/env bash
# Runs a command on a private headless Weston with Qt's Wayland platform plugin:
#   on-weston.sh command [arguments...]
# Exits 77 (ctest's skip) when Weston is not installed (scripts/deps.sh test installs it).
set -euo pipefail
if ! command -v weston >/dev/null; then
    echo "SKIP: weston is not installed; scripts/deps.sh test installs it" >&2
    exit 77
fi
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
socket=wayland-si
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --no-config \
    --log="$runtime/weston.log" &
weston_pid=$!
stop_weston() {
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
    rm -rf "$runtime"
}
trap stop_weston EXIT

for _ in $(seq 1 300); do
    [ -S "$runtime/$socket" ] && break
    if ! kill -0 "$weston_pid" 2>/dev/null; then
        echo "weston did not start:" >&2
        cat "$runtime/weston.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
    echo "weston made no socket in 30 s:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi

# No input method: Qt 6.4's Wayland text input dereferences the seat that the headless
# back end does not have.
export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_IM_MODULE=none
status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
    echo "--- weston log" >&2
    cat "$runtime/weston.log" >&2
fi
exit "$status"
