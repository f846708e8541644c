#!/usr/bin/env bash
# The window springs back to its minimum size when dragged smaller, and its controls follow its
# size: maximised, the box spans the width less 220 twips and the buttons sit 840 twips above the
# bottom.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

# Outer (frame) size in twips.
outer_twips() { read -r _ _ w h < <(e2e_frame_geometry "$E2E_WINDOW"); echo $((w * 15)) $((h * 15)); }
at_least_minimum() { read -r w h < <(outer_twips); ((w >= 6120 && h >= 2250)); }

xdotool windowsize "$E2E_WINDOW" 200 60
e2e_check "dragged below the minimum, the window springs back" e2e_wait_until 5 at_least_minimum
sleep 0.3
read -r w h < <(outer_twips)
e2e_check "to exactly 6120 x 2250 twips (is $w x $h)" test "$w" -eq 6120 -a "$h" -eq 2250

maximised() { xprop -id "$E2E_WINDOW" _NET_WM_STATE | grep -q MAXIMIZED_HORZ; }
e2e_key "$E2E_WINDOW" alt+F10
e2e_check "maximised" e2e_wait_until 5 maximised
sleep 0.5
read -r W H < <(outer_twips)
read -r x y cw ch < <(e2e_geometry "$E2E_WINDOW")
shot=$(e2e_screenshot_window maximised "$E2E_WINDOW")
e2e_log "maximised: outer $W x $H twips, client ${cw}x${ch} px"

# The box's right edge: in the row through the middle of the box, the right-most pixel unlike
# the window's background (the client area's last column).
full=$(e2e_screenshot maximised-screen)
right=$(/usr/bin/convert "$full" -crop "${cw}x1+${x}+$((y + ch / 3))" +repage txt:- \
    | sed -n 's/^\([0-9]*\),0:.*#\([0-9A-Fa-f]*\).*/\1 \2/p' \
    | sort -rn | awk 'NR == 1 { bg = $2 } $2 != bg && !found { print $1; found = 1 }')
expected_right=$(((50 + W - 220) / 15 - 1))
e2e_log "box right edge at x=$right, expected about $expected_right"
e2e_check "the box spans the width less 220 twips" \
    test "${right:-0}" -ge $((expected_right - 2)) -a "${right:-0}" -le $((expected_right + 2))

# The buttons sit 840 twips above the outer bottom. Typing after a click where the buttons stood
# at first reaches the box, and the buttons answer at their new place.
e2e_click "$E2E_WINDOW" $((1530 / 15 + 48)) $((1410 / 15 + 12))
xdotool type --delay 30 'Provider=x'
copy() { e2e_click_button Copy; sleep 0.3; e2e_clipboard; }
e2e_check "the box reaches over the buttons' first place; Copy answers at the bottom" \
    test "$(copy)" = Provider=x
e2e_click_button Clear
e2e_check "Clear answers at the bottom" test -z "$(copy)"
