#!/usr/bin/env bash
# check_install.sh BUILD_DIR: installs into a scratch prefix and checks that a desktop finds the
# program there: the binary, a valid menu entry naming it, its icon in the hicolor theme at every
# size, a valid AppStream record, and a manual page for each program that man renders cleanly.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

entry=$prefix/share/applications/corvanta.desktop
check "bin/corvanta is an executable" test -x "$prefix/bin/corvanta"
check "the Access reader's process is where the program looks for it" \
    test -x "$prefix/libexec/corvanta/corvanta-access-reader"
check "the menu entry is valid" desktop-file-validate "$entry"
check "the entry is named Corvanta" grep -qx 'Name=Corvanta' "$entry"
check "the entry runs corvanta" grep -qx 'Exec=corvanta' "$entry"
check "the entry carries version 1.00.0001" grep -qx 'X-Corvanta-Version=1.00.0001' "$entry"
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/corvanta.png
    check "the ${size} x ${size} icon is a PNG of that size" \
        test "$(/usr/bin/identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x$size"
done
check "the scalable icon is installed" test -s "$prefix/share/icons/hicolor/scalable/apps/corvanta.svg"
metainfo=$prefix/share/metainfo/org.example.corvanta.metainfo.xml
check "the AppStream record is valid and names the menu entry" \
    appstreamcli validate --no-net --pedantic "$metainfo"
check "the AppStream record carries release 1.00.0001" grep -q 'version="1.00.0001"' "$metainfo"
check "the installed tree passes AppStream's checks" appstreamcli validate-tree --no-net "$prefix"
# What man says on standard error while it renders a page: groff's warnings (an unknown request,
# a line it cannot fill) and man's own.
renders_cleanly()
{
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
    [[ -z $warnings ]] || printf '%s\n' "$warnings"
    [[ -z $warnings ]]
}
for page in corvanta corvanta-connstr; do
    manpage=$prefix/share/man/man1/$page.1.gz
    check "the manual page $page(1) is installed, compressed" gzip -t "$manpage"
    check "man renders $page(1) without warnings" renders_cleanly "$manpage"
done
exit "$failed"
