#!/usr/bin/env bash
# check_install.sh BUILD_DIR: installs into a scratch prefix and checks that a desktop finds the
# program there: the binary, a valid menu entry naming it, and its icon in the hicolor theme.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
check()
{
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
    else
        echo "FAIL: $description"
        failed=1
    fi
}

entry=$prefix/share/applications/corvanta.desktop
check "bin/corvanta is an executable" test -x "$prefix/bin/corvanta"
check "the menu entry is valid" desktop-file-validate "$entry"
check "the entry is named Corvanta" grep -qx 'Name=Corvanta' "$entry"
check "the entry runs corvanta" grep -qx 'Exec=corvanta' "$entry"
check "the entry carries version 1.00.0001" grep -qx 'X-Corvanta-Version=1.00.0001' "$entry"
for size in 16 32; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/corvanta.png
    [[ $size == 16 || -e $icon ]] || continue
    check "the ${size} x ${size} icon is installed" test -s "$icon"
    if [[ -s $icon ]]; then
        check "the icon is a ${size} x ${size} PNG" \
            test "$(/usr/bin/identify -format '%m %wx%h' "$icon")" = "PNG ${size}x$size"
    fi
done
exit "$failed"
