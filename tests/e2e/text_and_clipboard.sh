#!/usr/bin/env bash
# Typing and pasting into the box, the banner that shows exactly while it is empty, "Clear", and
# "Copy to Clipboard" handing over the text byte for byte in place of whatever was there.
source "$(dirname "$0")/lib.sh"

e2e_start_desktop
e2e_start_app

# The banner as it looks at start; shown, it covers whatever the box holds and looks the same.
read -r bx by bw bh < <(e2e_control_rect $E2E_BANNER)
banner_crop()
{
    local shot x y
    shot=$(e2e_screenshot "$1")
    read -r x y _ _ < <(e2e_geometry "$E2E_WINDOW")
    e2e_crop "$shot" $((x + bx)) $((y + by)) "$bw" "$bh" "$E2E_WORK/$1-banner.png"
    echo "$E2E_WORK/$1-banner.png"
}
banner_shown() { awk -v d="$(e2e_difference "$(banner_crop "$1")" "$banner")" 'BEGIN { exit !(d < 0.01) }'; }
banner_hidden() { awk -v d="$(e2e_difference "$(banner_crop "$1")" "$banner")" 'BEGIN { exit !(d > 0.5) }'; }

# A point in the box that the banner does not cover.
read -r tx ty < <(e2e_control_center 50 1000 800 200)
focus_box() { e2e_click "$E2E_WINDOW" "$tx" "$ty"; }

# clipboard_offer FILE [XCLIP OPTION...]: owns the clipboard with the file's bytes until told to
# stop. (-quiet keeps xclip in the foreground, so $! is xclip itself.)
clipboard_offer()
{
    local file=$1
    shift
    xclip -quiet -selection clipboard "$@" -i "$file" >/dev/null 2>&1 &
    E2E_XCLIP_PID=$!
    e2e_track "$E2E_XCLIP_PID"
    e2e_wait_until 5 bash -c 'xclip -o -selection clipboard -t TARGETS | grep -q .' \
        || e2e_fail "xclip did not take the clipboard"
}
clipboard_release()
{
    e2e_stop "$E2E_XCLIP_PID"
    e2e_untrack "$E2E_XCLIP_PID"
}

banner=$(banner_crop banner-shown)
e2e_check "banner shown at start" test -s "$banner"

focus_box
xdotool type --delay 30 'Provider=x'
e2e_check "typing hides the banner" e2e_wait_until 3 banner_hidden banner-hidden
xdotool key --delay 30 ctrl+a BackSpace
e2e_check "deleting the text shows it again" e2e_wait_until 3 banner_shown banner-after-delete

focus_box
xdotool type --delay 30 'Data Source=db01'
e2e_wait_until 3 banner_hidden typed || e2e_fail "typing did not hide the banner"
e2e_click_control $E2E_CLEAR
e2e_check "Clear shows the banner" e2e_wait_until 3 banner_shown cleared
e2e_click_control $E2E_COPY
sleep 0.3
e2e_clipboard >"$E2E_WORK/after-clear" || true
e2e_check "Clear empties the box (copied text is empty)" test ! -s "$E2E_WORK/after-clear"

# Spaces at both ends, line breaks, a tab and a trailing line break: all must survive.
printf '  Provider=SQLOLEDB.1;Data Source=db01 \n\tInitial Catalog=Sales;\n\nUser ID=sa  \n' \
    >"$E2E_WORK/expected"
clipboard_offer "$E2E_WORK/expected"
focus_box
xdotool key ctrl+v
e2e_wait_until 3 banner_hidden pasted || e2e_fail "pasting did not reach the box"
clipboard_release

# A picture on the clipboard beforehand: Copy must leave the text alone in its place.
/usr/bin/convert -size 8x8 xc:red "$E2E_WORK/picture.png"
clipboard_offer "$E2E_WORK/picture.png" -t image/png
e2e_check "the clipboard holds a picture" \
    bash -c 'xclip -o -selection clipboard -t TARGETS | grep -qx image/png'
e2e_click_control $E2E_COPY
no_picture() { ! xclip -o -selection clipboard -t TARGETS | grep -qx image/png; }
e2e_check "Copy takes the clipboard over" e2e_wait_until 3 no_picture
clipboard_release
e2e_clipboard >"$E2E_WORK/copied"
e2e_check "the clipboard holds the text byte for byte" cmp "$E2E_WORK/expected" "$E2E_WORK/copied"
e2e_check "the picture is gone" no_picture

# A 5 MB string of pairs with no space in it (nowhere to break a wrapped line) comes back from
# Copy byte for byte, and the window answers again within seconds.
e2e_click_control $E2E_CLEAR
awk 'BEGIN { for (i = 0; i < 5 * 1024 * 1024 / 40; i++) printf "Provider=SQLOLEDB.1;DataSource=db%06d;", i }' \
    >"$E2E_WORK/large"
clipboard_offer "$E2E_WORK/large"
focus_box
xdotool key ctrl+v
e2e_check "the large paste reaches the box" e2e_wait_until 20 banner_hidden large-pasted
e2e_click_control $E2E_COPY
# xclip gives the clipboard up once Copy takes it over.
e2e_check "Copy answers after the large paste" \
    e2e_wait_until 30 bash -c '! kill -0 "$0" 2>/dev/null' "$E2E_XCLIP_PID"
e2e_untrack "$E2E_XCLIP_PID"
e2e_clipboard >"$E2E_WORK/large-copied"
e2e_check "the clipboard holds the large text byte for byte" cmp "$E2E_WORK/large" "$E2E_WORK/large-copied"
