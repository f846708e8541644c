#!/usr/bin/env bash
# Create benchmark: time from the click on "Create" to the Data Link Properties dialog being
# mapped, on the end-to-end suite's desktop (Xvfb, jwm, trayer).
#     bench/createdialog/run.sh [RUNS]      (default 10)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-10}
((runs >= 1)) || { echo "at least 1 run" >&2; exit 2; }

cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j2 --target corvanta corvanta_clickwatch corvanta_xprobe >/dev/null

export CORVANTA_XPROBE=$root/build/tests/e2e/corvanta_xprobe
exec bash "$root/bench/createdialog/measure.sh" "$root/build/app/corvanta" \
    "$root/build/bench/corvanta_clickwatch" "$runs"
