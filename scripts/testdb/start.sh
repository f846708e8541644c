#!/usr/bin/env bash
# start.sh STATE_DIR
#
# Starts a private PostgreSQL server and a private MariaDB server on 127.0.0.1, each at a free
# port, with the same test user, password and databases, and writes the ODBC configuration the
# database tests read through ODBCSYSINI and ODBCINI:
#   STATE_DIR/odbc/odbcinst.ini  drivers: PostgreSQL Unicode, MariaDB Unicode, SQLite3, FreeTDS, MDBTools
#                                (those installed)
#   STATE_DIR/odbc/odbc.ini      system DSNs: CorvantaPg, CorvantaPgDown (a port nothing answers)
#   STATE_DIR/odbc/user.ini      user DSN: CorvantaSqlite
#   STATE_DIR/testdb.env         names, password and ports for the tests
#   STATE_DIR/unavailable        only when PostgreSQL could not be started: why
#   STATE_DIR/unavailable-mariadb  the same for MariaDB
# CORVANTA_TESTDB_PGBIN names the server's bin folder when the newest under /usr/lib/postgresql
# is not the one wanted. Nothing global is changed. Exits 0 even when the server cannot be started, so that the tests
# can say why they skip; exits non-zero only on a fault of this script.
set -euo pipefail

state=${1:?usage: start.sh STATE_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$here/stop.sh" "$state" || true
mkdir -p "$state/odbc"
state=$(cd "$state" && pwd)
rm -f "$state/unavailable" "$state/unavailable-mariadb" "$state/testdb.env" "$state/pgroot" \
    "$state/mariadbroot" "$state/mariadb-server.log" "$state/test.sqlite"

user=corvanta_test
database=corvanta_test
# One the test user may not open, which a list of databases to choose from must leave out.
private_database=corvanta_private
# One the test user may read but does not own, which such a list must show. (PostgreSQL's own
# database postgres is one too.)
shared_database=corvanta_shared
# A ';' makes the ODBC string brace the value: the quoting path is tested on every run.
password='Pa55;word-Corvanta'

say() { printf 'testdb: %s\n' "$*" >&2; }
# unavailable postgresql|mariadb WHY...
unavailable() {
    local file=unavailable
    [[ $1 == postgresql ]] || file=unavailable-$1
    shift
    say "server not started: $*"
    printf '%s\n' "$*" >"$state/$file"
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

start_postgresql() {
    local bin root as_postgres=() port attempt
    bin=${CORVANTA_TESTDB_PGBIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)}
    if [[ -z $bin || ! -x $bin/initdb ]]; then
        unavailable postgresql "PostgreSQL server programs not found (install the Debian package postgresql)"
        return 0
    fi
    root=$(mktemp -d /tmp/corvanta-testdb.XXXXXX)
    echo "$root" >"$state/pgroot"
    # The server refuses to run as root.
    if [[ $EUID -eq 0 ]]; then
        if ! id postgres >/dev/null 2>&1; then
            unavailable postgresql "running as root and there is no postgres user to own the server"
            return 0
        fi
        chown postgres: "$root"
        as_postgres=(runuser -u postgres --)
    fi
    chmod 700 "$root"
    if ! (cd / && "${as_postgres[@]}" "$bin/initdb" -D "$root/data" -U postgres -E UTF8 \
        --auth-local=trust --auth-host=scram-sha-256 --no-instructions >"$state/initdb.log" 2>&1); then
        unavailable postgresql "initdb failed: $(tail -n 3 "$state/initdb.log" | tr '\n' ' ')"
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
        unavailable postgresql "the server did not start: $(tail -n 3 "$root/server.log" 2>/dev/null | tr '\n' ' ')"
        return 0
    fi
    local sql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$root" -p "$port" -U postgres -d postgres)
    if ! "${sql[@]}" -c "CREATE ROLE $user LOGIN PASSWORD '${password//\'/\'\'}'" \
        || ! "${sql[@]}" -c "CREATE DATABASE $database OWNER $user" \
        || ! "${sql[@]}" -c "CREATE DATABASE $shared_database" \
        || ! "${sql[@]}" -c "CREATE DATABASE $private_database" \
        || ! "${sql[@]}" -c "REVOKE CONNECT ON DATABASE $private_database FROM PUBLIC"; then
        unavailable postgresql "the test user or database could not be created"
        return 0
    fi
    echo "$port"
}

# Small log and buffers and no flushing: a throwaway server set up in well under a second.
mariadb_options=(
    --no-defaults --skip-name-resolve
    --innodb-log-file-size=4M --innodb-buffer-pool-size=16M --innodb-doublewrite=0
    --innodb-flush-log-at-trx-commit=0 --innodb-flush-method=nosync
)

start_mariadb() {
    local server root as_root=() port attempt pid
    server=$(PATH=/usr/sbin:/usr/bin:$PATH command -v mariadbd || true)
    if [[ -z $server ]] || ! command -v mariadb-install-db >/dev/null || ! command -v mariadb >/dev/null; then
        unavailable mariadb "MariaDB server programs not found" \
            "(install the Debian packages mariadb-server-core and mariadb-client-core)"
        return 0
    fi
    root=$(mktemp -d /tmp/corvanta-testdb.XXXXXX)
    echo "$root" >"$state/mariadbroot"
    chmod 700 "$root"
    # The server refuses root unless told to be it; the folder is private to root anyway.
    [[ $EUID -eq 0 ]] && as_root=(--user=root)
    if ! (cd / && mariadb-install-db "${mariadb_options[@]}" "${as_root[@]}" --datadir="$root/data" \
        --auth-root-authentication-method=socket --skip-test-db >"$state/mariadb-install.log" 2>&1); then
        # Its last lines are advice; the server's first error says what went wrong.
        unavailable mariadb "mariadb-install-db failed: $(grep -m 1 '\[ERROR\]' \
            "$state/mariadb-install.log" || tail -n 1 "$state/mariadb-install.log")"
        return 0
    fi
    # Run by the server before it takes connections, so no administrator log-on is needed; written
    # to be run again if a start is retried on another port.
    local account="'$user'@'127.0.0.1'" quoted=${password//\\/\\\\}
    quoted=${quoted//\'/\'\'}
    cat >"$root/setup.sql" <<SQL
CREATE DATABASE IF NOT EXISTS $database;
CREATE DATABASE IF NOT EXISTS $shared_database;
CREATE DATABASE IF NOT EXISTS $private_database;
CREATE OR REPLACE USER $account IDENTIFIED BY '$quoted';
GRANT ALL ON $database.* TO $account;
GRANT SELECT ON $shared_database.* TO $account;
SQL
    for attempt in 1 2 3 4 5; do
        port=$(closed_port) || break
        (cd / && exec "$server" "${mariadb_options[@]}" "${as_root[@]}" --datadir="$root/data" \
            --bind-address=127.0.0.1 --port="$port" --socket="$root/mysqld.sock" \
            --pid-file="$root/mariadbd.pid" --init-file="$root/setup.sql" \
            --log-error="$root/server.log" </dev/null >/dev/null 2>&1) &
        pid=$!
        echo "$pid" >"$root/server.pid"
        # Up when the test user logs on, which is after the set-up has run.
        for _ in $(seq 1 150); do
            if MYSQL_PWD=$password mariadb --no-defaults --protocol=tcp -h 127.0.0.1 -P "$port" \
                -u "$user" -e 'SELECT 1' "$database" >/dev/null 2>&1; then
                echo "$port"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        # Only a server that gave up (on a port taken meanwhile) is worth another try.
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            cp "$root/server.log" "$state/mariadb-server.log" 2>/dev/null || true
            unavailable mariadb "the server did not let the test user log on at 127.0.0.1:$port" \
                "within 15 seconds (its log: $state/mariadb-server.log)"
            return 0
        fi
        say "MariaDB did not start on port $port (attempt $attempt)"
    done
    unavailable mariadb "the server did not start: $(grep -m 1 '\[ERROR\]' "$root/server.log" \
        2>/dev/null || tail -n 1 "$root/server.log" 2>/dev/null)"
    return 0
}

port=$(start_postgresql)
mariadb_port=$(start_mariadb)
down_port=$(closed_port)

{
    echo "user=$user"
    echo "password=$password"
    echo "database=$database"
    echo "private_database=$private_database"
    echo "shared_database=$shared_database"
    echo "port=$port"
    echo "mariadb_port=$mariadb_port"
    echo "down_port=$down_port"
} >"$state/testdb.env"

{
    if driver=$(find_driver psqlodbcw.so); then
        printf '[PostgreSQL Unicode]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libmaodbc.so); then
        printf '[MariaDB Unicode]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libsqlite3odbc.so); then
        printf '[SQLite3]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libtdsodbc.so); then
        printf '[FreeTDS]\nDriver=%s\n\n' "$driver"
    fi
    if driver=$(find_driver libmdbodbc.so); then
        printf '[MDBTools]\nDriver=%s\n\n' "$driver"
    fi
} >"$state/odbc/odbcinst.ini"

{
    printf '[CorvantaPg]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%s\nDatabase=%s\n\n' \
        "${port:-$down_port}" "$database"
    printf '[CorvantaPgDown]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%s\nDatabase=%s\n\n' \
        "$down_port" "$database"
} >"$state/odbc/odbc.ini"

printf '[CorvantaSqlite]\nDriver=SQLite3\nDatabase=%s\n' "$state/test.sqlite" >"$state/odbc/user.ini"

[[ -n $port ]] && say "PostgreSQL on 127.0.0.1:$port"
[[ -n $mariadb_port ]] && say "MariaDB on 127.0.0.1:$mariadb_port"
say "ODBC configuration in $state/odbc"
exit 0
