#!/usr/bin/env bash
# measure.sh PROGRAM CLICKWATCH RUNS: the measuring half of run.sh.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
clickwatch=$2
runs=$3
title='Data Link Properties'

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

e2e_start_desktop
e2e_start_app

# The pointer rests on "Create" from the start, so that each timed command is the click alone.
read -r _ _ _ h < <(e2e_frame_geometry "$E2E_WINDOW")
read -r cx cy < <(e2e_control_center 50 $((h * E2E_TWIPS_PER_PIXEL - 840)) 1455 375)
xdotool mousemove --window "$E2E_WINDOW" "$cx" "$cy"
sleep 0.2

dialog_shown() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name "^$title\$" >/dev/null 2>&1; }

# measure: milliseconds from the start of the click command to the dialog being mapped; the
# dialog is closed again.
measure()
{
    local line dialog
    line=$(timeout 30 "$clickwatch" "$title" xdotool click 1 2>>"$E2E_WORK/app.log") \
        || e2e_fail "the dialog did not appear"
    dialog=$(xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name "^$title\$" | head -n1)
    e2e_wait_until 5 e2e_framed "$dialog" || e2e_fail "the dialog was not framed"
    e2e_key "$dialog" Escape
    e2e_wait_until 5 bash -c "! xdotool search --onlyvisible --all --pid $E2E_APP_PID --name '^$title\$'" \
        || e2e_fail "Escape did not close the dialog"
    # Back to idle, as a user's next click would find it.
    sleep 0.3
    echo "$line"
}

# One unrecorded run fills the caches, so every recorded run starts warm.
measure >/dev/null
: >"$E2E_WORK/runs"
for ((i = 1; i <= runs; i++)); do
    measure >>"$E2E_WORK/runs"
done

# What the figure holds besides the program: xdotool starting and opening the display, as long
# as a whole command that asks the server one question.
: >"$E2E_WORK/tool"
for ((i = 1; i <= runs; i++)); do
    start=$EPOCHREALTIME
    xdotool getmouselocation >/dev/null
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f\n", (b - a) * 1000 }' >>"$E2E_WORK/tool"
done

printf '%s runs, medians (Xvfb 1024x768, jwm, trayer; warm)\n' "$runs"
printf 'click on Create to dialog mapped: %7.1f ms\n' "$(median <"$E2E_WORK/runs")"
printf '  of which xdotool start-up, at most: %5.1f ms (a whole xdotool getmouselocation)\n' \
    "$(median <"$E2E_WORK/tool")"
printf 'all runs (ms): %s\n' "$(tr '\n' ' ' <"$E2E_WORK/runs")"

e2e_click_button Exit
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
