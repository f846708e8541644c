#!/usr/bin/env bash
# Without a notification area, minimising leaves the window minimised on the taskbar, so it and
# the text in it stay within reach.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop --no-tray
e2e_start_app

iconic() { test "$(e2e_wm_state "$E2E_WINDOW")" = Iconic; }
normal() { test "$(e2e_wm_state "$E2E_WINDOW")" = Normal && e2e_viewable "$E2E_WINDOW"; }

xdotool windowminimize "$E2E_WINDOW"
e2e_check "minimised on the taskbar" e2e_wait_until 5 iconic
sleep 0.5
e2e_check "still minimised, not withdrawn" iconic
e2e_check "still in the window list" e2e_in_client_list "$E2E_WINDOW"
e2e_check "the program runs on" e2e_app_running

xdotool windowactivate "$E2E_WINDOW"
e2e_check "brought back from the taskbar" e2e_wait_until 5 normal

e2e_click_button Exit
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
e2e_check "exit status after Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
