#!/usr/bin/env bash
# The title bar's close button ends the program with status 0, as "Exit" does.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

read -r px py < <(e2e_close_button_point "$E2E_WINDOW")
xdotool mousemove "$px" "$py" sleep 0.05 click 1
e2e_wait_app_exit 10 || e2e_fail "the program is still running after closing the window"
e2e_check "exit status after closing is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
