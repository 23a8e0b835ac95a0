#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for a while from its seed corpus (a copy: the seeds in the repository stay as
# they are). A crash or a broken property fails the run, the input saved in the build directory.
# Usage: scripts/fuzz.sh [seconds-per-target] [build-dir]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="${2:-$root/build-fuzz}"

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOVRA_FUZZ=ON -DTOVRA_BUILD_TESTS=OFF -DTOVRA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    >/dev/null
cmake --build "$build" --target tovra_fuzzers --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1
# The targets run side by side: each has its time, so the step takes one target's time.
run_target() {
    local name="$1" corpus="$2"
    local work="$build/fuzz/work/$name" log="$build/fuzz/$name.log"
    mkdir -p "$work"
    if ! (cd "$build/fuzz" && "./$name" -max_total_time="$seconds" -print_final_stats=1 \
        -timeout=10 -rss_limit_mb=2048 "$work" "$corpus") >"$log" 2>&1; then
        tail -40 "$log"
        echo "$name: FAILED (input and log in $build/fuzz)"
        return 1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    echo "$name: $runs executions in ${seconds} s, no crash"
}

pids=()
for corpus in "$root"/fuzz/corpus/*/; do
    run_target "$(basename "$corpus")" "$corpus" &
    pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit "$failed"
