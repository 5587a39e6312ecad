#!/usr/bin/env bash
# Configures (once) and builds one configuration, or only the named targets of it:
#   build.sh [default|sanitize] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
if [ ! -f "$dir/build.ninja" ]; then
    echo "Configuring $dir"
    cmake --preset "$preset" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" "${targets[@]}" -- -k 0
