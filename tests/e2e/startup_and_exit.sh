#!/usr/bin/env bash
# The window as it first appears, and "Exit" ending the program with status 0.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

# The README's picture, taken before any check so that it shows the window whatever they find.
window_shot=$(e2e_screenshot_window main-window "$E2E_WINDOW")
if [[ -n ${CORVANTA_SCREENSHOT_DIR:-} ]]; then
    mkdir -p "$CORVANTA_SCREENSHOT_DIR"
    cp "$window_shot" "$CORVANTA_SCREENSHOT_DIR/main-window.png"
fi

read -r x y width height < <(e2e_geometry "$E2E_WINDOW")
e2e_log "client area ${width}x${height} at ${x},${y}"
# 6015 x 1845 twips at 15 twips per pixel.
e2e_check "client area is 401 x 123 pixels" test "$width" -eq 401 -a "$height" -eq 123
e2e_check "the window is in the window list" e2e_in_client_list "$E2E_WINDOW"
read -r fx fy fw fh < <(e2e_frame_geometry "$E2E_WINDOW")
read -r sw sh < <(xdotool getdisplaygeometry)
# Centred by its outer frame, not by its client area: off by no more than the halving rounds.
off_x=$((2 * fx + fw - sw))
off_y=$((2 * fy + fh - sh))
e2e_check "the window's frame is centred on the screen (twice off by $off_x, $off_y)" \
    test "${off_x#-}" -le 1 -a "${off_y#-}" -le 1

shot=$(e2e_screenshot main-window-screen)
for control in CREATE COPY CLEAR EXIT; do
    geometry=E2E_$control
    read -r cx cy cw ch < <(e2e_control_rect ${!geometry})
    contrast=$(e2e_region_contrast "$shot" $((x + cx)) $((y + cy)) "$cw" "$ch")
    e2e_check "$control button shows (contrast $contrast)" awk -v s="$contrast" 'BEGIN { exit !(s > 0.5) }'
done
# The strip between the text box and the buttons is bare background: the check above would not
# tell a button from anything else if this were busy too.
read -r bx by bw bh < <(e2e_control_rect 50 1345 5900 60)
contrast=$(e2e_region_contrast "$shot" $((x + bx)) $((y + by)) "$bw" "$bh")
e2e_check "background strip is plain (contrast $contrast)" awk -v s="$contrast" 'BEGIN { exit !(s < 0.05) }'

e2e_click_control $E2E_EXIT
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
e2e_check "exit status after Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
