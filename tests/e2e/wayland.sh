#!/usr/bin/env bash
# Natively on Wayland (QT_QPA_PLATFORM=wayland, chosen by the user), under weston: the window
# at its size, Create, Copy and Clear with the Wayland clipboard, and the minimum size. Nothing
# here can be read from the X server: the window's size comes from the accessibility tree, its
# place on screen from a screenshot of weston's output.
source "$(dirname "$0")/lib.sh"

a11yprobe=${CORVANTA_A11YPROBE:?CORVANTA_A11YPROBE must name the corvanta_a11yprobe helper}

e2e_need_tools
e2e_start_xvfb
e2e_start_weston
e2e_start_accessibility

QT_QPA_PLATFORM=wayland "$E2E_APP" >"$E2E_WORK/app.log" 2>&1 &
E2E_APP_PID=$!
e2e_track "$E2E_APP_PID"

client_size() { "$a11yprobe" size "$E2E_APP_PID" Corvanta 2>/dev/null | head -n1; }
shown() { [[ -n $(client_size) ]]; }
e2e_check "the window is shown" e2e_wait_until 10 shown

# The pointer out of the way: weston draws it into the screenshots.
xdotool mousemove 0 0
ground="#$E2E_WESTON_BACKGROUND"
# on_screen: "x y width height" of the window with Qt's own frame in weston's output: everything
# that is not the plain ground (the pointer's corner aside).
on_screen()
{
    local shot
    shot=$(e2e_screenshot "${1:-screen}")
    /usr/bin/convert "$shot" -fill "$ground" -draw 'rectangle 0,0 24,24' -fuzz 2% -trim \
        -format '%w %h %X %Y' info: | tr -d '+' | awk '{ print $3, $4, $1, $2 }'
}
# settled: the window's place and size hold still between two looks.
settled()
{
    local first second
    first=$(on_screen) && sleep 0.1 && second=$(on_screen) && [[ $first == "$second" ]]
}
e2e_wait_until 5 settled || e2e_fail "the window does not settle on screen"
read -r width height < <(client_size)
read -r fx fy fw fh < <(on_screen wayland-window)
frame_w=$((fw - width))
frame_h=$((fh - height))
e2e_log "client area ${width}x${height}, on screen ${fw}x${fh} at $fx,$fy"
# 6015 x 1845 twips of client area at 15 twips per pixel, unless the outer minimum of
# 6120 x 2250 twips (408 x 150 pixels) needs more with Qt's narrower frame.
want_w=$((401 > 408 - frame_w ? 401 : 408 - frame_w))
want_h=$((123 > 150 - frame_h ? 123 : 150 - frame_h))
e2e_check "client area is ${want_w} x ${want_h} pixels (was ${width} x ${height})" \
    test "$width" -eq "$want_w" -a "$height" -eq "$want_h"

if [[ -n ${CORVANTA_SCREENSHOT_DIR:-} ]]; then
    mkdir -p "$CORVANTA_SCREENSHOT_DIR"
    /usr/bin/convert "$E2E_ARTIFACTS/wayland-window.png" -crop "${fw}x${fh}+${fx}+${fy}" +repage \
        -define png:exclude-chunks=date,time \
        "$CORVANTA_SCREENSHOT_DIR/wayland-window.png"
fi

# Qt's frame: as wide on the left, right and bottom, the title bar on top.
border=$((frame_w / 2))
cx=$((fx + border))
cy=$((fy + frame_h - border))
# click_control LEFT TOP WIDTH HEIGHT (twips): a click in the middle of a control.
click_control()
{
    local x y
    read -r x y < <(e2e_control_center "$@")
    xdotool mousemove $((cx + x)) $((cy + y)) sleep 0.05 click 1 sleep 0.05 mousemove 0 0
}
wl_clipboard() { timeout 5 wl-paste --no-newline 2>/dev/null; }
clipboard_is() { [[ $(wl_clipboard) == "$1" ]]; }

text='Provider=SQLOLEDB.1;Data Source=db01'
click_control 50 1000 800 200
xdotool type --delay 30 "$text"
click_control $E2E_COPY
e2e_check "Copy puts the text on the Wayland clipboard" e2e_wait_until 5 clipboard_is "$text"

click_control $E2E_CLEAR
click_control $E2E_COPY
e2e_check "Clear empties the box (copied text is empty)" e2e_wait_until 5 clipboard_is ""

dialog_shown() { "$a11yprobe" window "$E2E_APP_PID" 'Data Link Properties' >/dev/null 2>&1; }
click_control $E2E_CREATE
e2e_check "Create opens the Data Link Properties dialog" e2e_wait_until 10 dialog_shown
xdotool key Escape
e2e_check "Escape closes it" e2e_wait_until 5 bash -c '! "$0" window "$1" "Data Link Properties"' \
    "$a11yprobe" "$E2E_APP_PID"

# Dragged by the frame's bottom right corner towards the top left: weston resizes, the window
# springs back to its minimum.
read -r fx fy fw fh < <(on_screen)
xdotool mousemove $((fx + fw - 1)) $((fy + fh - 1)) sleep 0.1 mousedown 1 sleep 0.1 \
    mousemove $((fx + fw - 40)) $((fy + fh - 20)) sleep 0.1 mousemove $((fx + 60)) $((fy + 40)) \
    sleep 0.2 mouseup 1 sleep 0.1 mousemove 0 0
# The layout's minimum is the outer size, Qt's frame included.
at_minimum()
{
    read -r width height < <(client_size)
    ((width + frame_w == 408 && height + frame_h == 150))
}
e2e_check "dragged below the minimum, the window springs back to it" e2e_wait_until 5 at_minimum
e2e_wait_until 5 settled || e2e_fail "the window does not settle on screen after the drag"
e2e_check "and stays at it" at_minimum

click_control 4520 $((height * E2E_TWIPS_PER_PIXEL - 435)) 1455 375
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
e2e_check "exit status after Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0

# The platform left to the program on a Wayland session with an X server beside it (XWayland on a
# real desktop): it runs as an X client, where minimising into the notification area works.
# (The session type as such a session sets it: Qt would take Wayland on it by itself.)
unset QT_QPA_PLATFORM
XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE "$E2E_APP" >"$E2E_WORK/app-default.log" 2>&1 &
E2E_APP_PID=$!
e2e_track "$E2E_APP_PID"
x_window() { xdotool search --onlyvisible --pid "$E2E_APP_PID" --name '^Corvanta$'; }
e2e_check "unchosen platform on a Wayland session: an X window" e2e_wait_until 10 x_window
