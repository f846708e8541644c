#!/usr/bin/env bash
# start.sh STATE_DIR
#
# Starts a private PostgreSQL server on 127.0.0.1 at a free port, owned by an unprivileged user,
# with a test database and a password-protected test user, and writes the ODBC configuration the
# database tests read through ODBCSYSINI and ODBCINI:
#   STATE_DIR/odbc/odbcinst.ini  drivers: PostgreSQL Unicode, SQLite3, FreeTDS (those installed)
#   STATE_DIR/odbc/odbc.ini      system DSNs: CorvantaPg, CorvantaPgDown (a port nothing answers)
#   STATE_DIR/odbc/user.ini      user DSN: CorvantaSqlite
#   STATE_DIR/testdb.env         names, password and ports for the tests
#   STATE_DIR/unavailable        only when the server could not be started: why
# CORVANTA_TESTDB_PGBIN names the server's bin folder when the newest under /usr/lib/postgresql
# is not the one wanted. Nothing global is changed. Exits 0 even when the server cannot be started, so that the tests
# can say why they skip; exits non-zero only on a fault of this script.
set -euo pipefail

state=${1:?usage: start.sh STATE_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/stop.sh" "$state" || true
mkdir -p "$state/odbc"
state=$(cd "$state" && pwd)
rm -f "$state/unavailable" "$state/testdb.env" "$state/pgroot" "$state/test.sqlite"

user=corvanta_test
database=corvanta_test
# One the test user may not open, which a list of databases to choose from must leave out.
private_database=corvanta_private
# A ';' makes the ODBC string brace the value: the quoting path is tested on every run.
password='Pa55;word-Corvanta'

say() { printf 'testdb: %s\n' "$*" >&2; }
unavailable() {
    say "server not started: $*"
    printf '%s\n' "$*" >"$state/unavailable"
}

port_is_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
closed_port() {
    local port
    for _ in $(seq 1 50); do
        port=$((20000 + RANDOM % 40000))
        port_is_open "$port" || { echo "$port"; return 0; }
    done
    return 1
}

find_driver() {
    local name=$1 dir
    for dir in /usr/lib/*/odbc /usr/lib/odbc /usr/local/lib/odbc /usr/lib64; do
        [[ -r $dir/$name ]] && { echo "$dir/$name"; return 0; }
    done
    return 1
}

start_server() {
    local bin root as_postgres=() port attempt
    bin=${CORVANTA_TESTDB_PGBIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)}
    if [[ -z $bin || ! -x $bin/initdb ]]; then
        unavailable "PostgreSQL server programs not found (install the Debian package postgresql)"
        return 0
    fi
    root=$(mktemp -d /tmp/corvanta-testdb.XXXXXX)
    echo "$root" >"$state/pgroot"
    # The server refuses to run as root.
    if [[ $EUID -eq 0 ]]; then
        if ! id postgres >/dev/null 2>&1; then
            unavailable "running as root and there is no postgres user to own the server"
            return 0
        fi
        chown postgres: "$root"
        as_postgres=(runuser -u postgres --)
    fi
    chmod 700 "$root"
    if ! (cd / && "${as_postgres[@]}" "$bin/initdb" -D "$root/data" -U postgres -E UTF8 \
        --auth-local=trust --auth-host=scram-sha-256 --no-instructions >"$state/initdb.log" 2>&1); then
        unavailable "initdb failed: $(tail -n 3 "$state/initdb.log" | tr '\n' ' ')"
        return 0
    fi
    for attempt in 1 2 3 4 5; do
        port=$(closed_port) || break
        if (cd / && "${as_postgres[@]}" "$bin/pg_ctl" -D "$root/data" -l "$root/server.log" -w -t 30 \
            -o "-p $port -k $root -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null 2>&1); then
            break
        fi
        say "port $port refused (attempt $attempt)"
        port=
    done
    if [[ -z ${port:-} ]]; then
        unavailable "the server did not start: $(tail -n 3 "$root/server.log" 2>/dev/null | tr '\n' ' ')"
        return 0
    fi
    local sql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$root" -p "$port" -U postgres -d postgres)
    if ! "${sql[@]}" -c "CREATE ROLE $user LOGIN PASSWORD '${password//\'/\'\'}'" \
        || ! "${sql[@]}" -c "CREATE DATABASE $database OWNER $user" \
        || ! "${sql[@]}" -c "CREATE DATABASE $private_database" \
        || ! "${sql[@]}" -c "REVOKE CONNECT ON DATABASE $private_database FROM PUBLIC"; then
        unavailable "the test user or database could not be created"
        return 0
    fi
    echo "$port"
}

port=$(start_server)
down_port=$(closed_port)

{
    echo "user=$user"
    echo "password=$password"
    echo "database=$database"
    echo "private_database=$private_database"
    echo "port=$port"
    echo "down_port=$down_port"
} >"$state/testdb.env"

{
    if driver=$(find_driver psqlodbcw.so); then
        printf '[PostgreSQL Unicode]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libsqlite3odbc.so); then
        printf '[SQLite3]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libtdsodbc.so); then
        printf '[FreeTDS]\nDriver=%s\n\n' "$driver"
    fi
} >"$state/odbc/odbcinst.ini"

{
    printf '[CorvantaPg]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%s\nDatabase=%s\n\n' \
        "${port:-$down_port}" "$database"
    printf '[CorvantaPgDown]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%s\nDatabase=%s\n\n' \
        "$down_port" "$database"
} >"$state/odbc/odbc.ini"

printf '[CorvantaSqlite]\nDriver=SQLite3\nDatabase=%s\n' "$state/test.sqlite" >"$state/odbc/user.ini"

[[ -n $port ]] && say "PostgreSQL on 127.0.0.1:$port; ODBC configuration in $state/odbc"
exit 0
