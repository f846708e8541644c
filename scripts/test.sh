#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything, checks the formatting and runs
# every test: unit and end-to-end.
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

# The same tests again under the address and undefined-behaviour sanitizers, then each fuzz
# target for 30 s.
bash "$CORVANTA_ROOT/scripts/sanitize.sh"
bash "$CORVANTA_ROOT/scripts/fuzz.sh" 30
