#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes each for SECONDS (default 20).
# Inputs that found new coverage collect in build-fuzz/corpus/HARNESS; an input
# that crashes is saved in build-fuzz/artifacts/ and fails the run: add it to
# fuzz/corpus/, where every build replays it as a test.
# Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
seconds=${1:-20}
cd "$(dirname "$0")/.."
cmake --workflow --preset fuzz > build-fuzz.log 2>&1 || { cat build-fuzz.log; exit 1; }
rm -f build-fuzz.log
mkdir -p build-fuzz/artifacts

# One harness for the given seconds; prints one line, and the log's end when
# it fails.
fuzz() {
    local harness=$1 corpus=build-fuzz/corpus/$1 log=build-fuzz/$1.log runs
    mkdir -p "$corpus"
    if ! build-fuzz/fuzz/$harness -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -dict=fuzz/expression.dict -artifact_prefix="build-fuzz/artifacts/$harness-" \
        -print_final_stats=1 "$corpus" fuzz/corpus > "$log" 2>&1; then
        tail -40 "$log"
        echo "$harness: FAILED, the input is in build-fuzz/artifacts/"
        return 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$harness: $runs executions in $seconds s, no failure"
}

# A harness is one process on one core: as many run at once as there are
# cores, each for its full time.
cores=$(nproc)
running=0
failed=0
for harness in fuzz_evaluate_expression fuzz_evaluate_expression_trace fuzz_evaluate_simple fuzz_against_reference; do
    fuzz "$harness" &
    running=$((running + 1))
    if [ "$running" -ge "$cores" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit $failed
