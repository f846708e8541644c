#!/usr/bin/env bash
# Builds everything with clang's AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the offscreen unit tests and the real-driver tests there. The first
# report of either sanitizer ends the test that made it, and so fails the run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

corvanta_install "${CORVANTA_BUILD_PACKAGES[@]}" "${CORVANTA_TEST_PACKAGES[@]}"
bash "$CORVANTA_ROOT/scripts/testdb/install.sh"

build=$CORVANTA_ROOT/build-sanitize
llvm=$CORVANTA_LLVM

corvanta_say "configuring $build (clang, address and undefined-behaviour sanitizers)"
corvanta_configure_sanitized "$build"
corvanta_say "building $build"
cmake --build "$build" -j"$(nproc)"

# Qt and the ODBC drivers are not instrumented; what they do is seen only through the
# interceptors. Leak reports stay on: sanitize.supp says which ones are not ours and why.
export ASAN_OPTIONS=check_initialization_order=1:strict_init_order=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$CORVANTA_ROOT/scripts/sanitize.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=$llvm/llvm-symbolizer
corvanta_say "testing under the sanitizers"
ctest --test-dir "$build" -L '^(unit|db)$' --output-on-failure
