#!/usr/bin/env bash
# Runs scenario.py: the real program used by keyboard alone with the Orca screen reader, and
# what Orca says checked. Everything runs privately on the X display that tests/on-xvfb.sh
# gives it: the D-Bus and accessibility buses (tests/desktop-session.sh), the openbox window
# manager, speech-dispatcher writing each utterance to a file instead of a sound card, and
# Orca with its default settings; all started here and stopped at the end:
#   tests/on-xvfb.sh tests/orca/run.sh student-information [--keep-going] [--transcript]
# --keep-going lists every failed check instead of stopping at the first; --transcript (or
# SI_ORCA_TRANSCRIPT=1) checks nothing and only prints what Orca said. SI_ORCA_SCENARIO names
# another script to run in the same setting (bench/orca-list-wait.py).
# Exits 77 (ctest's skip) when one of them is missing; scripts/deps.sh test installs them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own Python, which Orca and its pyatspi are installed into; another may come first.
python=/usr/bin/python3
generic_module=/usr/lib/speech-dispatcher-modules/sd_generic

. "$here/../desktop-session.sh"
desktop_check
[ -x /usr/bin/orca ] || missing+=("/usr/bin/orca (package orca)")
command -v speech-dispatcher >/dev/null || missing+=("speech-dispatcher (package speech-dispatcher)")
[ -x "$generic_module" ] || missing+=("$generic_module (package speech-dispatcher)")
command -v openbox >/dev/null || missing+=("the openbox window manager (package openbox)")
command -v xdotool >/dev/null || missing+=("xdotool (package xdotool)")
[ -x "$python" ] || missing+=("$python (package python3)")
desktop_skip_if_missing "Orca cannot be run here"

# Nothing of this machine's user settings may change what Orca or the speech server do.
export GSETTINGS_BACKEND=memory
unset SPEECHD_ADDRESS SPEECHD_SOCKET
desktop_start
private=$runtime
export HOME=$private/home XDG_CONFIG_HOME=$private/config XDG_DATA_HOME=$private/data \
    XDG_CACHE_HOME=$private/cache XDG_STATE_HOME=$private/state
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"

# Window focus and activation as on a desktop; Orca follows the active window.
# --startup runs once openbox manages the screen.
openbox --sm-disable --startup "sh -c 'echo ready >$private/openbox-ready'" \
    >"$private/openbox.log" 2>&1 &
desktop_track $!
await_file "$private/openbox-ready" "$!" "$private/openbox.log" "openbox"

# The generic module runs a shell command for every utterance: here it appends the text,
# one line each, to a file. Without PulseAudio the modules load only with ALSA's null device.
speech=$private/speech.txt
: >"$speech"
mkdir -p "$private/speechd/modules" "$private/speechd-log"
cat >"$private/speechd/speechd.conf" <<EOF
LogLevel 3
LogDir "$private/speechd-log"
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "file" "sd_generic" "file.conf"
DefaultModule file
DefaultLanguage "en"
EOF
# \$DATA comes single-quoted ("'" is given as '\''); no chunking at full stops ("^" never
# occurs); UTF-8 whatever language the client asks for.
{
    echo "GenericExecuteSynth \"printf '%s\\\\n' '\$DATA' >> $speech\""
    echo 'GenericMaxChunkLength 100000'
    echo 'GenericDelimiters "^"'
    for lang in en en-US en_US en-GB c C; do
        echo "GenericLanguage \"$lang\" \"$lang\" \"utf-8\""
    done
    echo 'AddVoice "en" "MALE1" "file"'
} >"$private/speechd/modules/file.conf"
speech-dispatcher --run-single --timeout 0 --config-dir "$private/speechd" \
    --communication-method unix_socket --socket-path "$private/speechd.sock" \
    --log-dir "$private/speechd-log" --pid-file "$private/speechd.pid" \
    >"$private/speechd.log" 2>&1 &
desktop_track $!
for _ in $(seq 1 300); do [ -S "$private/speechd.sock" ] && break; sleep 0.1; done
if ! [ -S "$private/speechd.sock" ]; then
    echo "speech-dispatcher did not start:" >&2
    cat "$private/speechd.log" "$private"/speechd-log/* >&2 2>/dev/null || true
    exit 1
fi
export SPEECHD_ADDRESS=unix_socket:$private/speechd.sock

# Default settings in a fresh folder, with speech on and two of its standard options that a
# program cannot give itself: the position in a list or menu, and the access key.
mkdir -p "$private/orca-prefs"
# Orca's debug log (every event and utterance) only for a developer who keeps the logs: it
# slows Orca down, more than a user's Orca is.
debug=()
[ -n "${SI_ORCA_KEEP_LOGS:-}" ] && debug=(--debug-file "$private/orca-debug.log")
"$python" "$here/launch-orca.py" --user-prefs "$private/orca-prefs" "${debug[@]}" \
    --enable speech,position-speaking,mnemonic-speaking >"$private/orca.log" 2>&1 &
desktop_track $!
orca_pid=$!
# Orca says so once it runs: the whole chain from Orca to the speech file works.
for _ in $(seq 1 600); do
    [ -s "$speech" ] && break
    if ! kill -0 "$orca_pid" 2>/dev/null; then
        echo "Orca did not start:" >&2
        cat "$private/orca.log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! [ -s "$speech" ]; then
    echo "Orca said nothing in 60 s after it started:" >&2
    cat "$private/orca.log" >&2
    grep -h . "$private"/speechd-log/* >&2 2>/dev/null || true
    exit 1
fi

status=0
"$python" "${SI_ORCA_SCENARIO:-$here/scenario.py}" "$1" --speech "$speech" --log "$private/program.log" "${@:2}" ||
    status=$?
if [ "$status" -ne 0 ]; then
    for log in orca speechd openbox; do
        [ -s "$private/$log.log" ] && { echo "--- $log log" >&2; tail -n 40 "$private/$log.log" >&2; }
    done
fi
# A developer's copy of every log, Orca's debug log with each utterance among them.
if [ -n "${SI_ORCA_KEEP_LOGS:-}" ]; then
    mkdir -p "$SI_ORCA_KEEP_LOGS"
    cp -r "$private"/*.log "$private/speech.txt" "$private/speechd-log" "$SI_ORCA_KEEP_LOGS"/
    echo "Logs kept in $SI_ORCA_KEEP_LOGS" >&2
fi
exit "$status"
