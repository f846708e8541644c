#!/usr/bin/env bash
# Minimised while the Data Link dialog is open, the window goes into the notification area with
# its dialog; the icon brings both back, the dialog on top and taking the keys, by a click and by
# the menu's Restore. First argument: xembed (trayer) or sni (the XFCE panel).
source "$(dirname "$0")/lib.sh"

host=${2:?usage: $0 PATH_TO_CORVANTA xembed|sni}
if [[ $host == sni ]]; then
    e2e_start_desktop --sni
else
    e2e_start_desktop
fi
e2e_start_app

dialog() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name '^Data Link Properties$'; }
no_dialog() { ! dialog; }
e2e_hidden() { ! e2e_viewable "$E2E_WINDOW" && ! e2e_in_client_list "$E2E_WINDOW"; }
e2e_shown() { e2e_viewable "$E2E_WINDOW" && e2e_in_client_list "$E2E_WINDOW"; }
dialog_shown() { [[ $(e2e_wm_state "$DIALOG") == Normal ]] && e2e_viewable "$DIALOG"; }
dialog_active() { test "$(e2e_active_window)" -eq "$((DIALOG))"; }
menu_shown() { [[ -n $(e2e_popups) ]]; }

if [[ $host == sni ]]; then
    one_icon() { test "$(e2e_sni_item_count)" -eq 1; }
    no_icon() { test "$(e2e_sni_item_count)" -eq 0; }
    # What the panel sends on a left click and on a right click.
    icon_click() { e2e_sni_item_call "$(e2e_sni_items)" Activate 0 0; }
    icon_menu() { e2e_sni_item_call "$(e2e_sni_items)" ContextMenu 100 100; }
else
    one_icon() { test "$(e2e_tray_icon_count)" -eq 1; }
    no_icon() { test "$(e2e_tray_icon_count)" -eq 0; }
    icon_press()
    {
        local icon w h
        icon=$(e2e_tray_icons | head -n1)
        read -r _ _ w h < <(e2e_geometry "$icon")
        e2e_click "$icon" $((w / 2)) $((h / 2)) "$1"
    }
    icon_click() { icon_press 1; }
    icon_menu() { icon_press 3; }
fi

minimise_with_dialog()
{
    xdotool windowminimize "$E2E_WINDOW"
    e2e_check "$1: the window goes into the notification area" e2e_wait_until 5 e2e_hidden
    e2e_check "$1: one icon" e2e_wait_until 5 one_icon
    e2e_check "$1: the dialog is out of sight with it" e2e_wait_until 5 no_dialog
    # A person's next click comes after the window manager and the program are done with the
    # minimise; a menu asked for within milliseconds of it now and then never opened.
    sleep 0.3
}

back_with_dialog()
{
    e2e_check "$1: the window is back" e2e_wait_until 5 e2e_shown
    e2e_check "$1: the dialog is back" e2e_wait_until 5 dialog_shown
    e2e_check "$1: the dialog is in the foreground" e2e_wait_until 5 dialog_active
    e2e_check "$1: the icon is gone" e2e_wait_until 5 no_icon
}

e2e_click_button Create
e2e_check "Create opens the dialog" e2e_wait_until 10 dialog
DIALOG=$(dialog | head -n1)
e2e_check "the dialog has the focus" e2e_wait_until 5 dialog_active

minimise_with_dialog "minimised"
icon_click
back_with_dialog "a click on the icon"

minimise_with_dialog "minimised again"
icon_menu
e2e_check "the icon's menu comes up" e2e_wait_until 5 menu_shown
xdotool key r
back_with_dialog "the menu's Restore"
e2e_screenshot back-with-dialog >/dev/null

# The dialog still takes the keys: Enter on the provider list goes on to the Connection tab, and
# Enter there is OK, which writes the new string into the box.
xdotool key Return
sleep 0.3
xdotool key Return
e2e_check "OK closes the dialog" e2e_wait_until 5 no_dialog
e2e_click_button Copy
e2e_check "the box holds the string the dialog made" \
    e2e_wait_until 5 bash -c 'xclip -o -selection clipboard | grep -q "^Provider="'

# Without the dialog the window is its own again: the icon brings it back in front.
minimise_with_dialog_gone() { xdotool windowminimize "$E2E_WINDOW" && e2e_wait_until 5 one_icon; }
e2e_check "minimised without the dialog" minimise_with_dialog_gone
icon_click
e2e_check "the window is back after the dialog closed" e2e_wait_until 5 e2e_shown
e2e_check "and in the foreground" \
    e2e_wait_until 5 bash -c 'test "$(xprop -root _NET_ACTIVE_WINDOW | sed -n "s/.*# *//p")" = "$(printf 0x%x "$0")"' "$E2E_WINDOW"
