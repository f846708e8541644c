#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything, checks the formatting and runs
# every test: unit and end-to-end, the syntax tests once more with the portable scans.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

corvanta_install "${CORVANTA_BUILD_PACKAGES[@]}" "${CORVANTA_TEST_PACKAGES[@]}"
bash "$CORVANTA_ROOT/scripts/testdb/install.sh"

corvanta_say "checking the formatting"
cd "$CORVANTA_ROOT"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t sources < <(git ls-files -- '*.cpp' '*.h' '*.c')
else
    mapfile -t sources < <(find . -path ./build -prune -o -type f \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print)
fi
if [[ ${#sources[@]} -gt 0 ]]; then
    clang-format --dry-run --Werror "${sources[@]}"
fi

corvanta_build
corvanta_say "testing"
ctest --test-dir "$CORVANTA_BUILD" --output-on-failure

# The syntax engine's tests once more with its portable scans in place of the SSE2 ones, which
# x86-64 would otherwise always take: only those tests' targets are built.
scalar=$CORVANTA_ROOT/build-scalar
corvanta_say "testing the portable scans in $scalar"
cmake -S "$CORVANTA_ROOT" -B "$scalar" -DCORVANTA_SCALAR=ON $(corvanta_ccache_args) >/dev/null
cmake --build "$scalar" -j"$(nproc)" --target corvanta_syntax_tests
ctest --test-dir "$scalar" -L syntax --output-on-failure

# The same tests again under the address and undefined-behaviour sanitizers, then each fuzz
# target on 50,000 inputs from a fixed seed: a gate that goes as the tree does rather than as a
# timed random search happens to go. Timed, exploring runs are scripts/fuzz.sh SECONDS.
bash "$CORVANTA_ROOT/scripts/sanitize.sh"
bash "$CORVANTA_ROOT/scripts/fuzz.sh" --runs 50000
