#!/usr/bin/env bash
# check_deb.sh BUILD_DIR: builds the Debian package with cpack and checks it the way Debian would:
# lintian finds no error and no warning, the package depends on the runtime libraries and the
# platform plugins, and the programs it carries start from the unpacked tree (--version needs no
# display).
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
deb=$(find "$work/out" -maxdepth 1 -name 'corvanta_*.deb' -print -quit)

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

check "cpack made corvanta_1.00.0001_<arch>.deb" test -n "$deb"
[[ -n $deb ]] || exit 1
echo "--- lintian"
lintian --tag-display-limit 0 "$deb" | tee "$work/lintian.log" || true
echo "---"
check "lintian reports no error" bash -c "! grep -q '^E: ' '$work/lintian.log'"
# The package is warning-free, so any warning is new: a missing manual page among them.
check "lintian reports no warning" bash -c "! grep -q '^W: ' '$work/lintian.log'"
depends=$(dpkg-deb --field "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libodbc2 qt6-qpa-plugins; do
    check "the package depends on $package" grep -q "\\b$package\\b" <<<"$depends"
done
# What apt would install with it, from the machine's Debian archive: every dependency resolves.
check "apt can satisfy the package's dependencies" \
    bash -c "apt-get install --simulate --no-install-recommends '$deb' >'$work/apt.log' 2>&1"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/corvanta usr/bin/corvanta-connstr usr/libexec/corvanta/corvanta-access-reader \
    usr/share/applications/corvanta.desktop \
    usr/share/icons/hicolor/256x256/apps/corvanta.png usr/share/icons/hicolor/scalable/apps/corvanta.svg \
    usr/share/metainfo/org.example.corvanta.metainfo.xml usr/share/doc/corvanta/copyright \
    usr/share/man/man1/corvanta.1.gz usr/share/man/man1/corvanta-connstr.1.gz; do
    check "the package holds /$file" test -s "$work/root/$file"
done
check "the packaged corvanta starts and answers --version" \
    bash -c "env -u DISPLAY -u WAYLAND_DISPLAY '$work/root/usr/bin/corvanta' --version | grep -qx 'corvanta 1.00.0001'"
check "the packaged corvanta-connstr parses a string" \
    bash -c "echo '[\"a=1\"]' | '$work/root/usr/bin/corvanta-connstr' parse | grep -q '\"ok\":true'"
check "the packaged Access reader answers for a driver that is not there" \
    bash -c "'$work/root/usr/libexec/corvanta/corvanta-access-reader' 'DRIVER=none;DBQ=/nowhere' | grep -q '\"connected\":false'"
exit "$failed"
