#!/usr/bin/env bash
# The notification area's host crashes while the window is hidden in it: the window comes back
# minimised on the taskbar within 2 s, as where there is no notification area. A host that
# starts later holds the icon of the next minimise.
# Argument after the program: sni (the XFCE panel, a StatusNotifierItem host) or xembed (trayer).
source "$(dirname "$0")/lib.sh"

host=${2:?usage: $0 PATH_TO_CORVANTA sni|xembed}
case $host in
sni)
    start_host() { e2e_start_sni_host; }
    kill_host() { e2e_kill_sni_host; }
    icon_count() { e2e_sni_item_count; }
    e2e_start_desktop --sni
    ;;
xembed)
    start_host() { e2e_start_tray; }
    kill_host()
    {
        kill -KILL "$E2E_TRAYER_PID"
        wait "$E2E_TRAYER_PID" 2>/dev/null || true
        e2e_untrack "$E2E_TRAYER_PID"
    }
    icon_count() { e2e_tray_icon_count; }
    e2e_start_desktop
    ;;
*) e2e_fail "no host $host" ;;
esac
e2e_start_app

hidden() { ! e2e_viewable "$E2E_WINDOW" && ! e2e_in_client_list "$E2E_WINDOW"; }
iconic() { test "$(e2e_wm_state "$E2E_WINDOW")" = Iconic && e2e_in_client_list "$E2E_WINDOW"; }
one_icon() { test "$(icon_count)" -eq 1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

xdotool windowminimize "$E2E_WINDOW"
e2e_check "minimised into the notification area" e2e_wait_until 5 hidden
e2e_check "one icon" e2e_wait_until 5 one_icon

killed_at=$(now_ms)
kill_host
e2e_check "host gone: the window is back, minimised on the taskbar" e2e_wait_until 5 iconic
took=$(($(now_ms) - killed_at))
e2e_check "host gone: back within 2 s (took $took ms)" test "$took" -le 2000
e2e_check "the program runs on" e2e_app_running

start_host
xdotool windowactivate "$E2E_WINDOW"
e2e_check "brought back from the taskbar" e2e_wait_until 5 e2e_viewable "$E2E_WINDOW"
xdotool windowminimize "$E2E_WINDOW"
e2e_check "the new host: minimised into it" e2e_wait_until 5 hidden
e2e_check "the new host: one icon" e2e_wait_until 5 one_icon

e2e_stop "$E2E_APP_PID"
