# Sourced by a test runner for a private desktop session on the X display that
# tests/on-xvfb.sh gives it: a D-Bus session bus and at-spi2-core's accessibility bus with its
# registry, started here and stopped when the runner exits.
#   . tests/desktop-session.sh
#   desktop_check            # adds what is missing for the buses to the array "missing"
#   ...the runner's own checks, adding to "missing"...
#   desktop_skip_if_missing "what cannot be done"   # exits 77 (ctest's skip), naming them
#   desktop_start            # exports XDG_RUNTIME_DIR and DBUS_SESSION_BUS_ADDRESS
#   some-daemon & desktop_track $!   # stopped at exit, the last started first
# $runtime is a private directory, removed at exit; await_file waits for a starting process.

missing=()
runtime=
pids=()
desktop_launcher=/usr/libexec/at-spi-bus-launcher

desktop_check() {
    [ -n "${DISPLAY:-}" ] || missing+=("an X display (run it under tests/on-xvfb.sh)")
    command -v dbus-daemon >/dev/null || missing+=("dbus-daemon (package dbus-daemon)")
    [ -x "$desktop_launcher" ] || missing+=("$desktop_launcher (package at-spi2-core)")
}

desktop_skip_if_missing() {
    [ ${#missing[@]} -eq 0 ] && return 0
    {
        echo "######################################################################"
        echo "## SKIPPED: $1. Missing:"
        printf '##   %s\n' "${missing[@]}"
        echo "## scripts/deps.sh test installs them."
        echo "######################################################################"
    } >&2
    exit 77
}

desktop_track() {
    pids+=("$1")
}

# Every process below this shell, children first, whatever started them.
desktop_descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        desktop_descendants "$child"
        echo "$child"
    done
}

# Asks each tracked process to end, the last started first; one that has not ended a few
# seconds later (Orca may not, in some states) is killed, and so is anything they left behind.
desktop_stop() {
    local i pid watchdog
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || continue
        (sleep 3 && kill -KILL "$pid" 2>/dev/null) &
        watchdog=$!
        wait "$pid" 2>/dev/null || true
        kill "$watchdog" 2>/dev/null || true
        wait "$watchdog" 2>/dev/null || true
    done
    local left
    left=$(desktop_descendants $$)
    if [ -n "$left" ]; then
        # shellcheck disable=SC2086
        kill -KILL $left 2>/dev/null || true
    fi
    [ -n "$runtime" ] && rm -rf "$runtime"
}

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

desktop_start() {
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    trap desktop_stop EXIT
    export XDG_RUNTIME_DIR=$runtime

    dbus-daemon --session --nofork --print-address=3 3>"$runtime/bus" >"$runtime/bus.log" 2>&1 &
    desktop_track $!
    await_file "$runtime/bus" "$!" "$runtime/bus.log" "The D-Bus session bus"
    DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$runtime/bus")
    export DBUS_SESSION_BUS_ADDRESS

    # Started here rather than by bus activation, so that it is stopped with the rest; its
    # accessibility bus starts the registry when the first client asks for it.
    "$desktop_launcher" --launch-immediately >"$runtime/launcher.log" 2>&1 &
    desktop_track $!
    local launched=false
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
}
