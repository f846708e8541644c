# Debian 12 packages the database tests need. Sourced by install.sh.
CORVANTA_TESTDB_PACKAGES=(
    unixodbc unixodbc-dev
    postgresql odbc-postgresql
    libsqliteodbc
    tdsodbc
)
