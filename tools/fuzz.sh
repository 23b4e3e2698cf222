#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, the fuzz preset) and runs each in turn, one at a time,
# over its checked-in seeds for a bounded time: a smoke test in CI, a longer hunt by hand.
#   bash tools/fuzz.sh                      every target, 20 s each
#   bash tools/fuzz.sh 600                  every target, 10 minutes each
#   bash tools/fuzz.sh 3600 fuzz_wildcard   one target for an hour
# New inputs collect in build/fuzz/corpus/<target> and are used again by later runs; a crash,
# leak, timeout or broken invariant is saved in build/fuzz/findings/<target>/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_wildcard fuzz_config_document fuzz_host_input fuzz_request_path
             fuzz_command_model fuzz_fire_index)
fi

bash tools/install-deps.sh clang-14 libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
    corpus="build/fuzz/corpus/$target"
    findings="build/fuzz/findings/$target"
    log="build/fuzz/$target.log"
    mkdir -p "$corpus" "$findings"
    echo "=== $target: ${seconds} s"
    # One input may take a few seconds at most (a chain of firings under the sanitizers); longer
    # is a hang. The memory bound catches runaway growth long before the machine feels it.
    if "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$target" \
        >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9a-zA-Z]*' "$log" | tail -n 1)
        echo "$target: $runs inputs, $coverage, no finding"
    else
        tail -n 60 "$log"
        echo "$target: FINDING, see $log and $findings/"
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]}"
    exit 1
fi
