#!/usr/bin/env bash
# The mouse wheel over the dialog scrolls it and changes nothing: a drop-down under the pointer
# changes on the wheel only once the user has put the focus in it. A real pointer's wheel, over
# the All tab's values, then OK: the string comes back as it went in.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

dialog() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name '^Data Link Properties$'; }
no_dialog() { ! dialog; }
copied() { e2e_click_control $E2E_COPY && sleep 0.3 && e2e_clipboard; }
dialog_active() { test "$(e2e_active_window)" -eq "$(dialog | head -n1)"; }

original='Provider=sqloledb;Data Source=190.190.200.100,1433;Network Library=DBMSSOCN;Initial Catalog=pubs;User ID=sa;Password=asdasd;'
read -r tx ty < <(e2e_control_center $E2E_TEXTBOX)
e2e_click "$E2E_WINDOW" "$tx" "$ty"
xdotool type --delay 10 "$original"
e2e_check "the box holds the string typed" test "$(copied)" = "$original"

e2e_click_control $E2E_CREATE
e2e_check "Create opens the dialog" e2e_wait_until 10 dialog
e2e_check "the dialog has the focus" e2e_wait_until 5 dialog_active
window=$(dialog | head -n1)
# From the Connection tab to the All tab, past Advanced.
xdotool key ctrl+Tab ctrl+Tab
sleep 0.5
read -r _ _ width height < <(e2e_geometry "$window")
before=$(e2e_screenshot_window wheel-before "$window")

# Over the value column, where the rows' drop-downs are, a third of the way down.
xdotool mousemove --window "$window" $((width * 2 / 3)) $((height / 3)) sleep 0.2
xdotool click --repeat 10 --delay 80 5
sleep 0.5
after=$(e2e_screenshot_window wheel-after "$window")
moved=$(e2e_difference "$before" "$after")
e2e_log "share of the dialog that changed under the wheel: $moved"
e2e_check "the wheel scrolled the All tab" awk -v d="$moved" 'BEGIN { exit !(d > 0.01) }'

xdotool key Return
e2e_check "OK closes the dialog" e2e_wait_until 5 no_dialog
got=$(copied)
e2e_log "after OK: $got"
e2e_check "the wheel changed nothing in the string" test "$got" = "$original"

e2e_click_control $E2E_EXIT
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
