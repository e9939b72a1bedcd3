#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each, starting
# from its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh          a short smoke: about 20 seconds in all
#   scripts/fuzz.sh RUNS     RUNS inputs per target (e.g. 10000000)
#   scripts/fuzz.sh RUNS TARGET...   only the targets named
# Inputs that find new paths collect in build/fuzz/corpus/<target>/; a crash
# leaves its input in build/fuzz/crashes/ and fails the script.
set -uo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz

runs=${1:-}
if [[ -n "$runs" && ! "$runs" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 [RUNS [TARGET...]]" >&2
    exit 2
fi
shift $(($# > 0 ? 1 : 0))
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMIVOX_FUZZ=ON >/dev/null &&
    cmake --build "$build" || { echo "Fuzz build failed"; exit 1; }

mapfile -t targets < "$build/fuzz-targets.txt"
for target in "$@"; do
    if ! printf '%s\n' "${targets[@]}" | grep -qx -- "$target"; then
        echo "No fuzz target $target; there are: ${targets[*]}" >&2
        exit 2
    fi
done
(($# > 0)) && targets=("$@")
if [[ -n "$runs" ]]; then
    limit=(-runs="$runs")
else
    # The smoke shares about 20 seconds among the targets.
    limit=(-max_total_time=$((20 / ${#targets[@]} > 2 ? 20 / ${#targets[@]} : 2)))
fi
mkdir -p "$build/crashes"
passed=0
failed=0
for target in "${targets[@]}"; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    log=$build/$target.log
    if "$build/fuzz/${target}_fuzz" "${limit[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
        passed=$((passed + 1))
        result=passed
    else
        failed=$((failed + 1))
        result="FAILED (see $log)"
    fi
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz $target: ${done_runs:-?} runs, $result"
done
echo "Fuzz summary: $passed passed, $failed failed"
((failed == 0))
