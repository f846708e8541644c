#!/usr/bin/env bash
# stop.sh STATE_DIR: stops the server start.sh started there and removes its files.
set -euo pipefail

state=${1:?usage: stop.sh STATE_DIR}
[[ -r $state/pgroot ]] || exit 0
root=$(cat "$state/pgroot")
bin=${CORVANTA_TESTDB_PGBIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)}
as_postgres=()
[[ $EUID -eq 0 ]] && as_postgres=(runuser -u postgres --)
if [[ -n $bin && -f $root/data/postmaster.pid ]]; then
    (cd / && "${as_postgres[@]}" "$bin/pg_ctl" -D "$root/data" -m fast -w -t 30 stop >/dev/null 2>&1) || true
fi
# Only ever the directory start.sh made.
[[ $root == /tmp/corvanta-testdb.* ]] && rm -rf "$root"
rm -f "$state/pgroot"
