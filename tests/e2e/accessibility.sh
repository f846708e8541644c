#!/usr/bin/env bash
# What a screen reader hears: every control of each kind of Connection page (the SQL Server page
# with each set of log-on fields, the ODBC page with a connection string), of the Provider,
# Advanced and All tabs, read through the accessibility tree, has a name, and no two controls
# shown together share one; every control of a Connection page is related to the caption of the
# group it stands in. The tabs are reached with Ctrl+Tab, from whatever has the focus.
#
# Environment (set by CTest): CORVANTA_A11YPROBE, the helper that reads the tree (a11yprobe.cpp).
source "$(dirname "$0")/lib.sh"

a11yprobe=${CORVANTA_A11YPROBE:?CORVANTA_A11YPROBE must name the corvanta_a11yprobe helper}

e2e_start_desktop
e2e_start_accessibility
e2e_start_app

dialog() { xdotool search --onlyvisible --all --pid "$E2E_APP_PID" --name '^Data Link Properties$'; }
no_dialog() { ! dialog; }
controls() { "$a11yprobe" controls "$E2E_APP_PID" 'Data Link Properties' >"$1" 2>/dev/null && [[ -s $1 ]]; }
server_field_described() { controls "$1" && grep -qP '^combo box\tServer name:?\t(?!Searching)[^\t]+' "$1"; }

# faults FILE: the unnamed and the duplicated controls of one dump, one a line.
faults()
{
    awk -F'\t' '
        $2 == "" { print "unnamed " $1; next }
        { seen[$2]++; role[$2] = $1 }
        END { for (name in seen) if (seen[name] > 1) print seen[name] " x " role[name] " \"" name "\"" }
    ' "$1"
}

# ungrouped FILE: the controls of a Connection page that no group's caption is related to; the
# dialog's own buttons, the tab bar and the problems list's links stand in none.
ungrouped()
{
    awk -F'\t' '$4 == "" && $1 != "page tab list" && $1 != "label" && $2 !~ /^(Test Connection|OK|Cancel)$/ {
        print "outside any group: " $1 " \"" $2 "\"" }' "$1"
}

read -r tx ty < <(e2e_control_center $E2E_TEXTBOX)
for string in 'Provider=MSOLEDBSQL19.1' 'Provider=SQLOLEDB.1' 'Provider=Microsoft.ACE.OLEDB.16.0' \
    'Provider=MSOLEDBSQL19.1;Authentication=ActiveDirectoryServicePrincipal' \
    'Provider=MSOLEDBSQL19.1;Access Token=x' 'Provider=MSDASQL;Driver={SQLite3};Database=x' \
    'Provider=MSDASQL.1' 'Provider=MSDAORA.1' 'Provider=Vendor.Provider.1'; do
    page=${string#Provider=}
    page=${page//[^A-Za-z0-9.=]/_}
    e2e_click "$E2E_WINDOW" "$tx" "$ty"
    xdotool key --delay 30 ctrl+a BackSpace
    xdotool type --delay 20 "$string"
    e2e_click_control $E2E_CREATE
    e2e_check "$page: Create opens the dialog" e2e_wait_until 10 dialog
    if [[ $page == MSOLEDBSQL19.1 ]]; then
        # A search that finds nothing says why under the field; a screen reader hears it with
        # the field's name.
        xdotool key alt+h
        e2e_check "the server search's outcome is the field's description" \
            e2e_wait_until 15 server_field_described "$E2E_WORK/described.tsv"
        e2e_log "server field: $(grep -P '^combo box\tServer name:?\t' "$E2E_WORK/described.tsv")"
    fi
    for tab in 1 2 3 4; do
        dump=$E2E_ARTIFACTS/$page.$tab.tsv
        e2e_wait_until 10 controls "$dump" || e2e_fail "$page: the probe read nothing"
        shown=$(faults "$dump")
        # The dialog opens on the Connection tab.
        [[ $tab != 1 ]] || shown+=$(ungrouped "$dump")
        e2e_log "$page, tab $tab: $(wc -l <"$dump") controls"
        [[ -z $shown ]] || { cat "$dump" >&2; e2e_fail "$page, tab $tab: $shown"; }
        xdotool key ctrl+Tab
        sleep 0.3
    done
    xdotool key Escape
    e2e_check "$page: Escape closes the dialog" e2e_wait_until 5 no_dialog
done

e2e_click_control $E2E_EXIT
e2e_wait_app_exit 10 || e2e_fail "the program is still running after Exit"
