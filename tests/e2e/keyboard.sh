#!/usr/bin/env bash
# The window from the keyboard, as on any desktop: Enter and the keypad's Enter press the focused
# button, and a click on the banner leaves the caret in the text box beneath it.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

dialog() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name '^Data Link Properties$'; }
no_dialog() { ! dialog; }
copied_is() { [[ $(e2e_clipboard 2>/dev/null) == "$1" ]]; }

# The banner covers the middle of the empty box; typing after a click on it reaches the box.
read -r bx by < <(e2e_control_center $E2E_BANNER)
e2e_click "$E2E_WINDOW" "$bx" "$by"
xdotool type --delay 30 'Provider=kb'

# From the box, Tab goes round to Create, then Copy to Clipboard.
xdotool key --delay 50 Tab Tab Return
e2e_check "a click on the banner put the caret in the box, Enter pressed Copy" \
    e2e_wait_until 3 copied_is 'Provider=kb'

xdotool key --delay 50 Tab KP_Enter
xdotool key --delay 50 shift+Tab Return
e2e_check "keypad Enter pressed Clear (Copy then gives an empty text)" e2e_wait_until 3 copied_is ''

xdotool key --delay 50 shift+Tab Return
e2e_check "Enter on Create opens the dialog" e2e_wait_until 10 dialog
xdotool key Escape
e2e_check "Escape closes it" e2e_wait_until 5 no_dialog

# Back on Create; Tab three times reaches Exit.
xdotool key --delay 50 Tab Tab Tab Return
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Enter on Exit"
e2e_check "Enter on Exit ends the program with status 0 (was $E2E_APP_STATUS)" \
    test "$E2E_APP_STATUS" -eq 0
