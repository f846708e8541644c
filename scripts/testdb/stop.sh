#!/usr/bin/env bash
# stop.sh STATE_DIR: stops the servers start.sh started there and removes their files.
set -euo pipefail

state=${1:?usage: stop.sh STATE_DIR}

# Only ever a directory start.sh made.
remove_root() { [[ $1 == /tmp/corvanta-testdb.* ]] && rm -rf "$1"; }

if [[ -r $state/pgroot ]]; then
    root=$(cat "$state/pgroot")
    bin=${CORVANTA_TESTDB_PGBIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)}
    as_postgres=()
    [[ $EUID -eq 0 ]] && as_postgres=(runuser -u postgres --)
    if [[ -n $bin && -f $root/data/postmaster.pid ]]; then
        (cd / && "${as_postgres[@]}" "$bin/pg_ctl" -D "$root/data" -m fast -w -t 30 stop >/dev/null 2>&1) || true
    fi
    remove_root "$root" || true
    rm -f "$state/pgroot"
fi

if [[ -r $state/mariadbroot ]]; then
    root=$(cat "$state/mariadbroot")
    pid=$(cat "$root/server.pid" 2>/dev/null || true)
    # A number left by an earlier boot may name another program by now.
    if [[ -n $pid && $(cat "/proc/$pid/comm" 2>/dev/null) == mariadbd ]]; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 300); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    remove_root "$root" || true
    rm -f "$state/mariadbroot"
fi
