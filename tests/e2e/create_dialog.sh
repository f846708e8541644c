#!/usr/bin/env bash
# "Create" opens the Data Link Properties dialog modal to the window: OK writes the composed
# string into the box, Cancel leaves the box as it was, also when its text is no valid string.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

dialog() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name '^Data Link Properties$'; }
no_dialog() { ! dialog; }
copied() { e2e_click_control $E2E_COPY && sleep 0.3 && e2e_clipboard; }

dialog_active() { test "$(e2e_active_window)" -eq "$(dialog | head -n1)"; }

open_dialog()
{
    e2e_click_control $E2E_CREATE
    e2e_check "$1: Create opens the dialog" e2e_wait_until 10 dialog
    e2e_check "$1: the dialog has the focus" e2e_wait_until 5 dialog_active
}

# dialog_key KEY: a real key press to the focused dialog. (A key sent to the window with
# XSendEvent loses its release when the dialog closes on the press.)
dialog_key() { xdotool key "$1"; }

open_dialog "empty box, cancelled"
dialog_key Escape
e2e_check "Escape closes the dialog" e2e_wait_until 5 no_dialog
e2e_check "Escape leaves the box empty" test -z "$(copied)"

# A user's way through: pick the provider from the list, go on, name the server.
open_dialog "SQL Server"
# From the default ODBC entry two rows down: "OLE DB Provider for SQL Server".
dialog_key Down
dialog_key Down
sleep 0.3
dialog_key alt+n
sleep 0.3
dialog_key alt+v
xdotool type --delay 30 '(local)'
dialog_key Return
e2e_check "OK closes the dialog" e2e_wait_until 5 no_dialog
expected='Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=(local)'
got=$(copied)
e2e_log "composed: $got"
e2e_check "the box holds the string composed" test "$got" = "$expected"

open_dialog "editing the string"
dialog_key alt+v
dialog_key ctrl+a
dialog_key ctrl+c
e2e_check "the dialog opens pre-filled with the server" \
    e2e_wait_until 5 test "$(e2e_clipboard)" = '(local)'
dialog_key Return
e2e_check "OK without a change keeps the string" e2e_wait_until 5 no_dialog
e2e_check "the string is unchanged" test "$(copied)" = "$expected"
e2e_click_control $E2E_CLEAR

open_dialog "empty box"
e2e_screenshot_window data-link-properties "$(dialog | head -n1)" >/dev/null
# Enter on the provider list goes on to the Connection tab, as Next does; there it is OK.
dialog_key Return
sleep 0.3
e2e_check "Enter on the provider list leaves the dialog open" dialog
dialog_key Return
e2e_check "OK closes the dialog" e2e_wait_until 5 no_dialog
composed=$(copied)
e2e_log "composed: $composed"
e2e_check "OK writes a connection string into the box" test "${composed#Provider=}" != "$composed"

open_dialog "box holding a string"
dialog_key Escape
e2e_check "Cancel closes the dialog" e2e_wait_until 5 no_dialog
e2e_check "Cancel leaves the box as it was" test "$(copied)" = "$composed"

# Text the connection refuses: cancelling the dialog must not cost the user that text.
e2e_click_control $E2E_CLEAR
read -r tx ty < <(e2e_control_center 50 1000 800 200)
e2e_click "$E2E_WINDOW" "$tx" "$ty"
xdotool type --delay 30 'Provider=x;"broken'
open_dialog "box holding no valid string"
dialog_key Escape
e2e_check "Cancel closes the dialog" e2e_wait_until 5 no_dialog
e2e_check "Cancel keeps the text that was no valid string" test "$(copied)" = 'Provider=x;"broken'

e2e_click_control $E2E_EXIT
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
e2e_check "exit status after Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
