#!/usr/bin/env bash
# With a StatusNotifierItem notification area (KDE Plasma, XFCE, LXQt, Cinnamon), minimising
# registers one item with the watcher; what the host sends on the user's clicks restores the
# window or pops up its menu, and the item goes with the window's return and with the program.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop --sni
e2e_start_app
e2e_check "no item at start" test "$(e2e_sni_item_count)" -eq 0

e2e_hidden() { ! e2e_viewable "$E2E_WINDOW" && ! e2e_in_client_list "$E2E_WINDOW"; }
e2e_shown() { e2e_viewable "$E2E_WINDOW" && e2e_in_client_list "$E2E_WINDOW"; }
one_item() { test "$(e2e_sni_item_count)" -eq 1; }
no_item() { test "$(e2e_sni_item_count)" -eq 0; }
e2e_active() { test "$(e2e_active_window)" -eq "$((E2E_WINDOW))"; }
menu_shown() { [[ -n $(e2e_popups) ]]; }

minimise()
{
    xdotool windowminimize "$E2E_WINDOW"
    e2e_check "minimised: the window leaves the screen and the window list" \
        e2e_wait_until 5 e2e_hidden
    e2e_check "minimised: one item with the watcher" e2e_wait_until 5 one_item
    sleep 0.2
    e2e_check "still exactly one item" one_item
    item=$(e2e_sni_items)
}

restored()
{
    e2e_check "$1: the window is back" e2e_wait_until 5 e2e_shown
    e2e_check "$1: the window is in the foreground" e2e_wait_until 5 e2e_active
    e2e_check "$1: the item is gone" e2e_wait_until 5 no_item
}

minimise
e2e_log "item $item"
title=$(e2e_sni_item_get "$item" Title)
e2e_check "the item's title is Corvanta (was $title)" test "$title" = "(<'Corvanta'>,)"
tooltip=$(e2e_sni_item_get "$item" ToolTip)
e2e_check "the item's tooltip text is Corvanta (was $tooltip)" grep -q "'Corvanta', ''" <<<"$tooltip"
e2e_sni_icon_argb "$item" >"$E2E_WORK/item-icon"
/usr/bin/convert "$(dirname "$0")/../../app/resources/corvanta-16.xpm" -depth 8 rgba:- \
    | od -An -v -tx1 | tr -s ' ' '\n' | sed '/^$/d' >"$E2E_WORK/window-icon"
e2e_check "the item's picture is the window's icon" \
    e2e_same_picture_argb_rgba "$E2E_WORK/item-icon" "$E2E_WORK/window-icon"

# The README's picture: the icon in the XFCE panel's notification area, left of its clock at the
# screen's top right (the clock stays out: the picture would change with every run).
shot=$(e2e_screenshot tray-sni-screen)
e2e_crop "$shot" 864 0 52 27 "$E2E_ARTIFACTS/tray-sni.png"
if [[ -n ${CORVANTA_SCREENSHOT_DIR:-} ]]; then
    mkdir -p "$CORVANTA_SCREENSHOT_DIR"
    # Without the time chunks the file changes only when the picture does.
    /usr/bin/convert "$E2E_ARTIFACTS/tray-sni.png" -scale 300% \
        -define png:exclude-chunks=date,time "$CORVANTA_SCREENSHOT_DIR/tray-sni.png"
fi

# A middle click is no request of this program's: nothing may follow it.
e2e_sni_item_call "$item" SecondaryActivate 0 0
sleep 0.5
e2e_check "middle click: the window stays hidden" e2e_hidden
e2e_check "middle click: no menu" test -z "$(e2e_popups)"
e2e_check "middle click: the item stays" one_item

e2e_sni_item_call "$item" Activate 0 0
restored "activate"

minimise
e2e_sni_item_call "$item" ContextMenu 100 100
e2e_check "context request pops up the menu" e2e_wait_until 5 menu_shown
xdotool key r
restored "the menu's Restore"

minimise
e2e_sni_item_call "$item" ContextMenu 100 100
e2e_check "context request pops up the menu" e2e_wait_until 5 menu_shown
xdotool key x
e2e_wait_app_exit 10 || e2e_fail "the program is still running after the menu's Exit"
e2e_check "exit status after the menu's Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
e2e_check "the item is gone with the program" e2e_wait_until 5 no_item
