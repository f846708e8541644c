#!/usr/bin/env bash
# fuzz.sh [SECONDS | --runs N]: builds the libFuzzer targets of tests/fuzz/ into build-fuzz/
# (clang, with the address and undefined-behaviour sanitizers) and runs each for SECONDS (60 by
# default), starting from its seed corpus in tests/fuzz/corpus/<target>/. What a run finds is
# kept in build-fuzz/crashes/; any finding fails the script. Prints each target's executions per
# second.
# --runs N runs each target N inputs from a fixed random seed instead, with Qt's hashing seeded
# the same way: a run no longer depends on how fast the machine is, and two runs of the same tree
# search nearly alike (addresses still differ from run to run, and with them a little of the
# search). A timed run explores further and differently every time; what it finds goes into the
# seeds, and from there into every run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

usage() { echo "usage: fuzz.sh [SECONDS | --runs N]" >&2; exit 2; }
limit=(-max_total_time="${1:-60}")
corpus=corpus
if [[ ${1:-} == --runs ]]; then
    [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
    limit=(-runs="$2" -seed=1)
    export QT_HASH_SEED=0
    # Started from the seeds alone, not from what earlier timed runs kept.
    corpus=corpus-runs
    rm -rf "$CORVANTA_ROOT/build-fuzz/$corpus"
elif [[ $# -gt 0 ]]; then
    [[ $1 =~ ^[1-9][0-9]*$ ]] || usage
fi

corvanta_install "${CORVANTA_BUILD_PACKAGES[@]}" "${CORVANTA_TEST_PACKAGES[@]}"

build=$CORVANTA_ROOT/build-fuzz
llvm=$CORVANTA_LLVM

corvanta_say "configuring $build (clang, libFuzzer, address and undefined-behaviour sanitizers)"
# A later -DCMAKE_CXX_FLAGS wins, so the fuzzer's coverage flag is added to the shared ones.
corvanta_configure_sanitized "$build" \
    -DCMAKE_CXX_FLAGS="$CORVANTA_SANITIZE -fsanitize=fuzzer-no-link" \
    -DBUILD_TESTING=OFF -DCORVANTA_FUZZ=ON
corvanta_say "building the fuzz targets"
cmake --build "$build" -j"$(nproc)" --target corvanta_fuzzers

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=$llvm/llvm-symbolizer
mkdir -p "$build/$corpus" "$build/crashes" "$build/logs"
failed=()
summary=()
for source in "$CORVANTA_ROOT"/tests/fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    seeds=$CORVANTA_ROOT/tests/fuzz/corpus/$name
    log=$build/logs/$name.log
    mkdir -p "$build/$corpus/$name"
    corvanta_say "fuzzing $name (${limit[*]})"
    # New inputs go to the build's corpus; the seeds in the tree are only read.
    if "$build/tests/fuzz/$name" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$name-" \
        "$build/$corpus/$name" "$seeds" >"$log" 2>&1; then
        runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log")
        read -r count took <<<"${runs:-0 0}"
        if ((took > 0)); then
            summary+=("$(printf '%-28s %10s runs %8s exec/s' "$name" "$count" "$((count / took))")")
        else
            summary+=("$(printf '%-28s %10s runs in under a second' "$name" "$count")")
        fi
    else
        tail -n 60 "$log" >&2
        failed+=("$name")
        summary+=("$(printf '%-28s FAILED, see %s' "$name" "$log")")
    fi
done

corvanta_say "fuzzing done"
printf '%s\n' "${summary[@]}" >&2
[[ ${#failed[@]} -eq 0 ]] || corvanta_say "findings in: ${failed[*]} (inputs in $build/crashes/)"
echo "fuzz: $((${#summary[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[[ ${#failed[@]} -eq 0 ]]
