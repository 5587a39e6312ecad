#!/usr/bin/env bash
# Runs scenario.py against the program on a private desktop: a D-Bus session bus and
# at-spi2-core's accessibility bus with its registry (tests/desktop-session.sh), all started
# here and stopped at the end, on the X display that tests/on-xvfb.sh gives it:
#   tests/on-xvfb.sh tests/atspi/run.sh atspi_host [--keep-going]
# Exits 77 (ctest's skip) when one of them is missing; scripts/deps.sh test installs them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own Python, which python3-pyatspi installs into; another python3 may come first.
python=/usr/bin/python3

. "$here/../desktop-session.sh"
desktop_check
if ! [ -x "$python" ] || ! "$python" -c 'import pyatspi' 2>/dev/null; then
    missing+=("pyatspi for $python (package python3-pyatspi)")
fi
desktop_skip_if_missing "the accessibility bus cannot be started here"
desktop_start

status=0
"$python" "$here/scenario.py" "$@" || status=$?
if [ "$status" -ne 0 ]; then
    for log in launcher; do
        [ -s "$runtime/$log.log" ] && { echo "--- $log log" >&2; cat "$runtime/$log.log" >&2; }
    done
fi
exit "$status"
