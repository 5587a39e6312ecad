#!/usr/bin/env bash
# Configures (once) and builds one configuration: build.sh [default|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
if [ ! -f "$dir/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build "$dir" -- -k 0
