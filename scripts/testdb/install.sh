#!/usr/bin/env bash
# Installs the database server and the ODBC drivers the database tests use, only those missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

missing=()
for package in "${CORVANTA_TESTDB_PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $EUID -ne 0 ]]; then
    command -v sudo >/dev/null || {
        echo "testdb: missing ${missing[*]}; as root: apt-get install ${missing[*]}" >&2
        exit 1
    }
    sudo=(sudo)
fi
echo "testdb: installing ${missing[*]}" >&2
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
# The cluster is created by start.sh under a temporary directory; the package's own cluster
# is not needed, and its creation only slows the installation down.
"${sudo[@]}" mkdir -p /etc/postgresql-common/createcluster.d
echo "create_main_cluster = false" |
    "${sudo[@]}" tee /etc/postgresql-common/createcluster.d/corvanta-testdb.conf >/dev/null
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
