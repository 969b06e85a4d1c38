#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each on its seed corpus.
#   tests/fuzz/run.sh SECONDS [TARGET...]     every target (or the ones named) for SECONDS each
#   QV_FUZZ_RUNS=N tests/fuzz/run.sh 0 ...    N inputs each instead of a time limit
# New inputs that add coverage go to build-fuzz/corpus/<target> (the committed seeds stay as
# they are); a crash leaves its input in build-fuzz/crashes and makes the script fail.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:?usage: tests/fuzz/run.sh SECONDS [TARGET...]}"
shift
build="$root/build-fuzz"

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQV_FUZZ=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(parse_config apply_command engine_requests engine_messages meter_block
             preview_block hotkey_text)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/crashes"
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    limit=(-max_total_time="$seconds")
    [ -n "${QV_FUZZ_RUNS:-}" ] && limit=(-runs="$QV_FUZZ_RUNS")
    echo "== fuzz_$t"
    if ! QT_QPA_PLATFORM=offscreen "$build/bin/fuzz_$t" "${limit[@]}" -max_len=65536 \
        -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$t-" "$corpus" "$root/tests/fuzz/seeds/$t" \
        2>"$build/fuzz_$t.log"; then
        status=1
        echo "fuzz_$t FAILED (see $build/fuzz_$t.log)"
    fi
    grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|Done [0-9]+ runs)" \
        "$build/fuzz_$t.log" || true
done
exit $status
