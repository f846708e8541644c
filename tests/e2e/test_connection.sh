#!/usr/bin/env bash
# "Test Connection" in the real Data Link Properties dialog against the private PostgreSQL server
# of the testdb fixture, through the ODBC data source it configures: the right password
# connects, a wrong one fails in the driver's words and is never shown back.
#
# Environment (set by CTest): ODBCSYSINI and ODBCINI, the fixture's ODBC configuration, and
# CORVANTA_TESTDB, its state folder with testdb.env (user, password, database); CORVANTA_A11YPROBE,
# the helper that reads the result box (a11yprobe.cpp).
source "$(dirname "$0")/lib.sh"

skip_status=77
state=${CORVANTA_TESTDB:?CORVANTA_TESTDB must name the testdb fixture\'s state folder}
if [[ -s $state/unavailable ]]; then
    e2e_log "SKIP: the test database is not running: $(cat "$state/unavailable")"
    exit "$skip_status"
fi
[[ -r $state/testdb.env ]] || e2e_fail "no $state/testdb.env: the testdb fixture did not run"
# Not sourced: the password holds a ';' on purpose.
while IFS='=' read -r key value; do
    case $key in
    user) db_user=$value ;;
    password) db_password=$value ;;
    esac
done <"$state/testdb.env"
[[ -n ${db_user:-} && -n ${db_password:-} ]] || e2e_fail "testdb.env names no user or password"
data_source=CorvantaPg
wrong_password=Wr0ng-Pa55word-$RANDOM

a11yprobe=${CORVANTA_A11YPROBE:?CORVANTA_A11YPROBE must name the corvanta_a11yprobe helper}

find_windows() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name "$1" 2>/dev/null; }

# result_shown FILE: the shown "Test Connection" window that has an OK button, dumped into FILE.
# The progress dialog has the same title and a Cancel button only.
result_shown()
{
    "$a11yprobe" window "$E2E_APP_PID" 'Test Connection' >"$1" 2>/dev/null \
        && grep -qx $'push button\tOK' "$1"
}

# run_test NAME: presses "Test Connection" and waits for the result box; puts its window id in
# result_box and its message, line breaks as \n, in $E2E_WORK/NAME.message.
run_test()
{
    local dump=$E2E_WORK/$1.tree
    e2e_key "$dialog" alt+t
    # The driver's default connect timeout is 15 s; the dialog's watchdog adds its grace.
    if ! e2e_wait_until 40 result_shown "$dump"; then
        e2e_log "what the probe last read:"
        cat "$dump" >&2
        "$a11yprobe" window "$E2E_APP_PID" 'Test Connection' >&2 || true
        e2e_fail "no result box for $1 within 40 s"
    fi
    awk -F'\t' '$1 == "label" && $2 != ""' "$dump" | cut -f2- >"$E2E_WORK/$1.message"
    e2e_log "$1: $(cat "$E2E_WORK/$1.message")"
    result_box=$(find_windows '^Test Connection$' | head -n1)
    [[ -n $result_box ]] || e2e_fail "the result box is no X window"
}

close_result()
{
    e2e_key "$result_box" Return
    e2e_wait_until 5 bash -c '! xwininfo -id "$0" | grep -q IsViewable' "$result_box" \
        || e2e_fail "the result box did not close"
}

# The clipboard's owner before a copy, so that what is read afterwards is known to be fresh.
E2E_XCLIP_PID=
clipboard_mark()
{
    printf 'not copied yet' | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    E2E_XCLIP_PID=$!
    e2e_track "$E2E_XCLIP_PID"
    e2e_wait_until 5 bash -c 'xclip -o -selection clipboard | grep -qx "not copied yet"' \
        || e2e_fail "xclip did not take the clipboard"
}
clipboard_unmark()
{
    e2e_stop "$E2E_XCLIP_PID"
    e2e_untrack "$E2E_XCLIP_PID"
}

# show_string FILE: the connection string under the tabs as the dialog shows it (password
# masked), copied from its read-only view, which sits just before "Show password" in the tab order.
show_string()
{
    clipboard_mark
    # "Show password" is clicked twice to take the focus and leave the box as it was; a check box
    # takes a second click only once the first has gone through.
    e2e_key "$dialog" alt+w
    sleep 0.3
    xdotool key --clearmodifiers alt+w
    sleep 0.3
    xdotool key --clearmodifiers shift+Tab ctrl+a ctrl+c
    e2e_wait_until 5 bash -c '! xclip -o -selection clipboard | grep -qx "not copied yet"' \
        || e2e_fail "the connection string could not be copied"
    clipboard_unmark
    e2e_clipboard >"$1"
}

e2e_start_desktop
e2e_start_accessibility
e2e_start_app

e2e_click_button Create
dialog=$(timeout 10 xdotool search --sync --onlyvisible --all --pid "$E2E_APP_PID" \
    --name '^Data Link Properties$' | head -n1) || true
[[ -n $dialog ]] || e2e_fail "no Data Link Properties dialog after Create"
e2e_wait_until 5 e2e_framed "$dialog" || e2e_fail "the window manager did not frame the dialog"
sleep 0.3

# The ODBC provider is the one selected when the dialog opens.
e2e_key "$dialog" alt+n
sleep 0.3
# "Use data source name" hands the focus to the name box once its click has gone through.
e2e_key "$dialog" alt+d
sleep 0.3
xdotool type --delay 30 "$data_source"
# The name box completes inline (CorvantaPg would become CorvantaPgDown); Delete drops the
# completed tail, and does nothing when there is none.
xdotool key Delete
e2e_key "$dialog" alt+u
xdotool type --delay 30 "$db_user"
e2e_key "$dialog" alt+p
xdotool type --delay 30 "$db_password"

show_string "$E2E_WORK/composed"
composed=$(cat "$E2E_WORK/composed")
e2e_log "composed: $composed"
e2e_check "the string names the data source" grep -Eq "(^|;)Data Source=$data_source(;|\$)" <<<"$composed"
e2e_check "the string names the user" grep -Eq "(^|;)User ID=$db_user(;|\$)" <<<"$composed"
e2e_check "the shown string masks the password" \
    bash -c '! grep -qF -- "$0" <<<"$1"' "$db_password" "$composed"

run_test right-password
shot=$(e2e_screenshot_window test-connection "$dialog")
if [[ -n ${CORVANTA_SCREENSHOT_DIR:-} ]]; then
    mkdir -p "$CORVANTA_SCREENSHOT_DIR"
    cp "$shot" "$CORVANTA_SCREENSHOT_DIR/test-connection.png"
fi
e2e_check "the right password connects" \
    test "$(cat "$E2E_WORK/right-password.message")" = "Test connection succeeded."
close_result

e2e_key "$dialog" alt+p
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 "$wrong_password"
run_test wrong-password
failed_prefix='Test connection failed because of an error in initializing provider. '
message=$(cat "$E2E_WORK/wrong-password.message")
e2e_check "a wrong password fails in the platform's words" \
    test "${message:0:${#failed_prefix}}" = "$failed_prefix"
e2e_check "the driver's own message follows" test ${#message} -gt ${#failed_prefix}
e2e_check "the message does not show the password tried" \
    bash -c '! grep -qF -- "$0" "$1"' "$wrong_password" "$E2E_WORK/wrong-password.message"
e2e_check "nor the right one" \
    bash -c '! grep -qF -- "$0" "$1"' "$db_password" "$E2E_WORK/wrong-password.message"
close_result

e2e_key "$dialog" Escape
e2e_check "Escape closes the dialog" \
    e2e_wait_until 5 bash -c '! xwininfo -id "$0" | grep -q IsViewable' "$dialog"

e2e_click_button Exit
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
e2e_check "exit status after Exit is 0 (was $E2E_APP_STATUS)" test "$E2E_APP_STATUS" -eq 0
