#!/usr/bin/env bash
# Runs the libFuzzer fuzzers of the readers of untrusted input (skin files,
# bitmaps, the stored settings, the recovery record). scripts/test.sh runs each
# for 30 seconds; the longer job, by hand:
#   scripts/fuzz.sh [SECONDS_EACH [FUZZER...]]      (default 3600 s, all four)
# New inputs go to build/fuzz/corpus/NAME (the repository's corpus in
# tests/fuzz/corpus is only read; copy what is worth keeping there), crashes to
# build/fuzz/artifacts/. Exits non-zero when a fuzzer failed.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-3600}"
shift || true
fuzzers=("$@")
((${#fuzzers[@]})) || fuzzers=(skin bitmap settings record)

cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
mkdir -p build/fuzz/artifacts
status=0
for name in "${fuzzers[@]}"; do
    mkdir -p "build/fuzz/corpus/$name"
    log="build/fuzz/$name.log"
    echo "--- ${name}_fuzz for ${seconds} s"
    if build/fuzz/bin/"${name}_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/artifacts/$name-" \
        "build/fuzz/corpus/$name" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "${name}_fuzz: ${runs:-?} runs, no failure"
    else
        echo "${name}_fuzz FAILED; see $log"
        grep -E "ERROR|SUMMARY|artifact" "$log" | head -5
        status=1
    fi
done
exit "$status"
