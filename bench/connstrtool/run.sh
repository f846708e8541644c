#!/usr/bin/env bash
# corvanta-connstr end to end: time, throughput and peak resident memory of `parse` on three
# inputs, from a Release build. Wall time suffers from a busy machine; CPU time much less.
#     bench/connstrtool/run.sh [RUNS]      (default 3; the best run of each is shown)
#     bench/connstrtool/run.sh RUNS large  `mask` and `edit` instead, on inputs that once took
#                                          time growing with the square of their size, and on
#                                          strings of many pairs, at 1, 4 and 16 MB
#                                          (CORVANTA_BENCH_SIZES="1 4" for others; a run stops
#                                          after CORVANTA_BENCH_TIMEOUT s, default 600)
# CORVANTA_BENCH_TOOL=PATH measures that binary instead of building one, e.g. an earlier version's
# for figures side by side.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
runs=${1:-3}
set_=${2:-parse}
sizes=${CORVANTA_BENCH_SIZES:-1 4 16}
limit=${CORVANTA_BENCH_TIMEOUT:-600}
tool=${CORVANTA_BENCH_TOOL:-}
if [[ -z $tool ]]; then
    build=${CORVANTA_BENCH_BUILD:-$root/build-release}
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j"$(nproc)" --target corvanta-connstr >/dev/null
    tool=$build/tools/connstr/corvanta-connstr
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
generate() { awk -f "$root/bench/connstrtool/inputs.awk" "$@"; }
echo '[]' >"$work/empty"                                 # the program's own baseline
if [[ $set_ == parse ]]; then
    generate -v mode=mixed -v size=16777216 >"$work/mixed"   # one 16 MB string of mixed pairs
    generate -v mode=small -v count=8388608 >"$work/small"   # one string of 8 M pairs `a=1;`
    generate -v mode=tiny -v count=1048576 >"$work/tiny"     # 1 M strings `a=1`
    inputs=(parse:mixed parse:small parse:tiny)
else
    inputs=()
    for mb in $sizes; do
        bytes=$((mb * 1048576))
        for m in quoted pieces pairs mixed; do
            generate -v mode=$m -v size=$bytes >"$work/mask-$m-$mb"
            inputs+=("mask:mask-$m-$mb")
        done
        generate -v mode=edit -v size=$bytes >"$work/edit-mixed-$mb"
        generate -v mode=edit -v pairs_only=1 -v size=$bytes >"$work/edit-pairs-$mb"
        generate -v mode=provider -v size=$bytes >"$work/edit-provider-$mb"
        inputs+=("edit:edit-mixed-$mb" "edit:edit-pairs-$mb" "edit:edit-provider-$mb")
    done
fi

# measure INPUT: "wall cpu KiB" of the best of RUNS runs (least CPU time). Times come from the
# shell's own clock, to the millisecond (/usr/bin/time rounds to 10 ms, too coarse here); the
# peak resident memory from /usr/bin/time. A run stopped by the timeout shows the time it had.
measure()
{
    local TIMEFORMAT='%3R %3U %3S'
    for ((i = 0; i < runs; i++)); do
        { time /usr/bin/time -f '%M' -o "$work/kib" timeout "$limit" "$tool" "$2" <"$1" \
            >/dev/null || { status=$?; [[ $status == 1 || $status == 124 ]]; }; } 2>"$work/time"
        awk -v kib="$(cat "$work/kib")" '{ printf "%.3f %.3f %d\n", $1, $2 + $3, kib }' \
            "$work/time"
    done | sort -k2 -g | head -1
}

echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
read -r _ _ base_kib < <(measure "$work/empty" "${set_/large/mask}")
printf '%-22s %10s %8s %8s %10s %10s %10s %12s\n' input bytes wall_s cpu_s MB/s_wall MB/s_cpu \
    peak_MiB beyond_base
for item in "${inputs[@]}"; do
    command=${item%%:*}
    input=${item#*:}
    bytes=$(stat -c %s "$work/$input")
    read -r wall cpu kib < <(measure "$work/$input" "$command")
    # A run the timeout stopped leaves no peak memory (0): its CPU time is what it had done.
    awk -v n="$command ${input#mask-}" -v b="$bytes" -v w="$wall" -v c="$cpu" -v k="$kib" \
        -v base="$base_kib" -v limit="$limit" \
        'BEGIN { if (k == 0) { printf "%-22s %10d stopped after %d s, %.3f s of CPU\n", n, b,
                               limit, c; exit }
                 printf "%-22s %10d %8.3f %8.3f %10.0f %10.0f %10.1f %11.2fx\n", n, b, w, c,
                 (w > 0 ? b / w / 1e6 : 0), (c > 0 ? b / c / 1e6 : 0), k / 1024,
                 (k - base) * 1024 / b }'
done
printf 'baseline (empty array): %.1f MiB\n' "$(awk -v k="$base_kib" 'BEGIN { print k / 1024 }')"
