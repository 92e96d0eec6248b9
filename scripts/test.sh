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

step "format check"
if ! git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' |
    xargs -r clang-format --dry-run --Werror; then
    failed+=("format")
fi

step "native build and unit tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
if cmake --preset native >/dev/null && cmake --build --preset native; then
    ctest --preset native -j2 || failed+=("native tests")
else
    failed+=("native build")
fi

step "windows cross build"
if cmake --preset windows >/dev/null && cmake --build --preset windows; then
    step "tests under Wine"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh
    trap zim_wine_down EXIT
    if zim_wine_up build/windows headless; then
        rm -rf build/windows/artifacts
        mkdir -p build/windows/artifacts
        ctest --preset windows || failed+=("wine tests")
        shots=$(find build/windows/artifacts -name '*.png' 2>/dev/null | sort)
        if [ -n "$shots" ]; then
            echo "Screenshots:"
            echo "$shots" | sed 's/^/  /'
        fi
    else
        failed+=("wine set-up")
    fi
    zim_wine_down
    trap - EXIT
else
    failed+=("windows build")
fi

echo
if ((${#failed[@]})); then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All builds and tests passed."
