# Shared by every end-to-end scenario: a private X server with a window manager and a
# notification-area host, the program under test, and the helpers that drive and observe it.
#
# A scenario sources this file first thing, with the program's path as its first argument:
#     source "$(dirname "$0")/lib.sh"
#     e2e_start_desktop
#     e2e_start_app
# Everything it starts is ended from the EXIT trap, newest first, by PID. Every wait is bounded.
#
# Environment:
#     CORVANTA_XPROBE         the corvanta_xprobe helper (selection owners)
#     CORVANTA_E2E_ARTIFACTS  where screenshots and logs go (default: a temporary folder)

set -euo pipefail

# A session bus of our own: with the developer's bus and a StatusNotifierWatcher on it, Qt would
# put its tray icon on D-Bus and never into the XEmbed tray host the scenarios look at.
if [[ -z ${CORVANTA_E2E_PRIVATE_BUS:-} ]]; then
    export CORVANTA_E2E_PRIVATE_BUS=1
    exec dbus-run-session -- bash "$0" "$@"
fi

E2E_APP=${1:?usage: $0 PATH_TO_CORVANTA}
E2E_XPROBE=${CORVANTA_XPROBE:?CORVANTA_XPROBE must name the corvanta_xprobe helper}
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/corvanta-e2e.XXXXXX")
E2E_ARTIFACTS=${CORVANTA_E2E_ARTIFACTS:-$E2E_WORK/artifacts}
mkdir -p "$E2E_ARTIFACTS"
export XDG_RUNTIME_DIR=$E2E_WORK/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

# Twips per pixel at the 96 DPI the server is started with.
E2E_TWIPS_PER_PIXEL=15

E2E_PIDS=()
E2E_APP_PID=
E2E_APP_CLASS=
E2E_WINDOW=

e2e_log() { printf '[e2e %s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

e2e_fail()
{
    e2e_log "FAIL: $*"
    e2e_screenshot "failure" >&2 || true
    exit 1
}

# e2e_check DESCRIPTION COMMAND...: runs the command, fails the scenario when it fails.
e2e_check()
{
    local description=$1
    shift
    if "$@"; then
        e2e_log "ok: $description"
    else
        e2e_fail "$description"
    fi
}

e2e_track() { E2E_PIDS+=("$1"); }

e2e_untrack()
{
    local kept=() pid
    for pid in "${E2E_PIDS[@]}"; do
        [[ $pid == "$1" ]] || kept+=("$pid")
    done
    E2E_PIDS=("${kept[@]}")
}

# e2e_stop PID: TERM, then KILL if it has not gone within two seconds.
e2e_stop()
{
    local pid=$1 i
    kill -TERM "$pid" 2>/dev/null || return 0
    for ((i = 0; i < 20; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

e2e_cleanup()
{
    local status=$? i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e_stop "${E2E_PIDS[i]}"
    done
    if [[ $status -ne 0 && -s $E2E_WORK/app.log ]]; then
        e2e_log "program output:"
        cat "$E2E_WORK/app.log" >&2
    fi
    rm -rf "$E2E_WORK"
    exit "$status"
}
trap e2e_cleanup EXIT
# A scenario's command that fails outside e2e_check ends it too (set -e); say where.
trap 'e2e_log "FAIL: line $LINENO of $(basename "$0"): $BASH_COMMAND"' ERR

# e2e_wait_until SECONDS COMMAND...: polls every 50 ms until the command succeeds.
e2e_wait_until()
{
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

e2e_need_tools()
{
    local tool missing=()
    for tool in Xvfb jwm trayer xdotool xprop xwininfo xclip /usr/bin/import /usr/bin/convert \
        /usr/bin/compare /usr/bin/identify dbus-run-session; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [[ ${#missing[@]} -eq 0 ]] || e2e_fail "missing tools: ${missing[*]} (scripts/test.sh installs them)"
}

# --- the desktop -----------------------------------------------------------------------------

e2e_start_xvfb()
{
    local displayfile=$E2E_WORK/display
    # -displayfd lets the server pick a free display, so parallel runs never collide; -noreset
    # keeps it from resetting when its last client leaves, which breaks the next connection.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset \
        3>"$displayfile" >"$E2E_WORK/xvfb.log" 2>&1 &
    e2e_track $!
    e2e_wait_until 10 test -s "$displayfile" || e2e_fail "Xvfb did not report a display"
    export DISPLAY=:$(head -n1 "$displayfile")
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME
    e2e_wait_until 10 xprop -root || e2e_fail "Xvfb on $DISPLAY does not answer"
    e2e_log "X server on $DISPLAY"
}

e2e_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

e2e_start_wm()
{
    # No panel: it would take screen space, and the window list the scenarios read is
    # _NET_CLIENT_LIST. The frame is the one the main window's geometry is drawn for: a 19-pixel
    # title bar and a 4-pixel border, 27 pixels (405 twips) of height in all. jwm's title height
    # counts the top border, hence 23.
    cat >"$E2E_WORK/jwmrc" <<'EOF'
<?xml version="1.0"?>
<JWM>
    <Desktops width="1" height="1"/>
    <FocusModel>click</FocusModel>
    <WindowStyle decorations="flat">
        <Font>DejaVu Sans-9</Font>
        <Width>4</Width>
        <Height>23</Height>
        <Corner>0</Corner>
        <Foreground>#000000</Foreground>
        <Background>#C0C0C0</Background>
        <Active>
            <Foreground>#FFFFFF</Foreground>
            <Background>#000080</Background>
        </Active>
    </WindowStyle>
    <Key mask="A" key="F4">close</Key>
    <Key mask="A" key="F10">maximize</Key>
</JWM>
EOF
    jwm -f "$E2E_WORK/jwmrc" >"$E2E_WORK/jwm.log" 2>&1 &
    e2e_track $!
    e2e_wait_until 10 e2e_wm_ready || e2e_fail "jwm did not become ready"
}

e2e_tray_owner() { "$E2E_XPROBE" selection-owner _NET_SYSTEM_TRAY_S0; }

e2e_start_tray()
{
    trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
        --transparent false >"$E2E_WORK/trayer.log" 2>&1 &
    e2e_track $!
    E2E_TRAYER_PID=$!
    e2e_wait_until 10 e2e_tray_owner || e2e_fail "trayer did not take the notification area"
}

# Stops the tray host, for scenarios about a desktop without a notification area.
e2e_stop_tray()
{
    e2e_stop "$E2E_TRAYER_PID"
    e2e_untrack "$E2E_TRAYER_PID"
    e2e_wait_until 5 bash -c '! "$0" selection-owner _NET_SYSTEM_TRAY_S0' "$E2E_XPROBE" \
        || e2e_fail "the notification area outlived trayer"
}

# --- a StatusNotifierItem host -----------------------------------------------------------------
# The XFCE panel: its notification area is a StatusNotifierWatcher and host on the session bus,
# as on KDE Plasma, LXQt and Cinnamon. The program under test finds it there and puts its icon on
# D-Bus instead of into an XEmbed tray. The scenarios play the host's part in the conversation
# with gdbus, against the real watcher.

E2E_SNI_WATCHER=org.kde.StatusNotifierWatcher

# e2e_sni_watcher_get PROPERTY: the watcher's property as gdbus prints it.
e2e_sni_watcher_get()
{
    timeout 5 gdbus call --session --dest "$E2E_SNI_WATCHER" --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get "$E2E_SNI_WATCHER" "$1"
}

e2e_sni_host_ready() { e2e_sni_watcher_get IsStatusNotifierHostRegistered | grep -q true; }

# e2e_sni_items: the registered items, one a line, as "service/path".
e2e_sni_items()
{
    e2e_sni_watcher_get RegisteredStatusNotifierItems | { grep -o "'[^']*'" || true; } | tr -d "'"
}

e2e_sni_item_count() { e2e_sni_items | grep -c . || true; }

# e2e_sni_item_get ITEM PROPERTY: a property of an item given as "service/path".
e2e_sni_item_get()
{
    timeout 5 gdbus call --session --dest "${1%%/*}" --object-path "/${1#*/}" \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$2"
}

# e2e_sni_item_call ITEM METHOD ARGUMENT...: what the host sends on a click.
e2e_sni_item_call()
{
    local item=$1 method=$2
    shift 2
    timeout 5 gdbus call --session --dest "${item%%/*}" --object-path "/${item#*/}" \
        --method "org.kde.StatusNotifierItem.$method" "$@" >/dev/null
}

# e2e_sni_icon_argb ITEM: the item's 16 x 16 picture from IconPixmap, one byte a line in hex,
# four to a pixel (alpha, red, green, blue).
e2e_sni_icon_argb()
{
    e2e_sni_item_get "$1" IconPixmap | sed -n 's/.*(16, 16, \[\([^]]*\)\].*/\1/p' \
        | tr -d ' ' | tr ',' '\n' | sed 's/^byte//; s/^0x//'
}

# e2e_same_picture_argb_rgba ARGB RGBA: whether two byte lists (files, one hex byte a line) hold
# the same picture; fully transparent pixels match whatever their colour.
e2e_same_picture_argb_rgba()
{
    awk 'NR == FNR { argb[NR - 1] = $1; n = NR; next }
        { rgba[FNR - 1] = $1; m = FNR }
        END {
            if (n != m || n == 0) exit 1
            for (p = 0; p < n; p += 4) {
                a = argb[p]; r = argb[p + 1]; g = argb[p + 2]; b = argb[p + 3]
                if (a == "00" && rgba[p + 3] == "00") continue
                if (a != rgba[p + 3] || r != rgba[p] || g != rgba[p + 1] || b != rgba[p + 2]) exit 1
            }
        }' "$1" "$2"
}

e2e_start_sni_host()
{
    local home=$E2E_WORK/home tool
    for tool in xfce4-panel gdbus; do
        command -v "$tool" >/dev/null || e2e_fail "missing tool: $tool (scripts/test.sh installs it)"
    done
    mkdir -p "$home"
    # The panel's settings daemon is started by the bus, with the bus's environment: without
    # these it would read and write the real home folder's settings.
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.UpdateActivationEnvironment \
        "dict:string:string:HOME,$home,XDG_CONFIG_HOME,$home/.config,XDG_CACHE_HOME,$home/.cache,XDG_RUNTIME_DIR,$XDG_RUNTIME_DIR" \
        >/dev/null
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
        xfce4-panel --disable-wm-check --sm-client-disable >>"$E2E_WORK/panel.log" 2>&1 &
    E2E_SNI_HOST_PID=$!
    e2e_track "$E2E_SNI_HOST_PID"
    e2e_wait_until 20 e2e_sni_host_ready || e2e_fail "xfce4-panel did not become a StatusNotifierItem host"
    e2e_log "StatusNotifierItem host: xfce4-panel, process $E2E_SNI_HOST_PID"
}

# e2e_kill_sni_host: the host crashes; its watcher leaves the bus with it.
e2e_kill_sni_host()
{
    kill -KILL "$E2E_SNI_HOST_PID"
    wait "$E2E_SNI_HOST_PID" 2>/dev/null || true
    e2e_untrack "$E2E_SNI_HOST_PID"
    e2e_wait_until 5 bash -c '! gdbus call --session --dest org.freedesktop.DBus \
        --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.GetNameOwner "$0" \
        >/dev/null 2>&1' "$E2E_SNI_WATCHER" || e2e_fail "the watcher outlived xfce4-panel"
}

# e2e_start_desktop [--no-tray | --sni]
e2e_start_desktop()
{
    e2e_need_tools
    e2e_start_xvfb
    e2e_start_wm
    case ${1:-} in
    --no-tray) ;;
    --sni) e2e_start_sni_host ;;
    *) e2e_start_tray ;;
    esac
}

# --- a Wayland compositor --------------------------------------------------------------------
# weston, nested in the X server: its X11 back end gives it a seat (keyboard, pointer and a
# clipboard) fed by xdotool, and its output is the X screen, so screenshots show it. (The headless
# back end has no seat; sway refuses to run as root.)

E2E_WESTON_BACKGROUND=305070

e2e_start_weston()
{
    local tool width height
    for tool in weston wl-copy wl-paste; do
        command -v "$tool" >/dev/null || e2e_fail "missing tool: $tool (scripts/test.sh installs it)"
    done
    # No panel, no animations, no screen lock: the screen shows the windows on a plain ground.
    # No on-screen keyboard either: it would come up over the windows at a click into a text box.
    printf '%s\n' '[core]' 'idle-time=0' '[input-method]' 'path=' '[shell]' 'panel-position=none' \
        "background-color=0xff$E2E_WESTON_BACKGROUND" 'locking=false' 'animation=none' \
        'startup-animation=none' 'close-animation=none' 'focus-animation=none' \
        >"$E2E_WORK/weston.ini"
    read -r width height < <(xdotool getdisplaygeometry)
    weston --config="$E2E_WORK/weston.ini" --backend=x11-backend.so --socket=wayland-e2e \
        --width="$width" --height="$height" --idle-time=0 >"$E2E_WORK/weston.log" 2>&1 &
    e2e_track $!
    export WAYLAND_DISPLAY=wayland-e2e
    # The shell client is the last thing weston starts; before it maps nothing on screen.
    e2e_wait_until 10 grep -q "launching '.*weston-desktop-shell'" "$E2E_WORK/weston.log" \
        && e2e_wait_until 10 test -S "$XDG_RUNTIME_DIR/wayland-e2e" \
        || e2e_fail "weston did not start"
    e2e_log "weston on $WAYLAND_DISPLAY, nested in $DISPLAY"
}

# e2e_start_accessibility: an accessibility bus that says a screen reader is on, so that Qt
# exports its accessibility tree (which corvanta_a11yprobe reads); a program asks at start-up.
e2e_start_accessibility()
{
    local pid
    # Activated services get the bus's environment, not ours: without our runtime folder the
    # accessibility bus would put its socket in the home folder, shared by parallel runs.
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.UpdateActivationEnvironment \
        "dict:string:string:XDG_RUNTIME_DIR,$XDG_RUNTIME_DIR" >/dev/null
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:ScreenReaderEnabled \
        variant:boolean:true >/dev/null || e2e_fail "no accessibility bus (package at-spi2-core)"
    pid=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus \
        /org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID string:org.a11y.Bus \
        | awk '{ print $2 }')
    [[ -n $pid ]] || e2e_fail "the accessibility bus has no process"
    e2e_track "$pid"
}

# --- the program -----------------------------------------------------------------------------

e2e_start_app()
{
    "$E2E_APP" >"$E2E_WORK/app.log" 2>&1 &
    E2E_APP_PID=$!
    e2e_track "$E2E_APP_PID"
    E2E_WINDOW=$(e2e_wait_window) || e2e_fail "no window titled Corvanta appeared"
    # Framed by the window manager and painted: only then do positions and pixels mean anything.
    e2e_wait_until 5 e2e_framed "$E2E_WINDOW" || e2e_fail "the window manager did not frame the window"
    sleep 0.3
    # Kept from now on: the icon and the menus are told apart by it, also after the window went.
    E2E_APP_CLASS=$(e2e_tree_class "$E2E_WINDOW")
    e2e_log "window $E2E_WINDOW of process $E2E_APP_PID, class $E2E_APP_CLASS"
}

e2e_wait_window()
{
    timeout 10 xdotool search --sync --onlyvisible --all --pid "$E2E_APP_PID" --name '^Corvanta$' \
        | head -n1
}

e2e_framed() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q '='; }

e2e_app_running() { kill -0 "$E2E_APP_PID" 2>/dev/null; }

# e2e_wait_app_exit SECONDS: waits for the program to end and puts its exit status in
# E2E_APP_STATUS. Not to be called in a subshell: only the shell that started the program can
# collect its status.
e2e_wait_app_exit()
{
    E2E_APP_STATUS=
    e2e_wait_until "$1" bash -c '! kill -0 "$0" 2>/dev/null' "$E2E_APP_PID" || return 1
    E2E_APP_STATUS=0
    wait "$E2E_APP_PID" || E2E_APP_STATUS=$?
    e2e_untrack "$E2E_APP_PID"
}

# --- observing -------------------------------------------------------------------------------

# e2e_geometry WINDOW: prints "x y width height" of the client area, x and y on the screen.
e2e_geometry()
{
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}

# e2e_frame_extents WINDOW: prints "left right top bottom" of the window manager's frame.
e2e_frame_extents()
{
    xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ','
}

# e2e_frame_geometry WINDOW: prints "x y width height" of the window with its frame.
e2e_frame_geometry()
{
    local x y w h l r t b
    read -r x y w h < <(e2e_geometry "$1")
    read -r l r t b < <(e2e_frame_extents "$1")
    echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}

# e2e_twips_to_px TWIPS: the pixel position of a twips coordinate, rounded as the toolkit does.
e2e_twips_to_px() { echo $((($1 + E2E_TWIPS_PER_PIXEL / 2) / E2E_TWIPS_PER_PIXEL)); }

# e2e_control_rect LEFT TOP WIDTH HEIGHT (twips): prints "x y width height" in client pixels.
# The program's widgets are not X windows of their own, so their place comes from the twips
# geometry they are built with.
e2e_control_rect()
{
    echo "$(e2e_twips_to_px "$1") $(e2e_twips_to_px "$2") $(e2e_twips_to_px "$3")" \
        "$(e2e_twips_to_px "$4")"
}

# e2e_control_center LEFT TOP WIDTH HEIGHT (twips): prints "x y" of the control's middle.
e2e_control_center()
{
    local x y w h
    read -r x y w h < <(e2e_control_rect "$@")
    echo $((x + w / 2)) $((y + h / 2))
}

# Window ids of the X server's client list (mapped, managed top-level windows).
e2e_client_list()
{
    xprop -root _NET_CLIENT_LIST | sed -n 's/.*# *//p' | tr ',' '\n' | sed 's/ //g' | sed '/^$/d'
}

e2e_in_client_list()
{
    local id
    id=$(printf '0x%x' "$1")
    e2e_client_list | while read -r listed; do
        [[ $(printf '0x%x' "$listed") == "$id" ]] && echo yes
    done | grep -q yes
}

e2e_viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }

e2e_wm_class() { xprop -id "$1" WM_CLASS 2>/dev/null | sed -n 's/.*= *//p'; }

# e2e_tree_class WINDOW: the window's class as xwininfo's tree listings show it, ("a" "b").
e2e_tree_class() { echo "($(e2e_wm_class "$1" | sed 's/", "/" "/'))"; }

# e2e_tray_icons: prints the program's windows embedded in the tray host's panel, one a line.
# Qt puts _XEMBED_INFO on every top-level window, so being inside the panel is what marks the
# icon. (The selection owner is a window of its own, not the panel.)
e2e_tray_icons()
{
    local host
    for host in $(xwininfo -root -children | awk '/^ +0x.*"trayer"\)/ { print $1 }'); do
        xwininfo -tree -id "$host" | grep -F -- "$E2E_APP_CLASS" | awk '{ print $1 }'
    done
    return 0
}

e2e_tray_icon_count() { e2e_tray_icons | grep -c . || true; }

# e2e_wm_state WINDOW: Normal, Iconic (minimised on the taskbar) or Withdrawn (unmapped, gone
# from the window manager).
e2e_wm_state()
{
    local state
    state=$(xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p')
    echo "${state:-Withdrawn}"
}

e2e_active_window() { printf '%d\n' "$(xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# *//p')"; }

# e2e_popups: the program's mapped pop-up windows (menus), one a line.
e2e_popups()
{
    local window info
    for window in $(xwininfo -root -children | grep -F -- "$E2E_APP_CLASS" | awk '{ print $1 }'); do
        info=$(xwininfo -id "$window")
        [[ $info == *'IsViewable'* && $info == *'Override Redirect State: yes'* ]] && echo "$window"
    done
    return 0
}

# e2e_clipboard: the clipboard's text, byte for byte, read while its owner still runs.
e2e_clipboard() { timeout 5 xclip -o -selection clipboard; }

# e2e_screenshot NAME: the whole screen into NAME.png among the artifacts; prints the path.
e2e_screenshot()
{
    local file=$E2E_ARTIFACTS/$1.png
    /usr/bin/import -window root "$file"
    e2e_log "screenshot $file"
    echo "$file"
}

# e2e_screenshot_window NAME WINDOW: the window with its frame, cut from the whole screen.
e2e_screenshot_window()
{
    local x y w h file=$E2E_ARTIFACTS/$1.png
    read -r x y w h < <(e2e_frame_geometry "$2")
    /usr/bin/import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
    e2e_log "screenshot $file"
    echo "$file"
}

# e2e_region_contrast IMAGE X Y WIDTH HEIGHT: the grey-level range of a region, 0 to 1. A plain
# background gives 0; a button with its border and caption gives well above a half.
e2e_region_contrast()
{
    /usr/bin/convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray \
        -format '%[max] %[min] %[fx:QuantumRange]' info: \
        | awk '{ printf "%.3f\n", ($1 - $2) / $3 }'
}

# e2e_close_button_point WINDOW: prints the screen point "x y" of the close button in the
# window's title bar (jwm puts it rightmost, a square as high as the title bar).
e2e_close_button_point()
{
    local x y w h l r t b
    read -r x y w h < <(e2e_frame_geometry "$1")
    read -r l r t b < <(e2e_frame_extents "$1")
    echo $((x + w - r - (t - b) / 2)) $((y + b + (t - b) / 2))
}

# e2e_crop IMAGE X Y WIDTH HEIGHT OUT: cuts a region out of a screenshot.
e2e_crop() { /usr/bin/convert "$1" -crop "${4}x${5}+${2}+${3}" +repage "$6"; }

# e2e_difference IMAGE IMAGE: the share of pixels that differ (by more than a trace), 0 to 1.
e2e_difference()
{
    local differing
    differing=$(/usr/bin/compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 || true)
    /usr/bin/identify -format "%w %h\n" "$1" | awk -v d="$differing" '{ printf "%.3f\n", d / ($1 * $2) }'
}

# --- driving ---------------------------------------------------------------------------------

# e2e_click WINDOW X Y [BUTTON]: a click at client coordinates.
e2e_click()
{
    xdotool mousemove --window "$1" "$2" "$3" sleep 0.05 click "${4:-1}"
}

# e2e_click_control LEFT TOP WIDTH HEIGHT (twips) [BUTTON]: a click in the middle of a control of
# the main window.
e2e_click_control()
{
    local x y
    read -r x y < <(e2e_control_center "$1" "$2" "$3" "$4")
    e2e_click "$E2E_WINDOW" "$x" "$y" "${5:-1}"
}

# e2e_key WINDOW KEY...: keys to the window after giving it the focus.
e2e_key()
{
    local window=$1
    shift
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers "$@"
}

# --- the main window at start-up -------------------------------------------------------------

# Controls as "left top width height" in twips, where the window puts them at its start-up size.
E2E_CREATE="50 1410 1455 375"
E2E_COPY="1530 1410 1455 375"
E2E_CLEAR="3015 1410 1455 375"
E2E_EXIT="4520 1410 1455 375"
E2E_TEXTBOX="50 50 5900 1290"
E2E_BANNER="1080 240 3735 855"

# e2e_click_button Create|Copy|Clear|Exit: a click on the button where the layout keeps it at any
# window size: 840 twips above the window's outer bottom.
e2e_click_button()
{
    local left h
    case $1 in
    Create) left=50 ;;
    Copy) left=1530 ;;
    Clear) left=3015 ;;
    Exit) left=4520 ;;
    *) e2e_fail "no button $1" ;;
    esac
    read -r _ _ _ h < <(e2e_frame_geometry "$E2E_WINDOW")
    e2e_click_control "$left" $((h * E2E_TWIPS_PER_PIXEL - 840)) 1455 375
}
