#!/usr/bin/env bash
# The long switch soak, by hand (10,000 switches take over an hour, so the test
# command never runs it): the real program under Wine with 50 windows on five
# desktops, five of them of a compatibility class, switched at random; at the
# end every window must be exactly where it was opened. Prints the program's
# private memory, handles and windows at the start, every 1,000 switches and at
# the end; they must not grow.
#   scripts/soak.sh [SWITCHES [SEED]]     (default 10000 switches, seed 1)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows || exit 1

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap zim_wine_down EXIT
zim_wine_up build/windows headless || exit 1
cd build/windows
# Wine reports no memory or object counts for another process, so the memory of
# the Linux process that runs zimdesk.exe is printed beside the test's figures.
zim_soak_memory() {
    local pid
    pid="$(pgrep -f 'zimdesk\.exe' | head -1)"
    [ -n "$pid" ] && [ -r "/proc/$pid/status" ] || return 0
    echo "[soak] $(date +%T) zimdesk.exe (Linux process $pid):" \
        "$(awk '/^(VmRSS|RssAnon|VmData):/ { printf "%s %s kB  ", $1, $2 }' "/proc/$pid/status")"
}
( while sleep 60; do zim_soak_memory; done ) &
sampler=$!
trap 'kill "$sampler" 2>/dev/null; zim_wine_down' EXIT
ZIM_SOAK_SWITCHES="${1:-10000}" ZIM_SOAK_SEED="${2:-1}" ZIM_ARTIFACTS="Z:$PWD/artifacts" \
    wine bin/e2e_tests.exe --gtest_also_run_disabled_tests \
    --gtest_filter='Recovery.DISABLED_ManySwitchesReturnEveryRectangleAndNothingGrows' \
    2> >(grep -v '^[[:space:]]' >&2)
