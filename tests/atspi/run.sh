#!/usr/bin/env bash
# Runs scenario.py against the program on a private desktop: a D-Bus session bus and
# at-spi2-core's accessibility bus with its registry, all started here and stopped at the end,
# on the X display that tests/on-xvfb.sh gives it:
#   tests/on-xvfb.sh tests/atspi/run.sh atspi_host [--keep-going]
# Exits 77 (ctest's skip) when one of them is missing; scripts/deps.sh test installs them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own Python, which python3-pyatspi installs into; another python3 may come first.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher

missing=()
[ -n "${DISPLAY:-}" ] || missing+=("an X display (run it under tests/on-xvfb.sh)")
command -v dbus-daemon >/dev/null || missing+=("dbus-daemon (package dbus-daemon)")
[ -x "$launcher" ] || missing+=("$launcher (package at-spi2-core)")
if ! [ -x "$python" ] || ! "$python" -c 'import pyatspi' 2>/dev/null; then
    missing+=("pyatspi for $python (package python3-pyatspi)")
fi
if [ ${#missing[@]} -gt 0 ]; then
    {
        echo "######################################################################"
        echo "## SKIPPED: the accessibility bus cannot be started here. Missing:"
        printf '##   %s\n' "${missing[@]}"
        echo "## scripts/deps.sh test installs them."
        echo "######################################################################"
    } >&2
    exit 77
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
pids=()
stop_all() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$runtime"
}
trap stop_all EXIT

# Waits for a file that a starting process writes, failing with its log if it stops first.
await_file() {
    local file=$1 pid=$2 log=$3 what=$4
    for _ in $(seq 1 300); do
        [ -s "$file" ] && return 0
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "$what did not start:" >&2
            cat "$log" >&2
            exit 1
        fi
        sleep 0.1
    done
    echo "$what did not start in 30 s:" >&2
    cat "$log" >&2
    exit 1
}

export XDG_RUNTIME_DIR=$runtime

dbus-daemon --session --nofork --print-address=3 3>"$runtime/bus" >"$runtime/bus.log" 2>&1 &
pids+=($!)
await_file "$runtime/bus" "$!" "$runtime/bus.log" "The D-Bus session bus"
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$runtime/bus")
export DBUS_SESSION_BUS_ADDRESS

# Started here rather than by bus activation, so that it is stopped with the rest; its
# accessibility bus starts the registry when the first client asks for it.
"$launcher" --launch-immediately >"$runtime/launcher.log" 2>&1 &
pids+=($!)
launched=false
for _ in $(seq 1 300); do
    if dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; then
        launched=true
        break
    fi
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
if ! $launched; then
    echo "at-spi-bus-launcher gave no accessibility bus:" >&2
    cat "$runtime/launcher.log" >&2
    exit 1
fi

status=0
"$python" "$here/scenario.py" "$@" || status=$?
if [ "$status" -ne 0 ]; then
    for log in launcher; do
        [ -s "$runtime/$log.log" ] && { echo "--- $log log" >&2; cat "$runtime/$log.log" >&2; }
    done
fi
exit "$status"
