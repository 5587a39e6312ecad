#!/usr/bin/env bash
# Runs a command on a private accessibility bus, with a listener registered for the events a
# screen reader follows (so that the program's bridge sends them, as with Orca running), on the
# X display that tests/on-xvfb.sh gives it:
#   tests/on-xvfb.sh bench/on-accessibility-bus.sh [--unheard] command [arguments...]
# With --unheard the events are registered but nobody receives them: the bridge sends all it
# sends for a screen reader, and no listener shares the processors with the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

. "$here/../tests/desktop-session.sh"
desktop_check
"$python" -c 'import pyatspi' 2>/dev/null || missing+=("pyatspi (package python3-pyatspi)")
desktop_skip_if_missing "the accessibility bus cannot be started here"
desktop_start

unheard=false
if [[ ${1-} == --unheard ]]; then
    unheard=true
    shift
fi

"$python" - "$runtime/listening" "$unheard" >"$runtime/listener.log" 2>&1 <<'PY' &
import sys

EVENTS = ('object:children-changed', 'object:state-changed', 'object:property-change',
          'object:selection-changed', 'object:active-descendant-changed', 'focus:')

if sys.argv[2] == 'true':
    # Registered with the registry only: no match rule, so the bus delivers the events to no one.
    from gi.repository import Gio, GLib
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    address = session.call_sync('org.a11y.Bus', '/org/a11y/bus', 'org.a11y.Bus', 'GetAddress',
                                None, GLib.VariantType('(s)'), 0, -1, None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
        Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    for event in EVENTS:
        bus.call_sync('org.a11y.atspi.Registry', '/org/a11y/atspi/registry',
                      'org.a11y.atspi.Registry', 'RegisterEvent',
                      GLib.Variant('(sass)', (event, [], '')), None, 0, -1, None)
    open(sys.argv[1], 'w').write('yes')
    GLib.MainLoop().run()

import pyatspi

def heard(event):
    pass

pyatspi.Registry.registerEventListener(heard, *EVENTS)
open(sys.argv[1], 'w').write('yes')
pyatspi.Registry.start()
PY
desktop_track $!
await_file "$runtime/listening" "$!" "$runtime/listener.log" "The event listener"
"$@"
