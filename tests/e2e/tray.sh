#!/usr/bin/env bash
# Minimised, the window lives as one notification-area icon: a left click brings it back, the
# right-click menu restores or exits. Pointer movement over the window itself never acts as a
# tray message.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app
e2e_check "no icon at start" test "$(e2e_tray_icon_count)" -eq 0

e2e_hidden() { ! e2e_viewable "$E2E_WINDOW" && ! e2e_in_client_list "$E2E_WINDOW"; }
e2e_shown() { e2e_viewable "$E2E_WINDOW" && e2e_in_client_list "$E2E_WINDOW"; }
e2e_one_icon() { test "$(e2e_tray_icon_count)" -eq 1; }
e2e_no_icon() { test "$(e2e_tray_icon_count)" -eq 0; }
e2e_active() { test "$(e2e_active_window)" -eq "$((E2E_WINDOW))"; }
menu_shown() { [[ -n $(e2e_popups) ]]; }
maximised() { xprop -id "$E2E_WINDOW" _NET_WM_STATE | grep -q MAXIMIZED_HORZ; }

minimise()
{
    xdotool windowminimize "$E2E_WINDOW"
    e2e_check "minimised: the window leaves the screen and the window list" \
        e2e_wait_until 5 e2e_hidden
    e2e_check "minimised: exactly one icon in the tray" e2e_wait_until 5 e2e_one_icon
    sleep 0.2
    e2e_check "still exactly one icon" e2e_one_icon
}

# icon_click BUTTON: a click in the middle of the icon.
icon_click()
{
    local icon
    icon=$(e2e_tray_icons | head -n1)
    read -r _ _ w h < <(e2e_geometry "$icon")
    e2e_click "$icon" $((w / 2)) $((h / 2)) "$1"
}

restored()
{
    e2e_check "$1: the window is back" e2e_wait_until 5 e2e_shown
    e2e_check "$1: the window is in the foreground" e2e_wait_until 5 e2e_active
    e2e_check "$1: the icon is gone" e2e_wait_until 5 e2e_no_icon
}

minimise
e2e_screenshot tray-icon >/dev/null
icon_click 1
restored "left click"

minimise
icon=$(e2e_tray_icons | head -n1)
read -r _ _ w h < <(e2e_geometry "$icon")
xdotool mousemove --window "$icon" $((w / 2)) $((h / 2)) sleep 0.05 click --repeat 2 --delay 80 1
restored "double click"

minimise
icon_click 3
e2e_check "right click pops up the menu" e2e_wait_until 5 menu_shown
e2e_screenshot tray-menu >/dev/null
xdotool key r
restored "Restore"

# A wide window: the pointer crossing x = 514 to 517 pixels is no tray message.
e2e_key "$E2E_WINDOW" alt+F10
e2e_check "maximised" e2e_wait_until 5 maximised
for x in 510 514 515 516 517 518 520; do
    xdotool mousemove --window "$E2E_WINDOW" "$x" 60
    sleep 0.1
done
sleep 0.3
e2e_check "pointer over the window: still maximised" maximised
e2e_check "pointer over the window: no menu" test -z "$(e2e_popups)"
e2e_check "pointer over the window: no icon" e2e_no_icon

minimise
icon_click 3
e2e_check "right click pops up the menu" e2e_wait_until 5 menu_shown
xdotool key x
e2e_wait_app_exit 10 || e2e_fail "the program is still running after the menu's Exit"
e2e_check "exit status after the menu's Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
e2e_check "the icon is gone with the program" e2e_wait_until 5 e2e_no_icon
