# Shared by run.sh and test.sh: where the tree is, installing what is missing, building.

set -euo pipefail

CORVANTA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CORVANTA_BUILD=$CORVANTA_ROOT/build
source "$CORVANTA_ROOT/scripts/packages.sh"

corvanta_say() { printf '==> %s\n' "$*" >&2; }

# corvanta_ccache_args: the CMake arguments that compile through ccache, where it is installed
# (so call it after corvanta_install). Paths are taken relative to the tree, so a fresh clone in
# another folder, as CI makes, finds what an earlier one compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$CORVANTA_ROOT} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
corvanta_ccache_args()
{
    if command -v ccache >/dev/null; then
        echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    fi
}

# corvanta_configure_sanitized DIR [CMAKE-ARGUMENT...]: configures DIR for clang 14 with the
# address and undefined-behaviour sanitizers, stopping at the first report. -O1: the sanitizers'
# own advice, and a quicker build than the usual -O2. The sanitizer build and the fuzz targets
# share it, so a finding in one reproduces in the other.
CORVANTA_LLVM=/usr/lib/llvm-14/bin
CORVANTA_SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
corvanta_configure_sanitized()
{
    local build=$1
    shift
    cmake -S "$CORVANTA_ROOT" -B "$build" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER="$CORVANTA_LLVM/clang++" \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
        -DCMAKE_CXX_FLAGS="$CORVANTA_SANITIZE" \
        -DCMAKE_EXE_LINKER_FLAGS="$CORVANTA_SANITIZE" \
        $(corvanta_ccache_args) "$@"
}

corvanta_missing_packages()
{
    local package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        [[ $status == "install ok installed" ]] || echo "$package"
    done
}

# corvanta_install PACKAGE...: installs those not yet installed; does nothing when all are.
corvanta_install()
{
    local missing sudo=()
    command -v dpkg-query >/dev/null || {
        corvanta_say "not a Debian system: install by hand: $*"
        return 1
    }
    mapfile -t missing < <(corvanta_missing_packages "$@")
    [[ ${#missing[@]} -gt 0 ]] || return 0
    if [[ $EUID -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            corvanta_say "missing packages and no sudo: as root, apt-get install ${missing[*]}"
            return 1
        fi
    fi
    corvanta_say "installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# corvanta_build [TARGET...]: configures build/ if needed and builds the targets (all by default).
corvanta_build()
{
    local targets=()
    [[ $# -eq 0 ]] || targets=(--target "$@")
    corvanta_say "configuring $CORVANTA_BUILD"
    cmake -S "$CORVANTA_ROOT" -B "$CORVANTA_BUILD" $(corvanta_ccache_args)
    corvanta_say "building"
    cmake --build "$CORVANTA_BUILD" -j"$(nproc)" "${targets[@]}"
}
