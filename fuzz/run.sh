#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each, one after another, from the
# committed seed corpus (new inputs go to a scratch copy), and prints a table:
# executions, executions per second, coverage (edges) and findings.
# Exits 1 when any target found a crash, a leak or a broken property; the
# input that did it is kept in the build folder (the table names it).
#   fuzz/run.sh SECONDS [BUILD_FOLDER]
# BUILD_FOLDER (default build-fuzz) is configured with
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTK28950_FUZZ=ON
# and is created and built when it does not exist.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
seconds="${1:?usage: fuzz/run.sh SECONDS [BUILD_FOLDER]}"
build="${2:-$root/build-fuzz}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTK28950_FUZZ=ON >/dev/null || exit 2
fi
cmake --build "$build" --target fuzzers -j2 >/dev/null || exit 2

targets=(LinkIntakeFuzzer EepromDataFileFuzzer CoefficientFileFuzzer VariantTextFuzzer
         RegistryFuzzer TypeLibFuzzer)
work="$build/fuzz-runs"
mkdir -p "$work"
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen
findings_total=0
printf '%-24s %12s %10s %8s %9s\n' target executions exec/s edges findings
for target in "${targets[@]}"; do
    corpus="$work/$target-corpus"
    artifacts="$work/$target-findings/"
    rm -rf "$corpus" "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp "$here/corpus/$target"/* "$corpus"/ 2>/dev/null
    log="$work/$target.log"
    "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" \
        >"$log" 2>&1
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
    findings=$(find "$artifacts" -type f | wc -l)
    # A target that did not run to its end (no final statistics) is a finding too.
    if [ -z "$runs" ] && [ "$findings" -eq 0 ]; then findings=1; fi
    rate=$(sed -n "s/^stat::average_exec_per_sec: *//p" "$log" | tail -1)
    printf '%-24s %12s %10s %8s %9s\n' "$target" "${runs:-?}" "${rate:-?}" "${edges:-?}" "$findings"
    if [ "$findings" -gt 0 ]; then
        find "$artifacts" -type f -printf '    %p\n'
        grep -m3 -E 'ERROR|property broken|SUMMARY' "$log" | sed 's/^/    /'
    fi
    findings_total=$((findings_total + findings))
done
[ "$findings_total" -eq 0 ]
