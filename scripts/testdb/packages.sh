# Debian 12 packages the database tests need. Sourced by install.sh.
CORVANTA_TESTDB_PACKAGES=(
    unixodbc unixodbc-dev
    postgresql odbc-postgresql
    # The server program and the client start.sh sets it up with, without mariadb-server's
    # service: nothing starts at boot or at installation, and no system data folder is made.
    mariadb-server-core mariadb-client-core odbc-mariadb
    libsqliteodbc
    tdsodbc
    # Access databases: the reader Test Connection opens them with.
    odbc-mdbtools
)
