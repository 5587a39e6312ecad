#!/usr/bin/env bash
# Configures (once) and builds one configuration, or only the named targets of it:
#   build.sh [default|sanitize] [target...]
# SI_WERROR=ON in the environment turns warnings into errors (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
werror=${SI_WERROR:-OFF}
cached=$(sed -n 's/^SI_WERROR:BOOL=//p' "$dir/CMakeCache.txt" 2>/dev/null || true)
if [ ! -f "$dir/build.ninja" ] || [ "${cached:-OFF}" != "$werror" ]; then
    echo "Configuring $dir"
    cmake --preset "$preset" -DSI_WERROR="$werror" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" "${targets[@]}" -- -k 0
