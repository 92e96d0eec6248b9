#!/usr/bin/env bash
# Builds both builds and runs every test tier: native unit tests under the
# sanitizers, then under Wine the same unit tests, the Win32 layer tests and the
# end-to-end tests. Exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh || exit 1
failed=()
step() { echo; echo "=== $*"; }
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
# CTest with its output kept, so the counts can be summed at the end.
run_ctest() {
    local name="$1"
    shift
    ctest "$@" 2>&1 | tee "$logs/$name.log"
    return "${PIPESTATUS[0]}"
}

step "format check"
if ! git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' |
    xargs -r clang-format --dry-run --Werror; then
    failed+=("format")
fi

step "native build and unit tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
if cmake --preset native >/dev/null && cmake --build --preset native; then
    run_ctest native --preset native -j2 || failed+=("native tests")
else
    failed+=("native build")
fi

step "fuzzers (30 s each)"
bash scripts/fuzz.sh 30 || failed+=("fuzzers")

step "windows cross build"
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    step "tests under Wine"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh
    trap 'zim_wine_down; rm -rf "$logs"' EXIT
    if zim_wine_up build/windows headless; then
        rm -rf build/windows/artifacts
        mkdir -p build/windows/artifacts
        run_ctest windows --preset windows || failed+=("wine tests")
        shots=$(find build/windows/artifacts -name '*.png' 2>/dev/null | sort)
        if [ -n "$shots" ]; then
            echo "Screenshots:"
            echo "$shots" | sed 's/^/  /'
        fi
    else
        failed+=("wine set-up")
    fi
    zim_wine_down
    trap 'rm -rf "$logs"' EXIT
    step "high-DPI check under Wine (144 DPI)"
    bash scripts/dpi-check.sh || failed+=("high-DPI check")
else
    failed+=("windows build")
fi

total=0
bad=0
for log in "$logs"/*.log; do
    [ -f "$log" ] || continue
    line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$line" ]; then
        bad=$((bad + $(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")))
        total=$((total + $(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$line")))
    fi
done
echo
if ((${#failed[@]})); then
    echo "FAILED: ${failed[*]}"
else
    echo "All builds and tests passed."
fi
# The last line, as test runners close: the sum of every CTest run.
echo "CTest: $((total - bad)) passed, $bad failed"
((${#failed[@]} == 0))
