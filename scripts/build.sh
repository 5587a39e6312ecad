#!/usr/bin/env bash
# Configures (once) and builds one configuration: build.sh [default|sanitize]
# SI_WERROR=ON in the environment turns warnings into errors (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
werror=${SI_WERROR:-OFF}
cached=$(sed -n 's/^SI_WERROR:BOOL=//p' "$dir/CMakeCache.txt" 2>/dev/null || true)
if [ ! -f "$dir/build.ninja" ] || [ "${cached:-OFF}" != "$werror" ]; then
    cmake --preset "$preset" -DSI_WERROR="$werror" >/dev/null
fi
cmake --build "$dir" -- -k 0
