#!/usr/bin/env bash
# Runs a command on a private accessibility bus, with a listener registered for the events a
# screen reader follows (so that the program's bridge sends them, as with Orca running), on the
# X display that tests/on-xvfb.sh gives it:
#   tests/on-xvfb.sh bench/on-accessibility-bus.sh command [arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

. "$here/../tests/desktop-session.sh"
desktop_check
"$python" -c 'import pyatspi' 2>/dev/null || missing+=("pyatspi (package python3-pyatspi)")
desktop_skip_if_missing "the accessibility bus cannot be started here"
desktop_start

"$python" - "$runtime/listening" >"$runtime/listener.log" 2>&1 <<'PY' &
import sys
import pyatspi

def heard(event):
    pass

pyatspi.Registry.registerEventListener(
    heard, 'object:children-changed', 'object:state-changed', 'object:property-change',
    'object:selection-changed', 'object:active-descendant-changed', 'focus:')
open(sys.argv[1], 'w').write('yes')
pyatspi.Registry.start()
PY
desktop_track $!
await_file "$runtime/listening" "$!" "$runtime/listener.log" "The event listener"
"$@"
