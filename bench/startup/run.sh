#!/usr/bin/env bash
# Start-up benchmark: time from exec to the main window being mapped, and resident memory once
# idle, for the program and for an empty Qt Widgets window built the same way, on one X server.
#     bench/startup/run.sh [RUNS]      (default 15, at least 10)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-15}
((runs >= 10)) || { echo "at least 10 runs" >&2; exit 2; }

# A Release build of its own, so the figures are those of the build users get.
build=${CORVANTA_BENCH_BUILD:-$root/build-release}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" \
    --target corvanta corvanta_baseline corvanta_widgets_baseline corvanta_mapwatch \
    corvanta_xprobe >/dev/null

export CORVANTA_XPROBE=$build/tests/e2e/corvanta_xprobe
exec bash "$root/bench/startup/measure.sh" "$build/app/corvanta" \
    "$build/bench/corvanta_baseline" "$build/bench/corvanta_mapwatch" "$runs" \
    "$build/bench/corvanta_widgets_baseline"
