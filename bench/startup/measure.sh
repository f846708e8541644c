#!/usr/bin/env bash
# measure.sh PROGRAM BASELINE MAPWATCH RUNS [WIDGETS]: the measuring half of run.sh, on the
# end-to-end suite's desktop (Xvfb, jwm, trayer). WIDGETS, the main window's controls in a plain
# Qt window, is measured alongside when given.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
baseline=$2
mapwatch=$3
runs=$4
widgets=${5:-}
idle_ms=1000

e2e_start_desktop

# measure TITLE PROGRAM: one line "ms KiB".
measure()
{
    timeout 30 "$mapwatch" "$1" "$idle_ms" "$2" 2>>"$E2E_WORK/app.log" \
        || e2e_fail "no measurement for $2"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One unrecorded run each fills the page cache, so every recorded run starts warm.
measure Corvanta "$E2E_APP" >/dev/null
measure "Corvanta baseline" "$baseline" >/dev/null
[[ -z $widgets ]] || measure "Corvanta widgets baseline" "$widgets" >/dev/null

: >"$E2E_WORK/app"
: >"$E2E_WORK/baseline"
: >"$E2E_WORK/widgets"
for ((i = 1; i <= runs; i++)); do
    measure Corvanta "$E2E_APP" >>"$E2E_WORK/app"
    measure "Corvanta baseline" "$baseline" >>"$E2E_WORK/baseline"
    [[ -z $widgets ]] || measure "Corvanta widgets baseline" "$widgets" >>"$E2E_WORK/widgets"
done

app_ms=$(cut -d' ' -f1 "$E2E_WORK/app" | median)
app_kib=$(cut -d' ' -f2 "$E2E_WORK/app" | median)
base_ms=$(cut -d' ' -f1 "$E2E_WORK/baseline" | median)
base_kib=$(cut -d' ' -f2 "$E2E_WORK/baseline" | median)

printf '%s runs each, medians (Xvfb 1024x768, jwm, trayer; resident memory %s ms after mapping)\n' \
    "$runs" "$idle_ms"
printf '%-10s %12s %14s\n' "" "map (ms)" "resident (MiB)"
printf '%-10s %12.1f %14.1f\n' corvanta "$app_ms" "$(awk -v k="$app_kib" 'BEGIN { print k / 1024 }')"
printf '%-10s %12.1f %14.1f\n' baseline "$base_ms" "$(awk -v k="$base_kib" 'BEGIN { print k / 1024 }')"
printf 'ratios corvanta / baseline: time %.2f, memory %.2f\n' \
    "$(awk -v a="$app_ms" -v b="$base_ms" 'BEGIN { print a / b }')" \
    "$(awk -v a="$app_kib" -v b="$base_kib" 'BEGIN { print a / b }')"
if [[ -n $widgets ]]; then
    widgets_ms=$(cut -d' ' -f1 "$E2E_WORK/widgets" | median)
    widgets_kib=$(cut -d' ' -f2 "$E2E_WORK/widgets" | median)
    printf '%-10s %12.1f %14.1f\n' widgets "$widgets_ms" \
        "$(awk -v k="$widgets_kib" 'BEGIN { print k / 1024 }')"
    printf 'ratios widgets / baseline: time %.2f, memory %.2f\n' \
        "$(awk -v a="$widgets_ms" -v b="$base_ms" 'BEGIN { print a / b }')" \
        "$(awk -v a="$widgets_kib" -v b="$base_kib" 'BEGIN { print a / b }')"
    printf 'ratios corvanta / widgets: time %.2f, memory %.2f\n' \
        "$(awk -v a="$app_ms" -v b="$widgets_ms" 'BEGIN { print a / b }')" \
        "$(awk -v a="$app_kib" -v b="$widgets_kib" 'BEGIN { print a / b }')"
fi
