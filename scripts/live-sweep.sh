#!/bin/sh
# A sweep of random models through the live test: scripts/live-sweep.sh SEED COUNT
# Prints per model accepted/refused and passed/failed checks, then a summary line.
set -eu
if [ $# -ne 2 ]; then
    echo "usage: $0 SEED COUNT" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
exec python3 "$here/tests/live/random_live_test.py" \
    --cli "$build/bin/brennoquill-cli" --resources "$here/resources" \
    --work "$build/live-random/sweep" --tomcat "$build/tomcat" --seed "$1" --count "$2" \
    --deadline "${SWEEP_DEADLINE:-36000}"
